#include "filemenu/category.h"
#include "filemenu/file_menu.h"
#include "filemenu/file_menu_layout.h"
#include "filemenu/media_handoff.h"
#include "input/app_command.h"
#include "manual_clock.h"
#include "platform/error.h"
#include "platform/image_widget.h"
#include "platform/mnemonic.h"
#include "platform/modal.h"
#include "recording_media_screens.h"
#include "settings/general.h"
#include "settings/playback_index.h"
#include "stall_shim.h"
#include "test_services.h"
#include "ui/panel.h"
#include "worker_waits.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

using ::testing::ElementsAre;

namespace {

const QString kVideoKey = QStringLiteral("Software\\Quor\\Couchframe\\Video");
const QString kMusicKey = QStringLiteral("Software\\Quor\\Couchframe\\Music");

class FileMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        EraseSettingKey(TestStore(), 0, kVideoKey);
        EraseSettingKey(TestStore(), 0, kMusicKey);
        root = QFile::encodeName(temp.path());
    }

    QByteArray Path(const QByteArray& relative) const { return root + '/' + relative; }
    void MakeDir(const QByteArray& relative) const {
        ASSERT_TRUE(QDir().mkpath(QFile::decodeName(Path(relative))));
    }
    void Touch(const QByteArray& relative) const {
        const int fd = open(Path(relative).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    // A folder with count matching files, named f00.avi, f01.avi, ...
    void MakeFiles(const QByteArray& folder, int count) const {
        MakeDir(folder);
        for (int i = 0; i < count; ++i)
            Touch(folder + '/' + QByteArray(QString::asprintf("f%02d.avi", i).toLatin1()));
    }
    struct Registered {
        QString title;
        QByteArray path;
        bool locked = false;
    };
    void Register(const QString& key, const std::vector<Registered>& folders) const {
        WriteSettingInt(TestStore(), 0, key, QStringLiteral("ItemCount"),
                        static_cast<int>(folders.size()));
        for (size_t i = 0; i < folders.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            WriteSettingString(TestStore(), 0, key, EntryValueName("Title", n), folders[i].title);
            WriteSettingString(TestStore(), 0, key, EntryValueName("Folder", n),
                               QFile::decodeName(folders[i].path));
            WriteSettingBool(TestStore(), 0, key, EntryValueName("Lock", n), folders[i].locked);
        }
    }
    void RegisterOne(const QByteArray& relative) const {
        Register(kVideoKey, {{QStringLiteral("Films"), Path(relative)}});
    }
    // Opens the screen; its hand-offs are recorded unless another factory is given.
    TFile_Menu& Open(int category = 1, MediaScreenFactory* screens = nullptr) {
        auto list =
            std::make_unique<TFile_Menu>(screens ? *screens : media, services.FolderLists());
        screen = list.get();
        screen->category = category;
        services.window.Push(std::move(list));
        services.window.show();
        Settle();
        return *screen;
    }
    // Lets the screen's worker threads (folder listings, existence tests) finish.
    void Settle() const {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !screen->ReadingFolder() && !screen->TestingFolders(); }, 30000));
    }
    void Press(int key, ShiftState shift = {}) {
        screen->PressKey(key, shift);
        Settle();
    }
    void Type(const char* digits) {
        for (const char* d = digits; *d; ++d)
            Press(*d);
    }
    std::vector<QString> Captions() const {
        std::vector<QString> captions;
        for (Panel* panel : Rows())
            captions.push_back(panel->Caption());
        return captions;
    }
    std::vector<Panel*> Rows() const {
        return {screen->PNL001, screen->PNL002, screen->PNL003, screen->PNL004, screen->PNL005,
                screen->PNL006, screen->PNL007, screen->PNL008, screen->PNL009, screen->PNL010};
    }
    bool PrevShown() const { return !screen->LBL002->isHidden(); }
    bool NextShown() const { return !screen->LBL003->isHidden(); }
    // Exactly the selected row shows the selection colour.
    void ExpectHighlightOnSelection() const {
        for (Panel* panel : Rows())
            EXPECT_EQ(panel->Color(),
                      panel->Tag() == screen->CurTag ? kPanelSelectedColor : kPanelUnselectedColor)
                << panel->objectName().toStdString();
    }
    QByteArray SelectedName() const {
        const ListEntry* item = screen->SelectedEntry();
        return item ? item->entry.name : QByteArray("<none>");
    }

    QTemporaryDir temp;
    QByteArray root;
    RecordingMediaScreens media;
    ManualClock clock;
    TestServices services{&clock};
    QPointer<TFile_Menu> screen;
};

TEST_F(FileMenuTest, SetUpFromTheCategoryTable) {
    Open(2);
    EXPECT_EQ(screen->LBL001->text(), QStringLiteral("my Music"));
    EXPECT_EQ(screen->PlaylistKind(), 2);
    EXPECT_FALSE(screen->UseViewer());
    EXPECT_THAT(screen->Extensions().Items(), ElementsAre(".m3u", ".mid", ".mp3", ".wav", ".wma"));
    EXPECT_TRUE(services.locks.LockState(2));
    EXPECT_EQ(screen->CurTag, 100);
    ExpectHighlightOnSelection();
}

TEST_F(FileMenuTest, AFolderThatAnswersAtOnceIsPaintedWithoutAnEmptyPageFirst) {
    MakeFiles("films", 3);
    RegisterOne("films");
    Open();
    screen->PressKey(vk::Return, {});
    EXPECT_TRUE(screen->PaintingHeld());
    Settle();
    EXPECT_FALSE(screen->PaintingHeld());
    EXPECT_EQ(screen->Entries().size(), 4u);
    EXPECT_EQ(screen->PNL002->Caption(), QStringLiteral(" f00"));
}

TEST_F(FileMenuTest, LayoutFollowsTheScreenSize) {
    Open();
    const FileMenuLayout l = ComputeFileMenuLayout(screen->width(), screen->height());
    EXPECT_EQ(screen->PNL001->geometry(), QRect(l.left, l.RowTop(1), l.rowWidth, l.rowHeight));
    EXPECT_EQ(screen->PNL010->y(), l.RowTop(10));
    EXPECT_EQ(screen->LBL001->y(), l.titleTop);
    EXPECT_EQ(screen->LBL002->geometry(), QRect(16, l.hintsTop, 601, l.rowHeight));
    EXPECT_EQ(screen->LBL003->geometry().right() + 1, screen->width() - 11);
    EXPECT_EQ(screen->Image1->size(), screen->size());
}

TEST_F(FileMenuTest, NoRegisteredFoldersMakeOneEmptyPage) {
    Open();
    EXPECT_EQ(screen->PageCount(), 1);
    EXPECT_FALSE(PrevShown());
    EXPECT_FALSE(NextShown());
    EXPECT_TRUE(screen->LBL004->isVisibleTo(screen.data()));
    for (const QString& caption : Captions())
        EXPECT_TRUE(caption.isEmpty());
}

TEST_F(FileMenuTest, TenRegisteredFoldersMakeTwoPages) {
    std::vector<Registered> folders;
    for (int i = 0; i < 10; ++i) {
        MakeDir(QByteArray::number(i));
        folders.push_back({QStringLiteral("Folder %1").arg(i), Path(QByteArray::number(i))});
    }
    Register(kVideoKey, folders);
    Open();
    EXPECT_EQ(screen->PageCount(), 2);
    EXPECT_TRUE(NextShown());
    EXPECT_EQ(Captions()[0], QStringLiteral(" < Folder 0 >"));
    EXPECT_EQ(screen->PNL001->FontColor(), 0x00FFFFu);
    Press(vk::Right);
    EXPECT_EQ(screen->Page(), 1);
    EXPECT_TRUE(PrevShown());
    EXPECT_FALSE(NextShown());
    for (const QString& caption : Captions())
        EXPECT_TRUE(caption.isEmpty());
}

TEST_F(FileMenuTest, MissingRegisteredFolderIsOliveAndDoesNotOpen) {
    Register(kVideoKey, {{QStringLiteral("Gone"), Path("gone")}, {QString(), root}});
    Open();
    EXPECT_EQ(screen->PNL001->FontColor(), 0x008080u);
    EXPECT_EQ(Captions()[1], QStringLiteral(" <  >")); // no title: only the brackets
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 0);
}

TEST_F(FileMenuTest, ListingOfTenEntriesHasOnePageElevenHaveTwo) {
    MakeFiles("ten", 9); // with the up entry: 10
    MakeFiles("eleven", 10);
    Register(kVideoKey,
             {{QStringLiteral("ten"), Path("ten")}, {QStringLiteral("11"), Path("eleven")}});
    Open();
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(screen->Entries().size(), 10u);
    EXPECT_EQ(screen->PageCount(), 1);
    EXPECT_FALSE(NextShown());
    EXPECT_EQ(Captions()[0], QStringLiteral(" <  ..  >"));
    EXPECT_EQ(Captions()[1], QStringLiteral(" f00"));
    EXPECT_EQ(screen->PNL002->FontColor(), 0xFFFFFFu);
    Press(vk::Return); // the up entry
    EXPECT_EQ(screen->Depth(), 0);
    Press(vk::Down);
    Press(vk::Return);
    EXPECT_EQ(screen->PageCount(), 2);
    EXPECT_TRUE(NextShown());
}

TEST_F(FileMenuTest, UpAndDownAcrossPagesAndOntoEmptyRows) {
    MakeFiles("eleven", 10);
    RegisterOne("eleven");
    Open();
    Press(vk::Return);
    Press(vk::Up); // row 0 of page 0 stays
    EXPECT_EQ(screen->CurTag, 100);
    EXPECT_EQ(screen->Page(), 0);
    for (int i = 0; i < 9; ++i)
        Press(vk::Down);
    EXPECT_EQ(screen->CurTag, 109);
    Press(vk::Down);
    EXPECT_EQ(screen->Page(), 1);
    EXPECT_EQ(screen->CurTag, 100);
    EXPECT_EQ(SelectedName(), QByteArray("f09.avi"));
    ExpectHighlightOnSelection();
    Press(vk::Down); // onto a row without an entry
    EXPECT_EQ(screen->CurTag, 101);
    EXPECT_EQ(screen->SelectedEntry(), nullptr);
    Press(vk::Return);
    Press(vk::Space);
    QTest::mouseClick(screen->PNL003, Qt::LeftButton);
    Settle();
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_TRUE(media.requests.empty());
    EXPECT_FALSE(screen->AnyMarked());
    for (int i = 0; i < 12; ++i)
        Press(vk::Down); // row 9 of the last page stays
    EXPECT_EQ(screen->CurTag, 109);
    EXPECT_EQ(screen->Page(), 1);
    screen->CurTag = 100;
    Press(vk::Up); // row 0 of a later page: row 9 of the page before
    EXPECT_EQ(screen->Page(), 0);
    EXPECT_EQ(screen->CurTag, 109);
    ExpectHighlightOnSelection();
    Press(vk::Left); // on the first page already
    EXPECT_EQ(screen->Page(), 0);
    Press(vk::Right);
    Press(vk::Right);
    EXPECT_EQ(screen->Page(), 1);
    EXPECT_EQ(screen->CurTag, 109);
}

class UnlockTest : public FileMenuTest {
protected:
    void SetUp() override {
        FileMenuTest::SetUp();
        for (const char* name : {"a", "b", "c"})
            MakeFiles(name, 1);
        Register(kVideoKey, {{QStringLiteral("A"), Path("a")},
                             {QStringLiteral("B"), Path("b"), true},
                             {QStringLiteral("C"), Path("c")}});
        WriteSettingString(TestStore(), 0, kVideoKey, QStringLiteral("UnLockCode"),
                           QStringLiteral("5820"));
        Open();
    }
    std::vector<QString> Titles() const {
        std::vector<QString> titles;
        for (const ListEntry& item : screen->Entries())
            titles.push_back(item.displayText.trimmed());
        return titles;
    }
};

TEST_F(UnlockTest, CodeShowsLockedFoldersInTheirPlacesAndHidesThemAgain) {
    EXPECT_THAT(Titles(), ElementsAre("< A >", "< C >"));
    Press(vk::Down);
    Type("5820");
    Press(vk::Return);
    EXPECT_THAT(Titles(), ElementsAre("< A >", "< B >", "< C >"));
    EXPECT_EQ(screen->Depth(), 0);
    EXPECT_EQ(screen->Page(), 0);
    EXPECT_EQ(screen->CurTag, 101); // the selected row is unchanged
    EXPECT_FALSE(services.locks.LockState(1));
    Press(vk::Numpad0 + 5);
    Press(vk::Numpad0 + 8);
    Press(vk::Numpad0 + 2);
    Press(vk::Numpad0 + 0);
    Press(vk::Return);
    EXPECT_THAT(Titles(), ElementsAre("< A >", "< C >"));
}

TEST_F(UnlockTest, WrongDigitMeansStartingAgain) {
    Type("55820");
    Press(vk::Return); // opens folder A instead
    EXPECT_EQ(screen->Depth(), 1);
}

TEST_F(UnlockTest, ExtraDigitAfterTheCodeOpensTheEntry) {
    Type("58201");
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_TRUE(services.locks.LockState(1));
}

TEST_F(UnlockTest, DigitsInsideAFolderNeverCount) {
    Press(vk::Return);
    ASSERT_EQ(screen->Depth(), 1);
    Type("5820");
    EXPECT_EQ(screen->CodeProgress(), 0);
    Press(vk::Down);
    Press(vk::Return); // hands the file on
    EXPECT_EQ(screen->Depth(), 1);
    ASSERT_EQ(media.requests.size(), 1u);
    EXPECT_TRUE(services.locks.LockState(1));
}

TEST_F(UnlockTest, SwitchingCategoryAndReopeningLockAgain) {
    Type("5820");
    Press(vk::Return);
    ASSERT_FALSE(services.locks.LockState(1));
    Open();
    EXPECT_TRUE(services.locks.LockState(1));
    EXPECT_THAT(Titles(), ElementsAre("< A >", "< C >"));
}

TEST_F(UnlockTest, CodeCompletedBeforeAClickListsTheRegisteredFoldersAsTheirOwnLevel) {
    Type("5820");
    QTest::mouseClick(screen->PNL001, Qt::LeftButton); // a click does not look at the code
    Settle();
    ASSERT_EQ(screen->Depth(), 1);
    Press(vk::Return);
    EXPECT_THAT(Titles(), ElementsAre("< A >", "< B >", "< C >"));
    EXPECT_EQ(screen->Depth(), 0);
    Press(vk::Return); // folder A
    Press(vk::Return); // its up entry leads back to the registered folders, not above them
    EXPECT_EQ(screen->Depth(), 0);
    EXPECT_THAT(Titles(), ElementsAre("< A >", "< B >", "< C >"));
    Press(vk::Return); // and folder A opens again
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(screen->Entries()[0].entry.path, Path("a/.."));
}

TEST_F(UnlockTest, SwitchingCategoryStartsTheCodeAgain) {
    Type("58");
    ASSERT_EQ(screen->CodeProgress(), 2);
    screen->WmInput(RawInputMessage::FromReport(QByteArray("\x00\x04\x08\x00", 4)));
    EXPECT_EQ(screen->CodeProgress(), 0);
}

TEST_F(UnlockTest, EmptyCodeLeavesEnterOpeningEntries) {
    WriteSettingString(TestStore(), 0, kVideoKey, QStringLiteral("UnLockCode"), QString());
    Open();
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_TRUE(services.locks.LockState(1));
}

TEST_F(FileMenuTest, MarksSurvivePagingAndAHandOffButNotALevelChange) {
    MakeFiles("many", 14);
    RegisterOne("many");
    Open();
    Press(vk::Return);
    for (int i = 0; i < 9; ++i)
        Press(vk::Down);
    Press(vk::Space); // f08 on row 9: marks it and moves to the next page
    EXPECT_EQ(screen->Page(), 1);
    EXPECT_EQ(screen->CurTag, 100);
    Press(vk::Add);   // f09
    Press(vk::Space); // f10
    EXPECT_EQ(Captions()[0], QStringLiteral("*f09"));
    EXPECT_EQ(screen->CurTag, 102);
    Press(vk::Left);
    EXPECT_EQ(Captions()[9], QStringLiteral("*f08"));
    Press(vk::Right);
    Press(vk::Return); // f11 to the player
    ASSERT_EQ(media.requests.size(), 1u);
    QByteArrayList listing;
    for (int i = 0; i < 14; ++i)
        listing << Path("many/" + QByteArray(QString::asprintf("f%02d.avi", i).toLatin1()));
    EXPECT_EQ(media.requests[0], (MediaRequest{Path("many/f11.avi"), false, false, 1, listing}));
    EXPECT_EQ(Captions()[0], QStringLiteral("*f09"));
    EXPECT_EQ(screen->Page(), 1);
    EXPECT_FALSE(screen->Busy());
    Press(vk::Home); // some marked: clears all
    EXPECT_FALSE(screen->AnyMarked());
    Press(vk::Home); // none marked: marks every file, never a folder
    for (const ListEntry& item : screen->Entries())
        EXPECT_EQ(item.entry.marked, !item.entry.directory);
    Press(vk::LetterA + ('U' - 'A'), ShiftState{false, true, false});
    EXPECT_EQ(screen->Depth(), 0);
    Press(vk::Return);
    EXPECT_FALSE(screen->AnyMarked());
}

TEST_F(FileMenuTest, AmpersandInARegisteredTitleShows) {
    MakeDir("media");
    Register(kVideoKey, {{QStringLiteral("Tom & Jerry"), Path("media")}});
    Open();
    EXPECT_EQ(ShowMnemonic(Captions()[0]).text, QStringLiteral(" < Tom & Jerry >"));
    EXPECT_EQ(ShowMnemonic(Captions()[0]).underlined, -1);
}

TEST_F(FileMenuTest, AmpersandsInFolderAndFileNames) {
    MakeDir("media/Tom & Jerry");
    Touch("media/Rock &Roll.avi");
    RegisterOne("media");
    Open();
    Press(vk::Return);
    EXPECT_EQ(Captions()[1], QStringLiteral(" < Tom && Jerry >"));
    EXPECT_EQ(ShowMnemonic(Captions()[1]).text, QStringLiteral(" < Tom & Jerry >"));
    const ShownCaption file = ShowMnemonic(Captions()[2]);
    EXPECT_EQ(file.text, QStringLiteral(" Rock &Roll"));
    EXPECT_EQ(file.underlined, -1);
    Press(vk::Down);
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 2);
    Press(vk::Return); // back up, "Tom & Jerry" selected again
    EXPECT_EQ(screen->CurTag, 101);
    Press(vk::Down);
    Press(vk::Return);
    ASSERT_EQ(media.requests.size(), 1u);
    EXPECT_EQ(media.requests[0].path, Path("media/Rock &Roll.avi"));
}

TEST_F(FileMenuTest, TrailingSeparatorOpensAsUsual) {
    MakeFiles("media", 2);
    Register(kVideoKey, {{QStringLiteral("Films"), Path("media/")}});
    Open();
    EXPECT_TRUE(screen->Entries()[0].entry.name.isEmpty());
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    ASSERT_EQ(screen->Entries().size(), 3u);
    EXPECT_EQ(screen->Entries()[1].entry.path, Path("media/f00.avi"));
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 0);
}

TEST_F(FileMenuTest, UpEntryReturnsWithTheEnteredFolderSelected) {
    std::vector<Registered> folders;
    for (int i = 0; i < 12; ++i) {
        MakeFiles(QByteArray::number(i), 1);
        folders.push_back({QString::number(i), Path(QByteArray::number(i))});
    }
    MakeDir("11/sub");
    Register(kVideoKey, folders);
    Open();
    Press(vk::Right);
    Press(vk::Down);
    Press(vk::Return); // folder 11 on page 1, row 1
    EXPECT_EQ(screen->Depth(), 1);
    Press(vk::Down);
    Press(vk::Return); // its sub-folder
    EXPECT_EQ(screen->Depth(), 2);
    Press(vk::Return); // up: back in folder 11 with "sub" selected
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(SelectedName(), QByteArray("sub"));
    screen->WmAppCommand(0x1033); // up again, by the remote
    Settle();
    EXPECT_EQ(screen->Depth(), 0);
    EXPECT_EQ(screen->Page(), 1);
    EXPECT_EQ(screen->CurTag, 101);
    ExpectHighlightOnSelection();
}

TEST_F(FileMenuTest, FolderThatCannotBeReadGivesAnEmptyListingAndCtrlULeadsBack) {
    MakeFiles("vanishing", 1);
    Register(kVideoKey, {{QStringLiteral("Shows"), Path("shows")},
                         {QStringLiteral("Films"), Path("vanishing")}});
    Open();
    ASSERT_TRUE(QDir(QFile::decodeName(Path("vanishing"))).removeRecursively());
    Press(vk::Down);
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(screen->PageCount(), 0);
    EXPECT_TRUE(NextShown());
    Press(vk::Right);
    Press(vk::Down);
    EXPECT_EQ(screen->Page(), 0);
    // Ctrl+U: back to the registered folders, on the folder that was opened.
    Press(vk::LetterA + ('U' - 'A'), ShiftState{.ctrl = true});
    EXPECT_EQ(screen->Depth(), 0);
    EXPECT_EQ(screen->Page(), 0);
    EXPECT_EQ(screen->CurTag, 101);
    ExpectHighlightOnSelection();
    Press(vk::Escape);
    EXPECT_FALSE(screen->isVisible());
}

TEST_F(FileMenuTest, SymbolicLinkLoopIsNotWalkedInto) {
    MakeDir("media");
    ASSERT_EQ(symlink(".", Path("media/a").constData()), 0);
    RegisterOne("media");
    Open();
    Press(vk::Return);
    Press(vk::Down);
    ASSERT_EQ(SelectedName(), QByteArray("a"));
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(SelectedName(), QByteArray("a"));
}

TEST_F(FileMenuTest, NestingDeeperThanAThousandLevelsWalksDownAndBack) {
    QByteArray deep = "n";
    constexpr int kLevels = 1030;
    for (int i = 1; i < kLevels; ++i)
        deep += "/d";
    MakeDir(deep);
    RegisterOne("n");
    Open();
    Press(vk::Return);
    for (int i = 1; i < kLevels; ++i) {
        Press(vk::Down);
        Press(vk::Return);
    }
    EXPECT_EQ(screen->Depth(), kLevels);
    for (int i = 1; i < kLevels; ++i)
        screen->GoUp();
    Settle();
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(SelectedName(), QByteArray("d"));
    screen->GoUp();
    Settle();
    EXPECT_EQ(screen->Depth(), 0);
}

TEST_F(FileMenuTest, NameNotValidUtf8HandedOnByteForByte) {
    MakeDir("media");
    const QByteArray name("caf\xE9.avi");
    Touch("media/" + name);
    RegisterOne("media");
    Open();
    Press(vk::Return);
    Press(vk::Down);
    EXPECT_TRUE(Captions()[1].startsWith(QStringLiteral(" caf")));
    Press(vk::Return);
    ASSERT_EQ(media.requests.size(), 1u);
    EXPECT_EQ(media.requests[0].path, Path("media/" + name));
    EXPECT_EQ(unlink(Path("media/" + name).constData()), 0);
}

TEST_F(FileMenuTest, PictureFilesGoToTheViewerWithTheirFolder) {
    MakeDir("pics");
    MakeDir("pics/sub");
    Touch("pics/b.jpg");
    Touch("pics/a.JPG");
    Touch("pics/notes.txt");
    Register(QStringLiteral("Software\\Quor\\Couchframe\\Picture"),
             {{QStringLiteral("P"), Path("pics")}});
    Open(3);
    Press(vk::Return);
    Press(vk::Down); // past "sub"
    Press(vk::Down);
    Press(vk::Return);
    ASSERT_EQ(media.requests.size(), 1u);
    // The folder's pictures in the order of the screen; no folders, no other files.
    EXPECT_EQ(media.requests[0],
              (MediaRequest{
                  Path("pics/a.JPG"), true, false, 3, {Path("pics/a.JPG"), Path("pics/b.jpg")}}));
    EraseSettingKey(TestStore(), 0, QStringLiteral("Software\\Quor\\Couchframe\\Picture"));
}

// Opens a bare screen for each hand-off.
class OpeningHandOff : public MediaScreenFactory {
public:
    std::unique_ptr<Form> CreateMediaScreen(const MediaRequest& request) override {
        requests.push_back(request);
        return std::make_unique<Form>();
    }
    std::vector<MediaRequest> requests;
};

TEST_F(FileMenuTest, AMediaScreenStandsOverTheListAndASecondHandOffIsRefused) {
    OpeningHandOff factory;
    TFile_Menu& menu = Open(1, &factory);

    menu.ShowMedia("/first", true, true);
    ASSERT_EQ(services.window.Depth(), 2);
    EXPECT_TRUE(menu.Busy());
    EXPECT_FALSE(menu.isVisible());
    menu.ShowMedia("/second", false, false);
    ASSERT_EQ(factory.requests.size(), 1u);
    EXPECT_EQ(factory.requests[0], (MediaRequest{"/first", true, true, 1, {}}));
    EXPECT_EQ(services.window.Depth(), 2);

    services.window.Top()->close();
    EXPECT_FALSE(menu.Busy());
    EXPECT_EQ(services.window.Top(), &menu);
    EXPECT_TRUE(menu.isVisible());
    menu.ShowMedia("/third", false, false);
    EXPECT_EQ(factory.requests.size(), 2u);
}

// What each row has been to the viewer, from the index alone; Stop (Ctrl+S) forgets a file's.
TEST_F(FileMenuTest, VideoRowsShowWatchedAndInProgressAndStopClearsAFilesMark) {
    MakeFiles("films", 3);
    MakeFiles("films/Series", 1);
    MakeFiles("films/Unseen", 1);
    RegisterOne("films");
    PlaybackIndex& index = services.index;
    auto keep = [&](const QByteArray& relative, double position, int playCount) {
        PlaybackRecord record;
        record.path = Path(relative);
        record.duration = 1000;
        record.position = position;
        record.playCount = playCount;
        index.Save(record);
    };
    keep("films/f00.avi", 0, 1);
    keep("films/f01.avi", 250, 0);
    keep("films/Series/f00.avi", 400, 0);
    keep("films/Unseen/f00.avi", 100, 0); // opened once: nothing to show
    index.Save([&] {
        PlaybackRecord record;
        record.path = Path("films/Unseen/f00.avi");
        record.duration = 1000;
        return record;
    }());
    OpeningHandOff factory;
    Open(1, &factory);
    EXPECT_EQ(screen->PNL001->RowMark(), Panel::Mark::InProgress); // the registered folder
    Press(vk::Return);
    // " .. ", Series, Unseen, f00, f01, f02
    ASSERT_EQ(Captions()[3], QStringLiteral(" f00"));
    EXPECT_EQ(screen->PNL001->RowMark(), Panel::Mark::None);
    EXPECT_EQ(screen->PNL002->RowMark(), Panel::Mark::InProgress);
    EXPECT_EQ(screen->PNL003->RowMark(), Panel::Mark::None);
    EXPECT_EQ(screen->PNL004->RowMark(), Panel::Mark::Watched);
    EXPECT_EQ(screen->PNL005->RowMark(), Panel::Mark::InProgress);
    EXPECT_DOUBLE_EQ(screen->PNL005->Progress(), 0.25);
    EXPECT_EQ(screen->PNL006->RowMark(), Panel::Mark::None);

    for (int i = 0; i < 3; ++i)
        Press(vk::Down);
    screen->WmAppCommand(appcommand::Stop);
    EXPECT_EQ(screen->PNL004->RowMark(), Panel::Mark::None);
    EXPECT_FALSE(index.Find(Path("films/f00.avi")));
    Press(vk::Down);
    Press('S', ShiftState{false, true, false});
    EXPECT_EQ(screen->PNL005->RowMark(), Panel::Mark::None);
    // A folder's mark stands for what is below it: Stop leaves it.
    Press(vk::Up);
    Press(vk::Up);
    Press(vk::Up);
    screen->WmAppCommand(appcommand::Stop);
    EXPECT_EQ(screen->PNL002->RowMark(), Panel::Mark::InProgress);

    // Back from the player the rows show what was just watched.
    Press(vk::Down);
    Press(vk::Down);
    Press(vk::Down);
    Press(vk::Down); // f02
    Press(vk::Return);
    ASSERT_EQ(services.window.Depth(), 2);
    keep("films/f02.avi", 0, 1);
    services.window.Top()->close();
    EXPECT_EQ(screen->PNL006->RowMark(), Panel::Mark::Watched);
}

TEST_F(FileMenuTest, MusicRowsShowNoWatchMarks) {
    MakeFiles("songs", 1);
    Register(kMusicKey, {{QStringLiteral("Songs"), Path("songs")}});
    PlaybackRecord record;
    record.path = Path("songs/f00.avi");
    record.playCount = 1;
    services.index.Save(record);
    Open(2);
    Press(vk::Return);
    EXPECT_EQ(screen->PNL002->RowMark(), Panel::Mark::None);
}

TEST_F(FileMenuTest, MouseSelectsAndClickOpens) {
    MakeFiles("a", 1);
    MakeFiles("b", 1);
    Register(kVideoKey, {{QStringLiteral("A"), Path("a")}, {QStringLiteral("B"), Path("b")}});
    Open();
    const QPoint before = screen->PNL002->pos();
    QTest::mousePress(screen->PNL002, Qt::LeftButton);
    EXPECT_EQ(screen->CurTag, 101);
    EXPECT_EQ(screen->PNL002->Color(), kPanelSelectedColor);
    QTest::mouseRelease(screen->PNL002, Qt::LeftButton);
    Settle();
    EXPECT_EQ(screen->PNL002->pos(), before);
    EXPECT_EQ(screen->Depth(), 1);
    ASSERT_FALSE(screen->Entries().empty());
    EXPECT_EQ(screen->Entries()[0].entry.path, Path("b/.."));
    ExpectHighlightOnSelection();
}

TEST_F(FileMenuTest, RemoteCategoryButtons) {
    Open();
    Press(vk::Down);
    Press(vk::Down);
    screen->WmInput(RawInputMessage::FromReport(QByteArray("\x00\x04\x08\x00", 4)));
    EXPECT_EQ(screen->category, 2);
    EXPECT_EQ(screen->LBL001->text(), QStringLiteral("my Music"));
    EXPECT_EQ(screen->CurTag, 100);
    ExpectHighlightOnSelection();
    Press(vk::Down);
    screen->WmInput(RawInputMessage::FromReport(QByteArray("\x04\x08\x00", 3))); // Music again
    EXPECT_EQ(screen->CurTag, 101);
    screen->WmInput(RawInputMessage::FromReport(QByteArray("\x00\x04\x20\x00", 4))); // Files
    EXPECT_EQ(screen->category, 2);
    screen->WmInput(RawInputMessage::FromReport(QByteArray("\x00\x04\x10\x00", 4)));
    EXPECT_EQ(screen->category, 3);
    EXPECT_TRUE(screen->UseViewer());
    screen->WmInput(RawInputMessage::FromReport(QByteArray("\x00\x04\x80\x00", 4)));
    EXPECT_EQ(screen->category, 1);
}

TEST_F(FileMenuTest, ApplicationCommandTable) {
    MakeFiles("media", 3);
    RegisterOne("media");
    Open();
    Press(vk::Return);
    Press(vk::Down);
    screen->WmAppCommand(0x0009); // mark f00
    screen->WmAppCommand(0x000A); // mark f01
    EXPECT_EQ(screen->CurTag, 103);
    EXPECT_TRUE(screen->Entries()[1].entry.marked);
    EXPECT_TRUE(screen->Entries()[2].entry.marked);
    ExpectHighlightOnSelection();
    screen->WmAppCommand(0x0008); // some marked: clear all
    EXPECT_FALSE(screen->AnyMarked());
    screen->WmAppCommand(0x100A); // volume up from an OEM source: nothing
    screen->WmAppCommand(0x0033); // channel up from a keyboard: nothing
    EXPECT_FALSE(screen->AnyMarked());
    EXPECT_EQ(screen->Depth(), 1);
    screen->WmAppCommand(0x1033);
    Settle();
    EXPECT_EQ(screen->Depth(), 0);
}

TEST_F(FileMenuTest, PlayCommandHandsOnThePlaylistOfTheMarks) {
    MakeFiles("many", 25);
    RegisterOne("many");
    Open();
    Press(vk::Return);
    Press(vk::Down);
    Press(vk::Space); // f00 on page 0
    Press(vk::Right);
    Press(vk::Right);
    screen->CurTag = 101;
    Press(vk::Space);                 // f20 on page 2
    Press(vk::LetterA + ('P' - 'A')); // without Ctrl: nothing
    screen->WmAppCommand(0x002E);     // play from a keyboard source: nothing
    EXPECT_TRUE(media.requests.empty());
    Press(vk::LetterA + ('P' - 'A'), ShiftState{false, true, false});
    ASSERT_EQ(media.requests.size(), 1u);
    const MediaRequest& request = media.requests[0];
    EXPECT_FALSE(request.viewer);
    EXPECT_TRUE(request.list);
    EXPECT_TRUE(request.path.endsWith(".wpl"));
    QFile playlist(QFile::decodeName(request.path));
    ASSERT_TRUE(playlist.open(QIODevice::ReadOnly));
    const QByteArray text = playlist.readAll();
    EXPECT_TRUE(text.contains("<media src=\"" + Path("many/f00.avi") + "\"/>"));
    EXPECT_TRUE(text.contains("<media src=\"" + Path("many/f20.avi") + "\"/>"));
    EXPECT_EQ(text.count("<media "), 2);
    EXPECT_TRUE(screen->AnyMarked()); // the marks stay
    screen->WmAppCommand(0x102E);     // the remote's play: the same hand-off
    Settle();
    EXPECT_EQ(media.requests.size(), 2u);
    screen->WmAppCommand(appcommand::PlayPause); // the single play/pause button plays too
    EXPECT_EQ(media.requests.size(), 3u);
}

TEST_F(FileMenuTest, PlayCommandOnAFileHandsOnTheFileItself) {
    MakeFiles("media", 2);
    RegisterOne("media");
    Open();
    Press(vk::Return);
    Press(vk::Down);
    Press(vk::Down);
    screen->WmAppCommand(0x102E);
    Settle();
    ASSERT_EQ(media.requests.size(), 1u);
    EXPECT_EQ(media.requests[0], (MediaRequest{Path("media/f01.avi"), false, false, 1, {}}));
}

TEST_F(FileMenuTest, PlayCommandOnAFileRemovedSinceTheListingPlaysNothing) {
    MakeFiles("media", 2);
    RegisterOne("media");
    Open();
    Press(vk::Return);
    Press(vk::Down);
    ASSERT_EQ(unlink(Path("media/f00.avi").constData()), 0);
    Press(vk::LetterA + ('P' - 'A'), ShiftState{false, true, false});
    EXPECT_FALSE(screen->ReadingFolder());
    EXPECT_TRUE(media.requests.empty());
    Press(vk::Down); // the file beside it is still there
    Press(vk::LetterA + ('P' - 'A'), ShiftState{false, true, false});
    EXPECT_THAT(media.requests,
                ElementsAre(MediaRequest{Path("media/f01.avi"), false, false, 1, {}}));
}

TEST_F(FileMenuTest, DamagedEntryCountListsNothing) {
    WriteSettingInt(TestStore(), 0, kVideoKey, QStringLiteral("ItemCount"), -7);
    Open();
    EXPECT_TRUE(screen->Entries().empty());
    EXPECT_EQ(screen->PageCount(), 1);
}

// Shares that stall: the shim holds every call on a path below the held one until released.
class StalledShareTest : public FileMenuTest {
protected:
    void TearDown() override { stall_shim_release(); }
    void Hold(const QByteArray& relative) const { stall_shim_hold(Path(relative).constData()); }
    // A worker waits on the share while the test goes on: the screen did not wait with it.
    static void ExpectWorkerStalled() { ASSERT_EQ(stall_shim_wait_for_stalled(1, 30000), 1); }
    static void ReleaseShare() {
        stall_shim_release();
        ASSERT_TRUE(QTest::qWaitFor([] { return stall_shim_waiting() == 0; }, 30000));
    }
    // The share answered and its workers ended: whatever they would bring has arrived.
    static void ReleaseShareAndLetWorkersEnd() {
        ReleaseShare();
        ASSERT_TRUE(WaitForWorkersToEnd());
    }
    TFile_Menu& OpenWhileStalled() {
        auto list = std::make_unique<TFile_Menu>(media, services.FolderLists());
        screen = list.get();
        services.window.Push(std::move(list));
        services.window.show();
        return *screen;
    }
    // Registered folder "share" listed (depth 1) with "slow" selected, whose listing stalls.
    void SelectStalledFolder(int files) {
        MakeFiles("share/slow", files);
        RegisterOne("share");
        Open();
        Press(vk::Return);
        Press(vk::Down);
        ASSERT_EQ(SelectedName(), QByteArray("slow"));
        Hold("share/slow");
    }
    void EnterStalledFolder() {
        SelectStalledFolder(12);
        screen->PressKey(vk::Return, {});
        ExpectWorkerStalled();
    }
    void PlayStalledFolder() {
        SelectStalledFolder(2);
        PressCtrl(*screen, 'P');
        ExpectWorkerStalled();
    }
    // Registered folder "share" listed (depth 1) with the file "f00.avi" selected, which stalls.
    void PlayStalledFile() {
        MakeFiles("share", 2);
        RegisterOne("share");
        Open();
        Press(vk::Return);
        Press(vk::Down);
        ASSERT_EQ(SelectedName(), QByteArray("f00.avi"));
        Hold("share/f00.avi");
        PressCtrl(*screen, 'P');
        ExpectWorkerStalled();
    }
    static void PressCtrl(TFile_Menu& menu, char letter) {
        menu.PressKey(vk::LetterA + (letter - 'A'), ShiftState{false, true, false});
    }
};

TEST_F(StalledShareTest, ListingShowsThatItIsBeingReadAndAppearsWhenTheShareWakes) {
    EnterStalledFolder();
    EXPECT_TRUE(screen->ReadingFolder());
    EXPECT_EQ(screen->Depth(), 2);
    // The rows keep what they showed for a moment, in case the folder answered at once.
    EXPECT_TRUE(screen->PaintingHeld());
    EXPECT_THAT(Captions(), ::testing::Contains(::testing::Ne(QString())));
    clock.Advance(FolderWalk::kQuickAnswer);
    EXPECT_FALSE(screen->PaintingHeld());
    EXPECT_THAT(Captions(), ::testing::Each(QString()));
    EXPECT_FALSE(NextShown());
    clock.Advance(FolderWalk::kShowReadingAfter - FolderWalk::kQuickAnswer -
                  std::chrono::milliseconds(1));
    EXPECT_EQ(screen->LBL001->text(), QStringLiteral("my Video"));
    clock.Advance(std::chrono::milliseconds(1));
    EXPECT_EQ(screen->LBL001->text(), QStringLiteral("Reading the folder… 0 found"));
    ReleaseShare();
    Settle();
    EXPECT_EQ(screen->LBL001->text(), QStringLiteral("my Video"));
    EXPECT_EQ(screen->Entries().size(), 13u);
    EXPECT_EQ(screen->PageCount(), 2);
    EXPECT_EQ(SelectedName(), QByteArray(".."));
    EXPECT_EQ(screen->PNL002->Caption(), QStringLiteral(" f00"));
    ExpectHighlightOnSelection();
}

class LeaveWhileReadingTest : public StalledShareTest, public ::testing::WithParamInterface<int> {};

TEST_P(LeaveWhileReadingTest, ClosesAtOnceAndDropsTheLateListing) {
    EnterStalledFolder();
    screen->PressKey(GetParam(), {});
    EXPECT_FALSE(screen->isVisible());
    EXPECT_FALSE(screen->ReadingFolder());
    EXPECT_EQ(services.window.Depth(), 0);
    // The listing that comes late finds the screen gone.
    ReleaseShareAndLetWorkersEnd();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(screen.isNull());
}

INSTANTIATE_TEST_SUITE_P(Keys, LeaveWhileReadingTest, ::testing::Values(vk::Escape, vk::Delete),
                         [](const auto& info) {
                             return std::string(info.param == vk::Escape ? "Esc" : "Delete");
                         });

TEST_F(StalledShareTest, CtrlUWhileReadingGoesBackWithTheFolderSelected) {
    EnterStalledFolder();
    screen->PressKey(vk::Down, {});  // onto an empty row of the folder being read
    screen->PressKey(vk::Space, {}); // nothing to mark
    PressCtrl(*screen, 'U');
    EXPECT_FALSE(screen->ReadingFolder());
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(SelectedName(), QByteArray("slow"));
    ExpectHighlightOnSelection();
    ReleaseShareAndLetWorkersEnd();
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(screen->Entries().size(), 2u); // "..", "slow": the late listing was dropped
    Press(vk::Return);                       // the share is awake: the folder opens
    EXPECT_EQ(screen->Entries().size(), 13u);
}

TEST_F(StalledShareTest, CtrlUWhileReadingAtTheFirstLevelReturnsToTheRegisteredFolders) {
    MakeFiles("a", 1);
    MakeFiles("nas", 1);
    Register(kVideoKey, {{QStringLiteral("A"), Path("a")}, {QStringLiteral("NAS"), Path("nas")}});
    Open();
    Press(vk::Down);
    Hold("nas");
    screen->PressKey(vk::Return, {});
    ExpectWorkerStalled();
    PressCtrl(*screen, 'U');
    EXPECT_EQ(screen->Depth(), 0);
    EXPECT_EQ(screen->CurTag, 101);
    EXPECT_EQ(screen->Entries().size(), 2u);
}

TEST_F(StalledShareTest, RegisteredFolderThatAnswersLateTurnsYellowAndOpens) {
    MakeFiles("nas", 3);
    RegisterOne("nas");
    Hold("nas");
    OpenWhileStalled();
    ExpectWorkerStalled();
    EXPECT_TRUE(screen->TestingFolders());
    clock.Advance(FolderWalk::kQuickAnswer); // not answered at once: shown as missing
    EXPECT_EQ(screen->PNL001->FontColor(), 0x008080u);
    screen->PressKey(vk::Return, {});
    EXPECT_EQ(screen->Depth(), 0); // not there yet
    ReleaseShare();
    Settle();
    EXPECT_EQ(screen->PNL001->FontColor(), 0x00FFFFu);
    Press(vk::Return);
    EXPECT_EQ(screen->Depth(), 1);
    EXPECT_EQ(screen->Entries().size(), 4u);
}

int ThreadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

TEST_F(StalledShareTest, RebuildsWhileAShareHangsTestItOnce) {
    MakeDir("nas");
    RegisterOne("nas");
    Hold("nas");
    const int threadsBefore = ThreadCount();
    for (int rebuild = 0; rebuild < 7; ++rebuild)
        OpenWhileStalled();
    ExpectWorkerStalled();
    EXPECT_EQ(BackgroundJob::WorkersRunning(), 1);
    EXPECT_EQ(stall_shim_waiting(), 1);
    EXPECT_LE(ThreadCount() - threadsBefore, 1);
    ReleaseShare();
    Settle();
    EXPECT_EQ(screen->PNL001->FontColor(), 0x00FFFFu);
}

// A play command waiting for a stalled share: the walk of a folder, or the look for a file.
struct WaitingPlayCase {
    const char* name;
    bool onFile;         // the selection is a file, not a folder
    bool list;           // a playlist is handed on, not the file itself
    const char* pathEnd; // how the handed-on path ends
};
void PrintTo(const WaitingPlayCase& c, std::ostream* out) {
    *out << c.name;
}

class WaitingPlayCommandTest : public StalledShareTest,
                               public ::testing::WithParamInterface<WaitingPlayCase> {
protected:
    void Start() { GetParam().onFile ? PlayStalledFile() : PlayStalledFolder(); }
};

TEST_P(WaitingPlayCommandTest, HandsOnWhenTheShareWakes) {
    Start();
    EXPECT_TRUE(screen->ReadingFolder());
    screen->PressKey(vk::Up, {}); // the list stays usable meanwhile
    EXPECT_EQ(SelectedName(), QByteArray(".."));
    EXPECT_TRUE(media.requests.empty());
    ReleaseShare();
    Settle();
    ASSERT_EQ(media.requests.size(), 1u);
    EXPECT_EQ(media.requests[0].list, GetParam().list);
    EXPECT_TRUE(media.requests[0].path.endsWith(GetParam().pathEnd))
        << media.requests[0].path.constData();
    EXPECT_EQ(screen->LBL001->text(), QStringLiteral("my Video"));
}

TEST_P(WaitingPlayCommandTest, LeavingDropsIt) {
    Start();
    screen->PressKey(vk::Escape, {});
    EXPECT_FALSE(screen->isVisible());
    EXPECT_FALSE(screen->ReadingFolder());
    ReleaseShareAndLetWorkersEnd();
    EXPECT_TRUE(media.requests.empty());
}

TEST_P(WaitingPlayCommandTest, CtrlUDropsIt) {
    Start();
    PressCtrl(*screen, 'U');
    ReleaseShare();
    Settle();
    EXPECT_EQ(screen->Depth(), 0);
    EXPECT_TRUE(media.requests.empty());
}

INSTANTIATE_TEST_SUITE_P(Selections, WaitingPlayCommandTest,
                         ::testing::Values(WaitingPlayCase{"Folder", false, true, ".wpl"},
                                           WaitingPlayCase{"File", true, false, "/share/f00.avi"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The child of the test below: leaves the process while workers wait on a stalled share.
TEST_F(StalledShareTest, DISABLED_ExitWithWorkersStuck) {
    EnterStalledFolder();
    stall_shim_hold(root.constData());
    OpenWhileStalled(); // its existence test waits as well
    std::exit(0);
}

TEST_F(StalledShareTest, WorkersStuckOnAShareDoNotKeepTheProcessFromExiting) {
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments(
        {QStringLiteral("--gtest_also_run_disabled_tests"),
         QStringLiteral("--gtest_filter=StalledShareTest.DISABLED_ExitWithWorkersStuck")});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    ASSERT_TRUE(child.waitForStarted());
    const bool exited = child.waitForFinished(60000);
    if (!exited)
        child.kill();
    ASSERT_TRUE(exited) << "the process hung while leaving";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
}

} // namespace
