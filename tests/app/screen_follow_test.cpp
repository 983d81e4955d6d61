#include "app/mainmenu.h"
#include "app/media_screens.h"
#include "filemenu/file_menu.h"
#include "filemenu/file_menu_layout.h"
#include "platform/image_widget.h"
#include "player/mpv_engine.h"
#include "player/player_form.h"
#include "settings/general.h"
#include "spi/spis.h"
#include "ui/panel.h"
#include "viewer/viewer_form.h"

#include "screen_look.h"
#include "test_services.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// The program's window, placed full screen, with the main menu and a folder list on it, while the
// test changes the screens under it as a TV does.
class ScreenFollowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screens.Applied())
            GTEST_SKIP() << "screens can be changed at run time on the offscreen platform only";
        screens.Set({QSize(1920, 1080)});
        // Configured, so that no settings dialog comes first.
        WriteSettingString(TestStore(), 0, settingskey::System, QStringLiteral("ExitCode"),
                           QStringLiteral("1"));
        auto owned =
            std::make_unique<Tmain_form>(nullptr, nullptr, QStringList{}, plugins, TestStore());
        menu = owned.get();
        window.PlaceFullScreen();
        window.Push(std::move(owned));
        window.show();
        auto list = std::make_unique<TFile_Menu>(media, services.FolderLists());
        folders = list.get();
        window.Push(std::move(list));
    }
    void TearDown() override { EraseSettingKey(TestStore(), 0, settingskey::Root); }

    // Lets the window follow what the window system announced (it does so from a zero timer).
    static void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // Sets the screens and waits until the window stands on the first one.
    void SetScreens(const std::vector<QSize>& sizes) {
        screens.Set(sizes);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.geometry().size() == sizes.front(); }));
    }

    // Each screen laid out as a fresh start at the size would lay it out.
    void ExpectLaidOutFor(QSize size) {
        EXPECT_EQ(window.geometry().size(), size);
        const FileMenuLayout list = ComputeFileMenuLayout(size.width(), size.height());
        EXPECT_EQ(folders->geometry().size(), size);
        EXPECT_EQ(folders->PNL001->geometry(),
                  QRect(list.left, list.RowTop(1), list.rowWidth, list.rowHeight));
        EXPECT_EQ(folders->PNL010->geometry(),
                  QRect(list.left, list.RowTop(10), list.rowWidth, list.rowHeight));
        // The background is drawn for the whole of the new size, not left at the old one.
        EXPECT_EQ(folders->Image1->Picture().size(), size);
    }
    // The main menu, beneath the list, lays itself out when it is back on top.
    void ExpectMainMenuLaidOutFor(QSize size) {
        folders->close();
        ASSERT_EQ(window.Top(), menu);
        EXPECT_TRUE(window.isVisible());
        const MainMenuLayout main = ComputeMainMenuLayout(size.width(), size.height());
        EXPECT_EQ(menu->PNL004->geometry(),
                  QRect(main.left, main.panelTops[3], main.width, main.height));
        EXPECT_EQ(menu->Image1->Picture().size(), size);
    }

    ScreenSetScope screens;
    TSPIs plugins;
    TestServices services;
    ScreenStack& window = services.window;
    MediaScreens media{services.Screens()};
    Tmain_form* menu = nullptr;
    TFile_Menu* folders = nullptr;
};

TEST_F(ScreenFollowTest, ANewResolutionLaysEveryScreenOutAsAFreshStartWould) {
    ExpectLaidOutFor(QSize(1920, 1080));
    screens.Set({QSize(3840, 2160)});
    Settle();
    ExpectLaidOutFor(QSize(3840, 2160));
    screens.Set({QSize(1280, 720)});
    Settle();
    ExpectLaidOutFor(QSize(1280, 720));
    ExpectMainMenuLaidOutFor(QSize(1280, 720));
}

TEST_F(ScreenFollowTest, ATvSwitchedOffLeavesEverythingAsItWasUntilAScreenIsBack) {
    QSignalSpy lost(&window, &ScreenStack::screenLost);
    QSignalSpy back(&window, &ScreenStack::screenBack);
    screens.Set({});
    Settle();
    EXPECT_EQ(lost.size(), 1);
    EXPECT_FALSE(window.OnScreen());
    ExpectLaidOutFor(QSize(1920, 1080)); // nothing moved
    // The placeholder a window system puts in is no screen either.
    screens.Set({QSize(64, 64)});
    Settle();
    EXPECT_EQ(lost.size(), 1);
    EXPECT_TRUE(back.isEmpty());
    // Input still reaches the top screen.
    folders->PressKey(vk::Down);
    screens.Set({QSize(1366, 768)});
    Settle();
    EXPECT_EQ(back.size(), 1);
    EXPECT_TRUE(window.OnScreen());
    ExpectLaidOutFor(QSize(1366, 768));
    ExpectMainMenuLaidOutFor(QSize(1366, 768));
}

TEST_F(ScreenFollowTest, TheWindowMovesToAScreenThatStaysWhenItsOwnGoes) {
    screens.Set({QSize(1920, 1080), QSize(1280, 720)});
    Settle();
    screens.Set({QSize(64, 64), QSize(1280, 720)});
    Settle();
    EXPECT_TRUE(window.OnScreen());
    ExpectLaidOutFor(QSize(1280, 720));
}

TEST_F(ScreenFollowTest, ThePlayerFollowsTheScreenToo) {
    auto owned = std::make_unique<TPlayer_Form>(
        std::make_unique<MpvEngine>(MpvOptions{QStringLiteral("null"), false}), services.Screens());
    TPlayer_Form& player = *owned; // music mode: the switches and the caption show
    window.Push(std::move(owned));
    for (const QSize size : {QSize(3840, 2160), QSize(1280, 720)}) {
        SetScreens({size});
        const PlayerLayout layout = ComputePlayerLayout(size.width(), size.height());
        EXPECT_EQ(player.PNL001->geometry(), layout.loopPanel);
        EXPECT_EQ(player.PNL002->geometry(), layout.shufflePanel);
        EXPECT_EQ(player.PB1->height(), layout.progressHeight);
    }
}
TEST_F(ScreenFollowTest, TheSlideShowDrawsItsPictureAgainForANewResolution) {
    QTemporaryDir pictures;
    QImage red(16, 9, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(pictures.filePath("red.bmp"), "BMP"));
    auto owned = std::make_unique<TViewer_Form>(services.Screens());
    TViewer_Form& viewer = *owned;
    viewer.path = QFile::encodeName(pictures.filePath("red.bmp"));
    window.Push(std::move(owned));
    const auto drawnFor = [&viewer](QSize size) {
        return QTest::qWaitFor([&] {
            return viewer.Image1->size() == size && viewer.Image1->Picture().size() == size;
        });
    };
    ASSERT_TRUE(drawnFor(QSize(1920, 1080)));
    for (const QSize size : {QSize(3840, 2160), QSize(1280, 720)}) {
        SetScreens({size});
        EXPECT_TRUE(drawnFor(size)) << size.width();
        const QImage& picture = viewer.Image1->Picture();
        EXPECT_EQ(picture.pixel(size.width() / 2, size.height() / 2), qRgb(255, 0, 0));
    }
}

// The PC is switched on while the TV is off: the program comes up with no screen to show on and
// lays itself out when one comes.
TEST(ScreenFollowStartTest, AStartWithNoScreenWaitsForOne) {
    ScreenSetScope screens;
    if (!screens.Applied())
        GTEST_SKIP() << "screens can be changed at run time on the offscreen platform only";
    screens.Set({});
    WriteSettingString(TestStore(), 0, settingskey::System, QStringLiteral("ExitCode"),
                       QStringLiteral("1"));
    TSPIs plugins;
    TestServices services;
    ScreenStack& window = services.window;
    QSignalSpy back(&window, &ScreenStack::screenBack);
    auto owned =
        std::make_unique<Tmain_form>(nullptr, nullptr, QStringList{}, plugins, TestStore());
    Tmain_form& menu = *owned;
    window.PlaceFullScreen();
    window.Push(std::move(owned));
    window.show();
    EXPECT_FALSE(window.OnScreen());
    screens.Set({QSize(1366, 768)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.OnScreen(); }));
    EXPECT_EQ(back.size(), 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry().size(), QSize(1366, 768));
    const MainMenuLayout main = ComputeMainMenuLayout(1366, 768);
    EXPECT_EQ(menu.PNL004->geometry(),
              QRect(main.left, main.panelTops[3], main.width, main.height));
    EraseSettingKey(TestStore(), 0, settingskey::Root);
}

} // namespace
