#include "platform/error.h"
#include "player/id3v1.h"
#include "player/now_playing.h"
#include "player/wpl_playlist.h"
#include "test_media.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {
struct Trailer {
    QByteArray title, artist, album, year, comment;
    char byte125 = 0;
    char byte126 = 0;
};

QByteArray TagBytes(const Trailer& t) {
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, t.title.size(), t.title);
    tag.replace(33, t.artist.size(), t.artist);
    tag.replace(63, t.album.size(), t.album);
    tag.replace(93, t.year.size(), t.year);
    tag.replace(97, t.comment.size(), t.comment);
    tag[125] = t.byte125;
    tag[126] = t.byte126;
    return tag;
}

struct CaptionCase {
    const char* name;
    const char* fileName;
    QByteArray contents;
    const char* caption;
};

void PrintTo(const CaptionCase& c, std::ostream* os) {
    *os << c.name;
}

class CaptionTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTest, CaptionFollowsTheTagRules) {
    const CaptionCase& c = GetParam();
    const QByteArray path = QFile::encodeName(QDir::temp().filePath(QString::fromUtf8(c.fileName)));
    WriteFile(path, c.contents);
    EXPECT_EQ(NowPlayingCaption(path, {}, ReadNowPlayingFiles(path, false).tag).toStdString(),
              std::string(c.caption));
}

const QByteArray kAudio(1000, '\x11');

INSTANTIATE_TEST_SUITE_P(
    Id3v1, CaptionTest,
    ::testing::Values(
        CaptionCase{"NoTag", "Song.mp3", kAudio, "Song"},
        CaptionCase{"FileOf127BytesHasNoTag", "Short.mp3", "TAG" + QByteArray(124, 'x'), "Short"},
        CaptionCase{"FullTagWithTrack", "a.mp3",
                    kAudio + TagBytes({"Title", "Artist", "Best", "1999", "Nice", 0, 7}),
                    "Title\r\n\r\nArtist\r\n\r\nBest (1999) - #7\r\n\r\nNice"},
        CaptionCase{"BlankTitleTakesTheTrimmedFileName", " Spaced .x.mp3",
                    kAudio + TagBytes({"    ", "", "Al", "", "", 0, 0}),
                    "Spaced .x\r\n\r\nAl\r\n\r\n"},
        CaptionCase{"TrackZeroAddsNothingToTheComment", "b.mp3",
                    kAudio + TagBytes({"T", "", "L", "", " C ", 0, 0}), "T\r\n\r\nL\r\n\r\nC"},
        CaptionCase{"Id3v10CommentEndsWithItsLastTwoBytes", "c.mp3",
                    kAudio + TagBytes({"T", "", "", "", QByteArray(26, 'c') + "  ", 'a', 'b'}),
                    "T\r\n\r\n\r\n\r\nccccccccccccccccccccccccccab"},
        CaptionCase{"Track999IsNoTrack", "d.mp3",
                    kAudio + TagBytes({"T", "", "L", "", "C", 3, static_cast<char>(0xE7)}),
                    // 0x03 is trimmed; "C" and the lone byte 0xE7 are neither UTF-8 nor
                    // CP932 (a lead byte without its second byte): Latin-1 "ç"
                    "T\r\n\r\nL\r\n\r\nC\xC3\xA7"},
        CaptionCase{"Track998IsATrack", "e.mp3",
                    kAudio + TagBytes({"T", "", "L", "", "C", 3, static_cast<char>(0xE6)}),
                    "T\r\n\r\nL - #998\r\n\r\nC"},
        CaptionCase{"FieldsEndAtAZeroByteAndAreTrimmed", "f.mp3",
                    kAudio + TagBytes({"\tTi\0tle", "  Ar  ", "L", "99", "", 0, 1}),
                    "Ti\r\n\r\nAr\r\n\r\nL (99) - #1\r\n\r\n"},
        CaptionCase{"LowerCaseMarkerIsNoTag", "g.mp3",
                    kAudio + "tag" + TagBytes({"T", "", "", "", ""}).mid(3), "g"}),
    [](const auto& info) { return std::string(info.param.name); });

// Tags carry no code page: each field is read as UTF-8 when it is valid UTF-8, else as CP932
// (Japanese taggers), else as Latin-1.
INSTANTIATE_TEST_SUITE_P(
    Id3v1Texts, CaptionTest,
    ::testing::Values(
        CaptionCase{"Utf8Fields", "u.mp3",
                    kAudio +
                        TagBytes({"\xE3\x81\x82\xE3\x81\x84", "Bj\xC3\xB6rk", "", "", "", 0, 1}),
                    "\xE3\x81\x82\xE3\x81\x84\r\n\r\nBj\xC3\xB6rk\r\n\r\n - #1\r\n\r\n"},
        // "あい" / "日本" in Shift-JIS
        CaptionCase{"Cp932Fields", "s.mp3",
                    kAudio + TagBytes({"\x82\xA0\x82\xA2", "\x93\xFA\x96\x7B", "", "", "", 0, 0}),
                    "\xE3\x81\x82\xE3\x81\x84\r\n\r\n\xE6\x97\xA5\xE6\x9C\xAC\r\n\r\n\r\n\r\n"},
        // A lead byte at the end is no CP932 either: "Café" in Latin-1
        CaptionCase{"Latin1Field", "l.mp3", kAudio + TagBytes({"Caf\xE9", "", "", "", "", 0, 0}),
                    "Caf\xC3\xA9\r\n\r\n\r\n\r\n"},
        CaptionCase{"EachFieldOnItsOwn", "m.mp3",
                    kAudio + TagBytes({"\x82\xA0", "\xC3\xA9t\xC3\xA9", "Caf\xE9", "", "", 0, 0}),
                    "\xE3\x81\x82\r\n\r\n\xC3\xA9t\xC3\xA9\r\n\r\nCaf\xC3\xA9\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id3v1Test, BufferHoldsTheTrailerEvenWithoutATag) {
    const QByteArray path =
        QFile::encodeName(QDir::temp().filePath(QStringLiteral("untagged.bin")));
    QByteArray bytes(300, 'x');
    bytes[172] = 'Q';
    WriteFile(path, bytes);
    Id3v1Buffer buffer{};
    EXPECT_FALSE(ReadId3v1Tag(path, buffer));
    EXPECT_EQ(buffer[0], 'Q');
    EXPECT_FALSE(ReadId3v1Tag(QFile::encodeName(QDir::temp().filePath("missing.mp3")), buffer));
    // a folder cannot be read as a file
    EXPECT_FALSE(ReadId3v1Tag(QFile::encodeName(QDir::tempPath()), buffer));
}

TEST(Id3v1Test, GeneratedSongCarriesItsTag) {
    EXPECT_EQ(NowPlayingCaption(Media().song, {}, ReadNowPlayingFiles(Media().song, false).tag)
                  .toStdString(),
              "Test Song\r\n\r\nArtist\r\n\r\nAlbum (2001) - #7\r\n\r\n");
}

TEST(MediaNameTest, NameIsTakenAfterTheLastSeparatorWithoutExtension) {
    EXPECT_EQ(MediaNameWithoutExtension("/music/Song.mp3"), "Song");
    EXPECT_EQ(MediaNameWithoutExtension("/music/a.b/Song"), "Song");
    EXPECT_EQ(MediaNameWithoutExtension("http://host/music/live.mp3"), "live");
    EXPECT_EQ(MediaNameWithoutExtension("Song.tar.mp3"), "Song.tar");
}

TEST(WplPlaylistTest, ReadsEntitiesBareAmpersandsAndRelativePaths) {
    const QByteArray path = QFile::encodeName(QDir::temp().filePath(QStringLiteral("list.wpl")));
    WriteFile(path, "<?wpl version=\"1.0\"?>\r\n<smil><body><seq>"
                    "<media src=\"/m/Tom &amp; Jerry.mpg\"/><media src=\"/m/R&B.mpg\"/>"
                    "<media src=\"/m/caf\xC3\xA9 &#38; bar.avi\"/><media src=\"rel/x.avi\"/>"
                    "<media src=\"file:///m/%82%A0%2541.avi\"/>"
                    "<media src=\"FILE://localhost/m/a%20b.avi\"/><media src=\"/m/%41.avi\"/>"
                    "</seq></body></smil>\r\n");
    EXPECT_EQ(ReadWplPlaylist(path),
              (QByteArrayList{"/m/Tom & Jerry.mpg", "/m/R&B.mpg", "/m/caf\xC3\xA9 & bar.avi",
                              QFile::encodeName(QDir::temp().filePath(QStringLiteral("rel/x.avi"))),
                              // a file URL gives its bytes, text or not
                              "/m/\x82\xA0%41.avi", "/m/a b.avi",
                              // a plain path keeps its "%"
                              "/m/%41.avi"}));
}

TEST(WplPlaylistTest, BrokenOrEmptyPlaylistsGiveClearErrors) {
    const QByteArray path = QFile::encodeName(QDir::temp().filePath(QStringLiteral("bad.wpl")));
    WriteFile(path, "<smil><body><seq><media src=\"/a<b.avi\"/></seq></body></smil>");
    try {
        ReadWplPlaylist(path);
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("cannot be read"))) << error.what();
    }
    WriteFile(path, "<?wpl version=\"1.0\"?><smil><body><seq></seq></body></smil>");
    EXPECT_THROW(ReadWplPlaylist(path), AppError);
    EXPECT_THROW(ReadWplPlaylist(QFile::encodeName(QDir::temp().filePath("none.wpl"))), AppError);
    EXPECT_TRUE(IsWplPlaylist("/x/LIST.WPL"));
    EXPECT_FALSE(IsWplPlaylist("/x/list.m3u"));
}
} // namespace
