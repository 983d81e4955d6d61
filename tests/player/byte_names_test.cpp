#include "byte_named_files.h"
#include "filemenu/playlist_file.h"
#include "mpv_control.h"
#include "player/player_form.h"
#include "test_media.h"
#include "test_services.h"

#include <QFile>
#include <QTemporaryDir>

#include <ostream>
#include <string>

#include <gtest/gtest.h>

// Names that are not text (old Windows disks, USB sticks) play through real libmpv with null
// outputs: the path reaches mpv as its bytes, alone or from each kind of playlist we write.
namespace {
const MpvOptions kNullOutputs{QStringLiteral("null"), false};
// "あ" in Shift-JIS, which is no UTF-8.
const QByteArray kShiftJis = "\x82\xA0";

class ByteNameTest : public ::testing::Test {
protected:
    ~ByteNameTest() override { RemoveByteNamedTree(QFile::encodeName(temp.path())); }
    // A copy of the media file under a name of any bytes.
    QByteArray CopyAs(const QByteArray& from, const QByteArray& name) const {
        QFile source(QFile::decodeName(from));
        EXPECT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray path = QFile::encodeName(temp.path()) + '/' + name;
        EXPECT_TRUE(WriteByteNamedFile(path, source.readAll())) << path.toHex(' ').constData();
        return path;
    }

    QTemporaryDir temp;
};

class ByteNamePlayerTest : public ByteNameTest {
protected:
    ByteNamePlayerTest() : player(kNullOutputs) {}
    bool WaitForItem(const QByteArray& path) {
        return WaitFor([&] {
            return player.playState() == playstate::Playing &&
                   player.currentMedia().sourceURL() == path;
        });
    }
    MpvControl player;
};

TEST_F(ByteNamePlayerTest, FileNamedByBytesThatAreNoTextPlays) {
    const QByteArray song = CopyAs(Media().second, kShiftJis + ".mp3");
    player.setURL(song);
    EXPECT_TRUE(WaitForItem(song)) << player.currentMedia().sourceURL().toHex(' ').constData();
    EXPECT_EQ(player.URL(), song);
}

// Each playlist kind the play command writes, holding names of every sort, plays them in order;
// a ".wpl" inside an ".m3u" reaches mpv as a playlist in memory.
enum class ListKind { Wpl, M3u, WplInsideM3u };

const char* NameOf(ListKind kind) {
    switch (kind) {
    case ListKind::Wpl:
        return "Wpl";
    case ListKind::M3u:
        return "M3u";
    case ListKind::WplInsideM3u:
        break;
    }
    return "WplInsideM3u";
}

void PrintTo(ListKind kind, std::ostream* out) {
    *out << NameOf(kind);
}

class ByteNamePlaylistTest : public ByteNamePlayerTest,
                             public ::testing::WithParamInterface<ListKind> {
protected:
    QByteArray WriteList(const char* name, int kind, const QByteArrayList& paths) const {
        const QByteArray list = QFile::encodeName(temp.path()) + '/' + name;
        EXPECT_EQ(WritePlaylist(list, kind, paths), paths.size());
        return list;
    }
};

TEST_P(ByteNamePlaylistTest, EveryNamePlaysInItsTurn) {
    const QByteArrayList names = {kShiftJis + " first.mp3", "\xFF\xFE second.mp3",
                                  "\xF0\x9F\x98\x80 third.mp3", " blank \xE9 fourth.mp3"};
    QByteArrayList paths;
    for (const QByteArray& name : names)
        paths.append(CopyAs(Media().second, name));
    switch (GetParam()) {
    case ListKind::Wpl:
        player.setURL(WriteList("list.wpl", kWplPlaylist, paths));
        break;
    case ListKind::M3u:
        player.setURL(WriteList("list.m3u", kM3uPlaylist, paths));
        break;
    case ListKind::WplInsideM3u:
        player.setURL(
            WriteList("outer.m3u", kM3uPlaylist, {WriteList("inner.wpl", kWplPlaylist, paths)}));
        break;
    }
    for (const QByteArray& path : paths) {
        EXPECT_TRUE(WaitForItem(path)) << path.toHex(' ').constData();
        player.controls().next();
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ByteNamePlaylistTest,
                         ::testing::Values(ListKind::Wpl, ListKind::M3u, ListKind::WplInsideM3u),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

// The now-playing caption shows such a name readably: the bytes taken as Shift-JIS.
class ByteNameCaptionTest : public ByteNameTest {
protected:
    Seam<MpvOptions>::Override nullOutputs_{MpvEngine::DefaultOptionsSeam(), kNullOutputs};
};

TEST_F(ByteNameCaptionTest, MusicModeShowsTheNameAsShiftJis) {
    TestServices services;
    auto form = CreatePlayerScreen(CopyAs(Media().second, kShiftJis + "\x93\xFA.mp3"), 2,
                                   services.Screens());
    form->show();
    EXPECT_TRUE(WaitFor([&] {
        return form->WMP1->playState() == playstate::Playing &&
               form->InfoCaption() == QString::fromUtf8("\xE3\x81\x82\xE6\x97\xA5");
    })) << form->InfoCaption().toStdString();
    form->close();
}
} // namespace
