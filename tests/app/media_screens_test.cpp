#include "app/media_screens.h"
#include "filemenu/file_menu.h"
#include "player/mpv_engine.h"
#include "player/player_form.h"
#include "test_services.h"
#include "viewer/viewer_form.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {
// A folder list on the program's window, handing off to the real screens.
class MediaScreensTest : public ::testing::Test {
protected:
    explicit MediaScreensTest() {
        auto list = std::make_unique<TFile_Menu>(screens, services.FolderLists());
        menu = list.get();
        services.window.Push(std::move(list));
    }
    // Closes the screen on top and lets it go, as the event loop would.
    void CloseTop() {
        services.window.Top()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TestServices services;
    MediaScreens screens{services.Screens()};
    TFile_Menu* menu;
};

TEST_F(MediaScreensTest, PictureHandOffsOpenTheViewerWithTheListFlagAndPath) {
    menu->category = 3;
    menu->ShowMedia("/pictures/a.lst", true, true);
    auto* viewer = dynamic_cast<TViewer_Form*>(services.window.Top());
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->listFlag);
    EXPECT_EQ(viewer->path, QByteArray("/pictures/a.lst"));
    CloseTop();

    menu->ShowMedia("/pictures/one.png", true, false, {"/pictures/one.png", "/pictures/two.png"});
    viewer = dynamic_cast<TViewer_Form*>(services.window.Top());
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->listFlag);
    EXPECT_EQ(viewer->path, QByteArray("/pictures/one.png"));
    EXPECT_EQ(viewer->neighbours, (QByteArrayList{"/pictures/one.png", "/pictures/two.png"}));
}

TEST_F(MediaScreensTest, PlayerHandOffKeepsThePathBytes) {
    // A name from an old Windows disk: no UTF-8, and it must reach the player unchanged.
    const QByteArray path = "/films/\x82\xA0\xFF.mkv";
    const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                 MpvOptions{QStringLiteral("null"), false});
    menu->category = 1;
    menu->ShowMedia(path, false, false, {"/films/a.mkv", path});
    auto* player = dynamic_cast<TPlayer_Form*>(services.window.Top());
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->WMP1->URL().toHex(' '), path.toHex(' '));
    EXPECT_EQ(player->neighbours, (QByteArrayList{"/films/a.mkv", path}));
}

TEST_F(MediaScreensTest, ASecondHandOffWhileAMediaScreenRunsIsRefused) {
    menu->category = 3;
    menu->ShowMedia("/pictures/a.png", true, false);
    Form* first = services.window.Top();
    EXPECT_TRUE(menu->Busy());
    menu->ShowMedia("/pictures/b.png", true, false);
    EXPECT_EQ(services.window.Top(), first);
    EXPECT_EQ(services.window.Depth(), 2);
    CloseTop();
    EXPECT_FALSE(menu->Busy());
    EXPECT_EQ(services.window.Top(), menu);
}
} // namespace
