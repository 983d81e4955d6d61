#include "filemenu/folder_walk.h"
#include "manual_clock.h"
#include "platform/sleep_watch.h"
#include "settings/general.h"
#include "settings/playback_index.h"
#include "settings/store.h"
#include "test_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>

#include <algorithm>

using ::testing::ElementsAre;

namespace {

// The screen as the walk sees it: what it was asked to show.
class RecordingView : public FolderWalkView {
public:
    void PaintRow(int row) override { rows.push_back(row); }
    void PaintPage() override { ++pages; }
    void SelectionMoved(int) override {}
    void ShowMedia(const QByteArray& path, bool, bool, const QByteArrayList&) override {
        shown.push_back(path);
    }
    void HoldPainting(bool) override {}
    void ReadingShown(qsizetype) override {}
    void ReadingEnded() override {}

    std::vector<int> rows;
    int pages = 0;
    std::vector<QByteArray> shown;
};

class FolderWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        EraseSettingKey(TestStore(), 0, CategorySchema(1).keyPath);
    }
    QByteArray Path(const QString& relative) const {
        return QFile::encodeName(QDir(temp.path()).filePath(relative));
    }
    void MakeFiles(const QString& folder, int count) const {
        ASSERT_TRUE(QDir().mkpath(QDir(temp.path()).filePath(folder)));
        for (int i = 0; i < count; ++i) {
            QFile file(QFile::decodeName(Path(folder + QString::asprintf("/f%02d.avi", i))));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    void Register(const QStringList& folders) const {
        const CategorySettings& video = CategorySchema(1);
        WriteSetting(TestStore(), video.itemCount, int(folders.size()));
        for (int n = 1; n <= folders.size(); ++n) {
            WriteSetting(TestStore(), video.Title(n), folders[n - 1]);
            WriteSetting(TestStore(), video.Folder(n), QFile::decodeName(Path(folders[n - 1])));
        }
    }
    // Lets the workers (listings, existence tests) finish.
    void Settle() {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !walk.ReadingFolder() && !walk.TestingFolders(); }, 30000));
    }

    QTemporaryDir temp;
    RecordingView view;
    int curTag = FolderWalk::kFirstTag;
    ManualClock clock;
    ExistenceChecks checks;
    CategoryLocks locks;
    PlaybackIndex index{TestStore()};
    SleepWatch sleep;
    FolderWalk walk{view, curTag, {clock, TestStore(), checks, locks, index, sleep}};
};

TEST_F(FolderWalkTest, RowsOutsideTheListHoldNoEntry) {
    MakeFiles("films", 12); // with "..", 13 entries: a full page and three rows
    Register({"films"});
    walk.Start(1);
    Settle();
    walk.Enter();
    Settle();
    ASSERT_EQ(walk.Entries().size(), 13u);
    EXPECT_EQ(walk.PageCount(), 2);
    // Before the first entry there is none: nothing to mark, nothing read outside the list.
    EXPECT_EQ(walk.EntryOn(FolderWalk::kFirstTag - 1), nullptr);
    curTag = FolderWalk::kFirstTag - 1;
    walk.ToggleMark();
    EXPECT_FALSE(walk.AnyMarked());
    walk.NextPage();
    EXPECT_EQ(walk.IndexOf(102), 12);
    EXPECT_NE(walk.EntryOn(102), nullptr);
    EXPECT_EQ(walk.EntryOn(103), nullptr);
}

TEST_F(FolderWalkTest, AfterAWakeTheRegisteredFoldersAreTestedAgain) {
    MakeFiles("here", 1);
    Register({"here", "share", "disk"});
    walk.Start(1);
    Settle();
    ASSERT_EQ(walk.Entries().size(), 3u);
    EXPECT_TRUE(walk.Entries()[0].entry.exists);
    EXPECT_FALSE(walk.Entries()[1].entry.exists);
    EXPECT_FALSE(walk.Entries()[2].entry.exists);
    // Over the sleep a share came back and a folder went.
    MakeFiles("share", 1);
    ASSERT_TRUE(QDir(QFile::decodeName(Path("here"))).removeRecursively());
    view.rows.clear();
    sleep.PrepareForSleep(true);
    EXPECT_FALSE(walk.TestingFolders());
    sleep.PrepareForSleep(false);
    EXPECT_TRUE(walk.TestingFolders());
    Settle();
    EXPECT_FALSE(walk.Entries()[0].entry.exists);
    EXPECT_TRUE(walk.Entries()[1].entry.exists);
    EXPECT_FALSE(walk.Entries()[2].entry.exists);
    // Only the rows that changed are painted again.
    std::sort(view.rows.begin(), view.rows.end());
    EXPECT_THAT(view.rows, ElementsAre(0, 1));
}

TEST_F(FolderWalkTest, AWakeInsideAFolderLeavesItsListingAlone) {
    MakeFiles("films", 3);
    Register({"films"});
    walk.Start(1);
    Settle();
    walk.Enter();
    Settle();
    ASSERT_EQ(walk.Depth(), 1);
    const size_t listed = walk.Entries().size();
    sleep.PrepareForSleep(true);
    sleep.PrepareForSleep(false);
    EXPECT_FALSE(walk.TestingFolders());
    EXPECT_EQ(walk.Entries().size(), listed);
    // Back up, the registered folders are tested as always.
    walk.GoUp();
    Settle();
    EXPECT_TRUE(walk.Entries()[0].entry.exists);
}

TEST_F(FolderWalkTest, SelectionCrossesPagesAtTheirEdgesOnly) {
    MakeFiles("films", 24);
    Register({"films"});
    walk.Start(1);
    Settle();
    walk.Enter();
    Settle();
    ASSERT_EQ(walk.PageCount(), 3);
    walk.MoveUp(); // the first row of the first page: nowhere to go
    EXPECT_EQ(curTag, 100);
    EXPECT_EQ(walk.Page(), 0);
    for (int i = 0; i < 10; ++i)
        walk.MoveDown();
    EXPECT_EQ(walk.Page(), 1);
    EXPECT_EQ(curTag, 100);
    walk.MoveUp();
    EXPECT_EQ(walk.Page(), 0);
    EXPECT_EQ(curTag, 109);
    walk.NextPage();
    walk.NextPage();
    walk.NextPage(); // past the last page: stays
    EXPECT_EQ(walk.Page(), 2);
}

TEST_F(FolderWalkTest, GoingUpReturnsToTheRowWalkedInFrom) {
    MakeFiles("a", 1);
    MakeFiles("b", 1);
    MakeFiles("c", 3);
    Register({"a", "b", "c"});
    walk.Start(1);
    Settle();
    walk.MoveDown();
    walk.MoveDown();
    walk.Enter();
    Settle();
    EXPECT_EQ(walk.Depth(), 1);
    EXPECT_EQ(curTag, 100);
    walk.GoUp();
    Settle();
    EXPECT_EQ(walk.Depth(), 0);
    EXPECT_EQ(curTag, 102);
    EXPECT_EQ(walk.SelectedEntry()->entry.path, Path("c"));
}

TEST_F(FolderWalkTest, MarksSkipFoldersAndMoveTheSelectionOn) {
    MakeFiles("films", 2);
    Register({"films"});
    walk.Start(1);
    Settle();
    walk.Enter();
    Settle();
    ASSERT_EQ(walk.SelectedEntry()->entry.name, "..");
    walk.ToggleMark(); // the way up is no file
    EXPECT_FALSE(walk.AnyMarked());
    EXPECT_EQ(curTag, 100);
    walk.MoveDown();
    view.rows.clear();
    walk.ToggleMark();
    EXPECT_THAT(view.rows, ElementsAre(1));
    EXPECT_EQ(curTag, 102);
    walk.ToggleAllMarks(); // one is marked: all are cleared
    EXPECT_FALSE(walk.AnyMarked());
    walk.ToggleAllMarks();
    std::vector<bool> marks;
    for (const ListEntry& item : walk.Entries())
        marks.push_back(item.entry.marked);
    EXPECT_THAT(marks, ElementsAre(false, true, true));
}

TEST_F(FolderWalkTest, OpeningAFileHandsItToTheScreen) {
    MakeFiles("films", 1);
    Register({"films"});
    walk.Start(1);
    Settle();
    walk.Enter();
    Settle();
    walk.OpenEntry(101, false);
    EXPECT_THAT(view.shown, ElementsAre(Path("films/f00.avi")));
    EXPECT_EQ(walk.Depth(), 1);
}

} // namespace
