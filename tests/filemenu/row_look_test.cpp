#include "filemenu/file_menu.h"
#include "platform/clock.h"
#include "settings/general.h"
#include "ui/panel.h"

#include "recording_media_screens.h"
#include "screen_look.h"
#include "test_services.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {
const QString kVideoKey = QStringLiteral("Software\\Quor\\Couchframe\\Video");

// Titles with tall and deep letters, Japanese, an ampersand and names too long for a row.
const QStringList kTitles = {
    QStringLiteral("Holidays in Egypt, July"),
    QStringLiteral("日本の夏 gypsy jazz"),
    QStringLiteral("Tom & Jerry"),
    QStringLiteral("The longest documentary title anybody ever gave a film, or nearly so, part 1"),
    QStringLiteral("The longest documentary title anybody ever gave a film, or nearly so, part 2"),
    QStringLiteral("quiet"),
    QStringLiteral("Ångström [Qq]"),
    QStringLiteral("y"),
    QStringLiteral("Movies"),
    QStringLiteral("Music videos"),
    QStringLiteral("next page"),
};

class FolderListLook : public ::testing::TestWithParam<QSize> {
protected:
    void SetUp() override {
        EraseSettingKey(TestStore(), 0, kVideoKey);
        WriteSettingInt(TestStore(), 0, kVideoKey, QStringLiteral("ItemCount"),
                        int(kTitles.size()));
        // The first folder holds files named like the titles.
        for (const QString& title : kTitles)
            QFile(QDir(temp.path()).filePath(title + QStringLiteral(".avi")))
                .open(QIODevice::WriteOnly);
        for (int n = 1; n <= kTitles.size(); ++n) {
            WriteSettingString(TestStore(), 0, kVideoKey, EntryValueName("Title", n),
                               kTitles[n - 1]);
            WriteSettingString(TestStore(), 0, kVideoKey, EntryValueName("Folder", n), temp.path());
        }
    }
    void TearDown() override { EraseSettingKey(TestStore(), 0, kVideoKey); }

    QTemporaryDir temp;
};

void ExpectWellPlaced(QWidget& widget, const QRect& box, const QColor& background,
                      const std::string& what) {
    const QRect ink = InkBounds(Rendered(widget, background), box, background);
    if (const auto misfit = CaptionMisfit(ink, box))
        ADD_FAILURE() << what << ": " << *misfit;
}
void ExpectRowsWellPlaced(TFile_Menu& menu);
} // namespace

TEST_P(FolderListLook, RowsAndLabelsLieWholeAndCentred) {
    const ScreenSizeScope screen(GetParam());
    if (!screen.Applied())
        GTEST_SKIP() << "the screen size can be set on the offscreen platform only";
    RecordingMediaScreens media;
    TestServices services;
    services.window.PlaceFullScreen();
    auto list = std::make_unique<TFile_Menu>(media, services.FolderLists());
    TFile_Menu& menu = *list;
    menu.category = 1;
    services.window.Push(std::move(list));
    services.window.show();
    ASSERT_EQ(menu.width(), GetParam().width());
    for (int level : {0, 1}) {
        if (level == 1)
            menu.PressKey(vk::Return);
        ASSERT_TRUE(QTest::qWaitFor(
            [&menu] { return !menu.ReadingFolder() && !menu.PaintingHeld(); }, 30000));
        ExpectRowsWellPlaced(menu);
    }
    for (QLabel* label : {menu.LBL001, menu.LBL003, menu.LBL004})
        ExpectWellPlaced(*label, label->rect(), Qt::black, label->text().toStdString());
}

namespace {
void ExpectRowsWellPlaced(TFile_Menu& menu) {
    for (Panel* row : {menu.PNL001, menu.PNL002, menu.PNL003, menu.PNL004, menu.PNL005, menu.PNL006,
                       menu.PNL007, menu.PNL008, menu.PNL009, menu.PNL010}) {
        const QColor background = ToQColor(row->Color());
        ExpectWellPlaced(*row, row->rect().adjusted(2, 2, -2, -2), background,
                         row->Caption().toStdString());
    }
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Screens, FolderListLook, ::testing::ValuesIn(kLookScreenSizes),
                         ScreenSizeName);
