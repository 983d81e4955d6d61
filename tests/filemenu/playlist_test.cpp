#include "filemenu/play_selection.h"
#include "platform/application.h"
#include "platform/guessed_text.h"
#include "platform/temp_files.h"
#include "player/wpl_playlist.h"

#include "byte_named_files.h"
#include "message_capture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gmock/gmock.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;
using ::testing::UnorderedElementsAre;

namespace {

const QByteArray kWplHead = "<?wpl version=\"1.0\"?>\r\n"
                            "<smil>\r\n"
                            "  <head>\r\n"
                            "    <meta name=\"Generator\" content=\"Microsoft Windows Media Player "
                            "-- 9.0.0.3128\"/>\r\n"
                            "    <author/>\r\n"
                            "    <title>Couchframe PlayList</title>\r\n"
                            "  </head>\r\n"
                            "  <body>\r\n"
                            "    <seq>\r\n";
const QByteArray kWplTail = "    </seq>\r\n"
                            "  </body>\r\n"
                            "</smil>\r\n";

QByteArray ReadAll(const QByteArray& path) {
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

// The src attributes of a .wpl, read by an XML parser (which fails on ill-formed text).
QStringList WplSources(const QByteArray& text) {
    QXmlStreamReader reader(text);
    QStringList sources;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("media"))
            sources.append(reader.attributes().value(QLatin1String("src")).toString());
    }
    if (reader.hasError())
        sources.append(QStringLiteral("<error: %1>").arg(reader.errorString()));
    return sources;
}

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTmpDir_ = qgetenv("TMPDIR");
        savedRuntimeDir_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", TempDir());
        qunsetenv("XDG_RUNTIME_DIR");
        options.executableName = "couchframe";
    }
    void TearDown() override {
        qputenv("TMPDIR", savedTmpDir_);
        qputenv("XDG_RUNTIME_DIR", savedRuntimeDir_);
        RemoveByteNamedTree(QFile::encodeName(media_.path()));
    }

    QByteArray TempDir() const { return QFile::encodeName(temp_.path()); }
    // Without a runtime directory the playlists go into a private folder in TMPDIR.
    QByteArray PrivateDir() const {
        return TempDir() + "/couchframe-" + QByteArray::number(geteuid());
    }
    QByteArray PlaylistPath(const char* extension) const {
        return PrivateDir() + "/couchframe" + extension;
    }
    QByteArray Media(const QByteArray& name) const {
        return QFile::encodeName(media_.path()) + "/" + name;
    }
    static void MakeFile(const QByteArray& path) {
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path.constData();
        close(fd);
    }
    static void MakeFolder(const QByteArray& path) {
        ASSERT_EQ(mkdir(path.constData(), 0755), 0) << path.constData();
    }
    static ListEntry File(const QByteArray& path, bool marked = false) {
        ListEntry item;
        item.entry.path = path;
        item.entry.name = path.mid(path.lastIndexOf('/') + 1);
        item.entry.marked = marked;
        return item;
    }
    static ListEntry Folder(const QByteArray& path) {
        ListEntry item = File(path);
        item.entry.directory = true;
        return item;
    }
    std::optional<MediaRequest> Play(int kind, bool useMarks, qsizetype selected,
                                     const char* extensions = "mpg,mpeg,avi,wpl,mp3,jpg") {
        const ExtensionList list{QString::fromLatin1(extensions)};
        return PlaySelection(kind, useMarks,
                             {.entries = entries,
                              .selected = selected,
                              .extensions = list,
                              .category = kind,
                              .useViewer = kind == kLstPlaylist},
                             options);
    }
    QStringList TempFiles() const {
        return QDir(QFile::decodeName(PrivateDir())).entryList(QDir::Files);
    }

    EntryList entries;
    PlaylistOptions options;

private:
    QByteArray savedTmpDir_;
    QByteArray savedRuntimeDir_;
    QTemporaryDir temp_;
    QTemporaryDir media_;
};

TEST_F(PlaylistTest, MarkedFilesOfSeveralPagesAreSortedIntoTheWpl) {
    for (int i = 0; i < 25; ++i) {
        const QByteArray path = Media(QByteArray::number(100 + i) + ".avi");
        MakeFile(path);
        entries.push_back(File(path));
    }
    // Marks on pages 1 and 3, none on page 2; list order differs from the sorted order.
    entries[2] = File(Media("c.avi"), true);
    entries[21] = File(Media("A.mpg"), true);
    entries[24] = File(Media("b.avi"), true);
    const auto request = Play(kWplPlaylist, true, 13);
    EXPECT_THAT(request, Optional(MediaRequest{PlaylistPath(".wpl"), false, true, 1, {}}));
    EXPECT_EQ(ReadAll(PlaylistPath(".wpl")),
              kWplHead + "      <media src=\"" + Media("A.mpg") + "\"/>\r\n" +
                  "      <media src=\"" + Media("b.avi") + "\"/>\r\n" + "      <media src=\"" +
                  Media("c.avi") + "\"/>\r\n" + kWplTail);
}

TEST_F(PlaylistTest, NumbersInTheNamesSortAsNumbers) {
    for (const char* name : {"ep 10.avi", "Ep 2.avi", "ep 1.avi"}) {
        MakeFile(Media(name));
        entries.push_back(File(Media(name), true));
    }
    const auto request = Play(kWplPlaylist, true, 0);
    ASSERT_TRUE(request);
    EXPECT_EQ(ReadAll(PlaylistPath(".wpl")),
              kWplHead + "      <media src=\"" + Media("ep 1.avi") + "\"/>\r\n" +
                  "      <media src=\"" + Media("Ep 2.avi") + "\"/>\r\n" + "      <media src=\"" +
                  Media("ep 10.avi") + "\"/>\r\n" + kWplTail);
}

TEST_F(PlaylistTest, FolderSelectionCollectsTheMatchingFilesDirectlyInside) {
    for (const char* name : {"b.avi", "A.MPG", "c.txt", ".hidden.avi", "noext"})
        MakeFile(Media(name));
    MakeFolder(Media("sub"));
    MakeFile(Media("sub/d.avi"));
    MakeFolder(Media("e.avi")); // a folder is never taken, whatever its name
    const QByteArray folder = Media("").chopped(1);
    entries = {Folder(folder)};
    const auto request = Play(kM3uPlaylist, false, 0, "avi,mpg");
    EXPECT_THAT(request, Optional(MediaRequest{PlaylistPath(".m3u"), false, true, 2, {}}));
    EXPECT_EQ(ReadAll(PlaylistPath(".m3u")), folder + "/A.MPG\r\n" + folder + "/b.avi\r\n");
}

TEST_F(PlaylistTest, UpEntryPlaysTheParentFolder) {
    MakeFolder(Media("sub"));
    MakeFile(Media("x.jpg"));
    MakeFile(Media("sub/y.jpg"));
    entries = {Folder(Media("sub/..")), File(Media("sub/y.jpg"))};
    const auto request = Play(kLstPlaylist, false, 0);
    EXPECT_THAT(request, Optional(MediaRequest{PlaylistPath(".lst"), true, true, 3, {}}));
    EXPECT_EQ(ReadAll(PlaylistPath(".lst")), Media("sub/../x.jpg") + "\r\n");
}

TEST_F(PlaylistTest, SingleFileIsHandedOnItselfWithoutPlaylist) {
    MakeFile(Media("x.jpg"));
    entries = {Folder(Media("sub/..")), File(Media("x.jpg"))};
    EXPECT_THAT(Play(kLstPlaylist, false, 1),
                Optional(MediaRequest{Media("x.jpg"), true, false, 3, {}}));
    EXPECT_THAT(Play(kWplPlaylist, false, 1),
                Optional(MediaRequest{Media("x.jpg"), false, false, 1, {}}));
    EXPECT_THAT(TempFiles(), IsEmpty());
}

TEST_F(PlaylistTest, SelectedFileIsHandedOnUnlookedAtAndAnEmptyRowPlaysNothing) {
    // Whether the file is still there is the screen's to find out, off its thread: a share may
    // stall on it.
    entries = {File(Media("gone.avi"))};
    EXPECT_THAT(Play(kWplPlaylist, false, 0),
                Optional(MediaRequest{Media("gone.avi"), false, false, 1, {}}));
    EXPECT_EQ(Play(kWplPlaylist, false, 1), std::nullopt);
    EXPECT_EQ(Play(kWplPlaylist, false, -1), std::nullopt);
    EXPECT_THAT(TempFiles(), IsEmpty());
}

class EmptyPlaylistTest : public PlaylistTest, public ::testing::WithParamInterface<int> {};

TEST_P(EmptyPlaylistTest, FolderWithoutMatchingFilesWritesAnEmptyPlaylistAndShowsNothing) {
    const int kind = GetParam();
    const QByteArray extension = PlaylistExtension(kind);
    MakeFolder(Media("only-folders"));
    MakeFolder(Media("only-folders/inner"));
    MakeFile(Media("only-folders/inner/deep.avi"));
    entries = {Folder(Media("only-folders")), Folder(Media("not-there"))};
    const QByteArray expected = kind == kWplPlaylist ? kWplHead + kWplTail : QByteArray();
    for (qsizetype selected : {0, 1}) {
        QFile::remove(QFile::decodeName(PlaylistPath(extension.constData())));
        EXPECT_EQ(Play(kind, false, selected), std::nullopt);
        EXPECT_EQ(ReadAll(PlaylistPath(extension.constData())), expected);
    }
    // Nothing marked with the use-marks flag set gives the same empty playlist.
    EXPECT_EQ(Play(kind, true, 0), std::nullopt);
    EXPECT_EQ(ReadAll(PlaylistPath(extension.constData())), expected);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EmptyPlaylistTest,
                         ::testing::Values(kWplPlaylist, kM3uPlaylist, kLstPlaylist));

TEST_F(PlaylistTest, JapaneseNamesInShiftJis) {
    static const CodePage cp932("CP932");
    options.codePage = &cp932;
    const QByteArray name = "\x82\xA0\x93\xFA.avi"; // "あ日.avi"
    MakeFile(Media(name));
    entries = {Folder(Media("").chopped(1))};
    ASSERT_TRUE(Play(kWplPlaylist, false, 0));
    EXPECT_EQ(ReadAll(PlaylistPath(".wpl")), kWplHead + "      <media src=\"" +
                                                 Media("\xE3\x81\x82\xE6\x97\xA5.avi") +
                                                 "\"/>\r\n" + kWplTail);
    ASSERT_TRUE(Play(kM3uPlaylist, false, 0));
    EXPECT_EQ(ReadAll(PlaylistPath(".m3u")), Media(name) + "\r\n");
}

TEST_F(PlaylistTest, JapaneseNamesInUtf8) {
    const QByteArray name = "\xE3\x81\x82\xE6\x97\xA5.jpg";
    MakeFile(Media(name));
    entries = {File(Media(name), true)};
    ASSERT_TRUE(Play(kWplPlaylist, true, 0));
    EXPECT_EQ(ReadAll(PlaylistPath(".wpl")),
              kWplHead + "      <media src=\"" + Media(name) + "\"/>\r\n" + kWplTail);
    ASSERT_TRUE(Play(kLstPlaylist, true, 0));
    EXPECT_EQ(ReadAll(PlaylistPath(".lst")), Media(name) + "\r\n");
}

TEST_F(PlaylistTest, NameThatIsNotUtf8IsKeptByteForByteInLineLists) {
    const QByteArray odd = "\xFF\xFE song.mp3";
    MakeFile(Media(odd));
    MakeFile(Media("z.mp3"));
    entries = {Folder(Media("").chopped(1))};
    ASSERT_TRUE(Play(kM3uPlaylist, false, 0));
    const QByteArray m3u = ReadAll(PlaylistPath(".m3u"));
    EXPECT_EQ(m3u.size(), Media(odd).size() + Media("z.mp3").size() + 4);
    EXPECT_TRUE(m3u.contains(Media(odd) + "\r\n"));
    EXPECT_TRUE(m3u.contains(Media("z.mp3") + "\r\n"));
    ASSERT_TRUE(Play(kLstPlaylist, false, 0));
    EXPECT_EQ(ReadAll(PlaylistPath(".lst")), m3u);
    // UTF-8 XML cannot carry it as text: the .wpl names it by a file URL with escapes.
    ASSERT_TRUE(Play(kWplPlaylist, false, 0));
    EXPECT_THAT(WplSources(ReadAll(PlaylistPath(".wpl"))),
                ElementsAre(QString::fromUtf8(Media("z.mp3")),
                            QString::fromLatin1("file://" + Media("%FF%FE%20song.mp3"))));
}

// What the .wpl writer writes, our reader reads back as the same path bytes.
struct RoundTripCase {
    const char* name;
    QByteArray fileName;
    bool asUrl; // written as a file URL, not as text
};
void PrintTo(const RoundTripCase& c, std::ostream* out) {
    *out << c.name;
}

class WplRoundTripTest : public PlaylistTest,
                         public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(WplRoundTripTest, ReaderGetsTheSameBytesBack) {
    const RoundTripCase& c = GetParam();
    const QByteArray path = Media(c.fileName);
    MakeFile(path);
    entries = {File(path, true), File(Media("plain.avi"), true)};
    ASSERT_TRUE(Play(kWplPlaylist, true, 0));
    const QByteArray wpl = ReadAll(PlaylistPath(".wpl"));
    EXPECT_EQ(WplSources(wpl).size(), 2) << wpl.constData(); // well-formed, every path there
    EXPECT_TRUE(IsValidUtf8(wpl)) << wpl.toHex(' ').constData();
    EXPECT_EQ(wpl.contains("file://"), c.asUrl) << wpl.constData();
    EXPECT_THAT(ReadWplPlaylist(PlaylistPath(".wpl")),
                UnorderedElementsAre(Media("plain.avi"), path));
}

INSTANTIATE_TEST_SUITE_P(
    Names, WplRoundTripTest,
    ::testing::Values(RoundTripCase{"Ordinary", "Film (2001) & more.avi", false},
                      RoundTripCase{"PercentSignsStayAsTheyAre", "100% %41.avi", false},
                      RoundTripCase{"Japanese", "\xE3\x81\x82\xE6\x97\xA5.avi", false},
                      // one four-byte sequence, not two encoded surrogates
                      RoundTripCase{"Emoji", "\xF0\x9F\x98\x80 party.avi", false},
                      RoundTripCase{"ShiftJisBytes", "\x82\xA0\x93\xFA.avi", true},
                      RoundTripCase{"StrayBytes", "\xFF\xFE song.avi", true},
                      RoundTripCase{"ControlCharacter", "bell\x07.avi", true},
                      RoundTripCase{"BytesAndMarkup", "<\xE9> & \"q\".avi", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaylistTest, SpecialCharactersMakeWellFormedXml) {
    const QByteArrayList names = {"Tom & Jerry.avi", "<tag> \"q\" 'a'.avi", "tab\there.avi"};
    for (const QByteArray& name : names) {
        MakeFile(Media(name));
        entries.push_back(File(Media(name), true));
    }
    ASSERT_TRUE(Play(kWplPlaylist, true, 0));
    const QByteArray wpl = ReadAll(PlaylistPath(".wpl"));
    EXPECT_TRUE(wpl.contains("Tom &amp; Jerry.avi\"/>\r\n"));
    EXPECT_THAT(WplSources(wpl),
                ElementsAre(QString::fromUtf8(Media(names[1])), QString::fromUtf8(Media(names[2])),
                            QString::fromUtf8(Media(names[0]))));
}

TEST_F(PlaylistTest, PathsWithLineBreaksAreLeftOutOfLineLists) {
    const QByteArrayList names = {"a\nb.mp3", "c\rd.mp3", "ok.mp3"};
    for (const QByteArray& name : names) {
        MakeFile(Media(name));
        entries.push_back(File(Media(name), true));
    }
    ASSERT_TRUE(Play(kM3uPlaylist, true, 0));
    EXPECT_EQ(ReadAll(PlaylistPath(".m3u")), Media("ok.mp3") + "\r\n");
    // XML keeps them exactly through character references.
    ASSERT_TRUE(Play(kWplPlaylist, true, 0));
    EXPECT_THAT(WplSources(ReadAll(PlaylistPath(".wpl"))),
                ElementsAre(QString::fromUtf8(Media(names[0])), QString::fromUtf8(Media(names[1])),
                            QString::fromUtf8(Media(names[2]))));
    // Nothing left to play: nothing is handed on.
    entries.pop_back();
    EXPECT_EQ(Play(kLstPlaylist, true, 0), std::nullopt);
    EXPECT_EQ(ReadAll(PlaylistPath(".lst")), QByteArray());
}

class UnwritablePlaylistTest : public PlaylistTest, public ::testing::WithParamInterface<int> {};

TEST_P(UnwritablePlaylistTest, MissingTempDirectoryIsReportedAndNothingIsHandedOn) {
    const int kind = GetParam();
    MakeFile(Media("x.avi"));
    entries = {File(Media("x.avi"), true)};
    const QByteArray missing = TempDir() + "/missing";
    qputenv("TMPDIR", missing);
    const QByteArray folder = missing + "/couchframe-" + QByteArray::number(geteuid());
    MessageCapture messages;
    std::optional<MediaRequest> request;
    RunReportingErrors([&] { request = Play(kind, true, 0); });
    EXPECT_EQ(request, std::nullopt);
    EXPECT_THAT(messages.texts,
                ElementsAre(QStringLiteral("ファイル \"%1\". %2 を作成できません")
                                .arg(QString::fromUtf8(folder),
                                     QString::fromLocal8Bit(std::strerror(ENOENT)))));
}

// A write that fails part-way (here: the file size limit) leaves the earlier playlist as it was
// and hands nothing on, rather than the stale list.
TEST_P(UnwritablePlaylistTest, FailedWriteDoesNotHandOnTheEarlierPlaylist) {
    const int kind = GetParam();
    const QByteArray extension = PlaylistExtension(kind);
    MakeFile(Media("first-file-of-a-long-name.avi"));
    MakeFile(Media("second-file-of-a-long-name.avi"));
    entries = {File(Media("first-file-of-a-long-name.avi"), true),
               File(Media("second-file-of-a-long-name.avi"))};
    ASSERT_TRUE(Play(kind, true, 0));
    const QByteArray earlier = ReadAll(PlaylistPath(extension.constData()));

    entries[0].entry.marked = false;
    entries[1].entry.marked = true;
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::optional<MediaRequest> request;
    bool raised = false;
    try {
        request = Play(kind, true, 0);
    } catch (const EFCreateError& error) {
        raised = error.message().startsWith(QStringLiteral("ファイル \"") +
                                            QString::fromUtf8(PlaylistPath(extension.constData())));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(raised);
    EXPECT_EQ(request, std::nullopt);
    EXPECT_EQ(ReadAll(PlaylistPath(extension.constData())), earlier);
    EXPECT_THAT(TempFiles(), ElementsAre(QString::fromUtf8("couchframe" + extension)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnwritablePlaylistTest,
                         ::testing::Values(kWplPlaylist, kM3uPlaylist, kLstPlaylist));

TEST_F(PlaylistTest, PlaylistReplacesALinkAtItsNameWithoutFollowingIt) {
    const QByteArray victim = Media("victim.txt");
    QFile file(QFile::decodeName(victim));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
    file.close();
    ASSERT_EQ(mkdir(PrivateDir().constData(), 0700), 0);
    ASSERT_EQ(symlink(victim.constData(), PlaylistPath(".m3u").constData()), 0);
    MakeFile(Media("x.mp3"));
    entries = {File(Media("x.mp3"), true)};
    ASSERT_TRUE(Play(kM3uPlaylist, true, 0));
    EXPECT_EQ(ReadAll(victim), "precious");
    EXPECT_FALSE(QFileInfo(QFile::decodeName(PlaylistPath(".m3u"))).isSymLink());
    EXPECT_EQ(ReadAll(PlaylistPath(".m3u")), Media("x.mp3") + "\r\n");
}

TEST_F(PlaylistTest, PlaylistIsNamedAfterTheRunningProgram) {
    EXPECT_EQ(ExecutableFileName(), "test_filemenu");
    MakeFile(Media("x.avi"));
    entries = {File(Media("x.avi"), true)};
    const auto request = PlaySelection(kWplPlaylist, true,
                                       {.entries = entries,
                                        .selected = 0,
                                        .extensions = ExtensionList(),
                                        .category = 1,
                                        .useViewer = false});
    EXPECT_THAT(request,
                Optional(MediaRequest{PrivateDir() + "/test_filemenu.wpl", false, true, 1, {}}));
}

TEST(PlaylistNameTest, ExtensionReplaced) {
    EXPECT_EQ(PlaylistFileName("couchframe", kWplPlaylist), "couchframe.wpl");
    EXPECT_EQ(PlaylistFileName("Couchframe.exe", kM3uPlaylist), "Couchframe.m3u");
    EXPECT_EQ(PlaylistFileName("a.b.bin", kLstPlaylist), "a.b.lst");
    EXPECT_THROW(PlaylistFileName("couchframe", 4), AppError);
}

} // namespace
