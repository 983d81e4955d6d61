#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"
#include "filemenu/folder_existence.h"
#include "filemenu/folder_listing.h"
#include "filemenu/folder_reading.h"
#include "platform/byte_path.h"
#include "platform/mnemonic.h"
#include "worker_waits.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gmock/gmock.h>

#include <array>
#include <atomic>
#include <fcntl.h>
#include <future>
#include <map>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct SplitCase {
    const char* text;
    std::vector<QString> items;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << QuotedForTest(c.text);
}

class ExtensionSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ExtensionSplitTest, SplitsAsTheSettingIsWritten) {
    const SplitCase& c = GetParam();
    EXPECT_THAT(SplitExtensionItems(QString::fromUtf8(c.text)), ElementsAreArray(c.items));
}

INSTANTIATE_TEST_SUITE_P(
    Items, ExtensionSplitTest,
    ::testing::Values(SplitCase{"mpg,mpeg,avi,wpl", {"mpg", "mpeg", "avi", "wpl"}},
                      SplitCase{"", {}}, SplitCase{"   ", {}}, SplitCase{"mp3", {"mp3"}},
                      // blanks and control characters end an item
                      SplitCase{"mp3 wav", {"mp3", "wav"}},
                      SplitCase{" mp3 , wav ", {"mp3", "wav"}},
                      SplitCase{"mp3\twav\x01ogg", {"mp3", "wav", "ogg"}},
                      // empty items between commas and after a final comma are kept
                      SplitCase{"mp3,,wav", {"mp3", "", "wav"}}, SplitCase{"mp3,", {"mp3", ""}},
                      SplitCase{",mp3", {"", "mp3"}},
                      // a blank after the final comma: no empty item
                      SplitCase{"mp3, ", {"mp3"}},
                      // quoted items keep blanks and commas; "" is one quote
                      SplitCase{"\"my ext\",mp3", {"my ext", "mp3"}}, SplitCase{"\"a,b\"", {"a,b"}},
                      SplitCase{"\"a\"\"b\"", {"a\"b"}}, SplitCase{"\"\",mp3", {"", "mp3"}},
                      SplitCase{"\"open", {"open"}}));

TEST(ExtensionListTest, DotsSortedAndCaseIgnored) {
    const ExtensionList list(QStringLiteral("wav,MP3,,avi"));
    EXPECT_THAT(list.Items(), ElementsAre(".", ".avi", ".MP3", ".wav"));
    EXPECT_TRUE(list.MatchesFileName("song.mp3"));
    EXPECT_TRUE(list.MatchesFileName("SONG.Mp3"));
    EXPECT_TRUE(list.MatchesFileName("a.b.AVI"));
    EXPECT_FALSE(list.MatchesFileName("song.mp4"));
    EXPECT_FALSE(list.MatchesFileName("mp3"));   // no extension
    EXPECT_FALSE(list.MatchesFileName("song.")); // the empty item matches nothing
    EXPECT_FALSE(list.MatchesFileName("song"));
}

TEST(ExtensionListTest, NonAsciiExtensionsIgnoreCase) {
    const ExtensionList list(QStringLiteral("ÉTÉ"));
    EXPECT_TRUE(list.MatchesFileName(QStringLiteral("a.été").toUtf8()));
}

TEST(DisplayTextTest, FoldersFilesAndTheUpEntry) {
    EXPECT_EQ(RegisteredFolderText(QStringLiteral("Films")), QStringLiteral("     < Films >"));
    EXPECT_EQ(RegisteredFolderText(QString()), QStringLiteral("     <  >"));
    EXPECT_EQ(SubFolderText("Tom & Jerry"), QStringLiteral("     < Tom && Jerry >"));
    EXPECT_EQ(SubFolderText(".."), QStringLiteral("     <  ..  >"));
    EXPECT_EQ(FileText("Tom & Jerry.avi"), QStringLiteral("Tom && Jerry"));
    EXPECT_EQ(FileText("a.b.mp3"), QStringLiteral("a.b"));
    EXPECT_EQ(RegisteredFolderText(QStringLiteral("R&B")), QStringLiteral("     < R&&B >"));
}

TEST(DisplayTextTest, SortTextIsTheNamesOwn) {
    EXPECT_EQ(SortText(FileText("Tom & Jerry.avi")), QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(SortText(FileText("&&&.avi")), QStringLiteral("&&&"));
    EXPECT_EQ(SortText(SubFolderText("a&b")), QStringLiteral("     < a&b >"));
}

TEST(DisplayTextTest, CaptionTrimsAndMarks) {
    ListEntry item{QStringLiteral("  \tname \x01"), {}};
    EXPECT_EQ(RowCaption(item), QStringLiteral(" name"));
    item.entry.marked = true;
    EXPECT_EQ(RowCaption(item), QStringLiteral("*name"));
}

TEST(DisplayTextTest, PathComponents) {
    EXPECT_EQ(LastPathComponent("/media/films"), QByteArray("films"));
    EXPECT_EQ(LastPathComponent("/media/films/"), QByteArray());
    EXPECT_EQ(StripTwoComponents("/media/movies/action/.."), QByteArray("/media/movies"));
    EXPECT_EQ(StripTwoComponents("/media/.."), QByteArray("/"));
    EXPECT_EQ(JoinPath("/media/", "a"), QByteArray("/media/a"));
    EXPECT_EQ(JoinPath("/media", "a"), QByteArray("/media/a"));
}

TEST(RowColorTest, ByKindAndExistence) {
    EXPECT_EQ(RowFontColor({"", "", true, true, false}), 0x00FFFFu);
    EXPECT_EQ(RowFontColor({"", "", true, false, false}), 0x008080u);
    EXPECT_EQ(RowFontColor({"", "", false, true, false}), 0xFFFFFFu);
    EXPECT_EQ(RowFontColor({"", "", false, false, false}), 0x808080u);
}

class FolderListingTest : public ::testing::Test {
protected:
    QByteArray Path(const char* name) const { return JoinPath(root, name); }
    void Touch(const char* name) const {
        QFile file(QFile::decodeName(Path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void MakeDir(const char* name) const { ASSERT_EQ(mkdir(Path(name).constData(), 0755), 0); }
    std::vector<QByteArray> Names(const EntryList& list) const {
        std::vector<QByteArray> names;
        for (const ListEntry& item : list)
            names.push_back(item.entry.name);
        return names;
    }

    QTemporaryDir temp;
    QByteArray root = QFile::encodeName(temp.path());
    ExtensionList video{QStringLiteral("mpg,mpeg,avi,wpl")};
};

TEST_F(FolderListingTest, UpEntryThenFoldersThenFilesCaseIgnored) {
    for (const char* name : {"b.avi", "A.mpg", "c.MPEG", "notes.txt", "noext"})
        Touch(name);
    for (const char* name : {"Zeta", "alpha"})
        MakeDir(name);
    const EntryList list = ListFolderEntries(root, video);
    EXPECT_THAT(Names(list), ElementsAre("..", "alpha", "Zeta", "A.mpg", "b.avi", "c.MPEG"));
    EXPECT_EQ(list[0].entry.path, root + "/..");
    EXPECT_TRUE(list[0].entry.directory);
    EXPECT_EQ(list[3].entry.path, root + "/A.mpg");
    EXPECT_FALSE(list[3].entry.directory);
    for (const ListEntry& item : list) {
        EXPECT_TRUE(item.entry.exists);
        EXPECT_FALSE(item.entry.marked);
    }
}

// Numbers in names compare as numbers, in the user's language as in the C locale; letter case is
// still ignored and the up entry and folders still come first.
class NaturalOrderTest : public FolderListingTest,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(NaturalOrderTest, ASeasonSortsByEpisodeNumber) {
    const QLocale before;
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    for (const char* name : {"Episode 10.avi", "episode 2.avi", "Episode 1.avi", "Episode 11.avi",
                             "S01E10.avi", "S01E9.avi", "Film (2010).avi", "Film (1999).avi"})
        Touch(name);
    for (const char* name : {"Season 10", "season 2"})
        MakeDir(name);
    const EntryList list = ListFolderEntries(root, video);
    QLocale::setDefault(before);
    EXPECT_THAT(Names(list),
                ElementsAre("..", "season 2", "Season 10", "Episode 1.avi", "episode 2.avi",
                            "Episode 10.avi", "Episode 11.avi", "Film (1999).avi",
                            "Film (2010).avi", "S01E9.avi", "S01E10.avi"));
}

INSTANTIATE_TEST_SUITE_P(Locales, NaturalOrderTest, ::testing::Values("en_US", "ja_JP", "C"),
                         [](const auto& info) { return std::string(info.param); });

// On its worker the listing knows the folder it read and sorts as above; the result arrives on the
// receiver's thread.
TEST_F(FolderListingTest, ReadingOnAWorkerIdentifiesAndSorts) {
    for (const char* name : {"b.avi", "a.avi", "notes.txt"})
        Touch(name);
    MakeDir("sub");
    QObject receiver;
    std::optional<FolderReading::Listing> listing;
    const QThread* deliveredOn = nullptr;
    FolderReading reading(
        &receiver, root, video, [](size_t) {},
        [&](FolderReading::Listing arrived) {
            deliveredOn = QThread::currentThread();
            listing = std::move(arrived);
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return listing.has_value(); }, 30000));
    EXPECT_EQ(deliveredOn, receiver.thread());
    struct stat info {};
    ASSERT_EQ(stat(root.constData(), &info), 0);
    EXPECT_EQ(listing->identity, (std::pair<quint64, quint64>{info.st_dev, info.st_ino}));
    EXPECT_THAT(Names(listing->entries), ElementsAre("..", "sub", "a.avi", "b.avi"));

    std::optional<FolderReading::Listing> missing;
    FolderReading nowhere(
        &receiver, Path("nowhere"), video, [](size_t) {},
        [&](FolderReading::Listing arrived) { missing = std::move(arrived); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return missing.has_value(); }, 30000));
    EXPECT_FALSE(missing->identity);
    EXPECT_TRUE(missing->entries.empty());
}

TEST_F(FolderListingTest, HiddenAndSystemEntriesLeftOut) {
    Touch(".hidden.avi");
    MakeDir(".config");
    Touch("seen.avi");
    ASSERT_EQ(mkfifo(Path("pipe.avi").constData(), 0644), 0);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = Path("sock.avi");
    if (socketPath.size() < static_cast<qsizetype>(sizeof(address.sun_path))) {
        memcpy(address.sun_path, socketPath.constData(), socketPath.size());
        ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    }
    close(s);
    EXPECT_THAT(Names(ListFolderEntries(root, video)), ElementsAre("..", "seen.avi"));
}

TEST_F(FolderListingTest, WindowsSystemFoldersHiddenLikeDotNames) {
    // Hidden whatever the case a disk's driver shows them in; names that merely resemble them stay.
    for (const char* name :
         {"$RECYCLE.BIN", "$Recycle.Bin", "System Volume Information", "SYSTEM VOLUME INFORMATION",
          "Recycled", "System Volume", "$RECYCLE.BIN.old", "Music"})
        MakeDir(name);
    EXPECT_THAT(Names(ListFolderEntries(root, video)),
                ElementsAre("..", "$RECYCLE.BIN.old", "Music", "Recycled", "System Volume"));
}

TEST_F(FolderListingTest, SymbolicLinksCountAsTheirTargets) {
    MakeDir("real");
    Touch("clip.avi");
    ASSERT_EQ(symlink("real", Path("linkdir").constData()), 0);
    ASSERT_EQ(symlink("clip.avi", Path("linkclip.avi").constData()), 0);
    ASSERT_EQ(symlink("missing.avi", Path("dangling.avi").constData()), 0);
    const EntryList list = ListFolderEntries(root, video);
    EXPECT_THAT(Names(list), ElementsAre("..", "linkdir", "real", "clip.avi", "linkclip.avi"));
}

TEST_F(FolderListingTest, AmpersandsInNames) {
    MakeDir("Tom & Jerry");
    Touch("Rock & Roll.avi");
    const EntryList list = ListFolderEntries(root, video);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(ShowMnemonic(RowCaption(list[1])).text, QStringLiteral(" < Tom & Jerry >"));
    const ShownCaption file = ShowMnemonic(RowCaption(list[2]));
    EXPECT_EQ(file.text, QStringLiteral(" Rock & Roll"));
    EXPECT_EQ(file.underlined, -1);
}

TEST_F(FolderListingTest, NameNotValidUtf8KeptByteForByte) {
    const QByteArray name("caf\xE9.avi");
    const int fd = open(JoinPath(root, name).constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
    const EntryList list = ListFolderEntries(root, video);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].entry.name, name);
    EXPECT_EQ(list[1].entry.path, JoinPath(root, name));
    EXPECT_TRUE(list[1].displayText.startsWith(QStringLiteral("caf")));
    EXPECT_EQ(list[1].displayText.size(), 4);
    // QDir cannot remove a name that does not decode; the test removes its own file.
    EXPECT_EQ(unlink(JoinPath(root, name).constData()), 0);
}

TEST_F(FolderListingTest, UnreadableFolderGivesEmptyList) {
    EXPECT_TRUE(ListFolderEntries(Path("nowhere"), video).empty());
}

TEST_F(FolderListingTest, RootHasNoUpEntry) {
    const EntryList list = ListFolderEntries("/", video);
    ASSERT_FALSE(list.empty());
    for (const ListEntry& item : list) {
        EXPECT_NE(item.entry.name, QByteArray(".."));
        EXPECT_FALSE(item.entry.path.startsWith("//"));
    }
}

TEST_F(FolderListingTest, LargeFolderSortedLikeSmallOne) {
    std::vector<QString> texts;
    EntryList list;
    for (int i = 0; i < 5000; ++i) {
        const QByteArray name = QByteArray::number((i * 7919) % 5000) + (i % 2 ? "x" : "X");
        list.push_back({FileText(name), {name, name, false, true, false}});
    }
    SortByDisplayText(list);
    const QCollator collator = FolderCollator();
    for (size_t i = 1; i < list.size(); ++i)
        EXPECT_LE(collator.compare(list[i - 1].displayText, list[i].displayText), 0) << i;
}

// What one request was told, by index.
struct Told {
    QObject receiver;
    std::map<size_t, bool> answers;
    BackgroundJob Ask(FolderExistenceChecks& checks, const std::vector<QByteArray>& paths) {
        return checks.Ask(&receiver, paths,
                          [this](size_t index, bool exists) { answers.emplace(index, exists); });
    }
    bool WaitFor(size_t count) {
        return QTest::qWaitFor([&] { return answers.size() == count; }, 30000);
    }
};

TEST(FolderExistenceTest, RealFolders) {
    QTemporaryDir temp;
    const QByteArray root = QFile::encodeName(temp.path());
    QFile file(temp.filePath(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    Told told;
    const BackgroundJob job =
        told.Ask(*ExistenceChecks().folders, {root, root + "/file", root + "/none", ""});
    ASSERT_TRUE(told.WaitFor(4));
    EXPECT_EQ(told.answers,
              (std::map<size_t, bool>{{0, true}, {1, false}, {2, false}, {3, false}}));
}

// A folder that hangs answers when it wakes; one asked about again meanwhile is not tested twice,
// and a request dropped meanwhile hears nothing.
TEST(FolderExistenceTest, HangingFolderAnswersLateAndIsTestedOnce) {
    std::promise<void> wake;
    const std::shared_future<void> woken = wake.get_future().share();
    auto probes = std::make_shared<std::atomic<int>>(0);
    const auto checks = FolderExistenceChecks::Create([woken, probes](const QByteArray& path) {
        if (path == "hang") {
            ++*probes;
            woken.wait();
        }
        return path != "gone";
    });
    Told first;
    const BackgroundJob firstJob = first.Ask(*checks, {"a", "hang", "gone", "b"});
    ASSERT_TRUE(first.WaitFor(3));
    EXPECT_FALSE(first.answers.count(1));
    std::array<Told, 7> again;
    std::vector<BackgroundJob> againJobs;
    for (Told& request : again)
        againJobs.push_back(request.Ask(*checks, {"hang"}));
    Told dropped;
    dropped.Ask(*checks, {"hang"}).Abandon();
    EXPECT_EQ(checks->InFlight(), 1u);
    wake.set_value();
    ASSERT_TRUE(first.WaitFor(4));
    EXPECT_TRUE(first.answers.at(1));
    for (Told& request : again) {
        ASSERT_TRUE(request.WaitFor(1));
        EXPECT_TRUE(request.answers.at(0));
    }
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_TRUE(dropped.answers.empty());
    EXPECT_EQ(probes->load(), 1);
    EXPECT_EQ(checks->InFlight(), 0u);
}

} // namespace
