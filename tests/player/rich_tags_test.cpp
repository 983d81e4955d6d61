#include "byte_named_files.h"
#include "player/cover_art.h"
#include "player/media_tags.h"
#include "player/mpv_engine.h"
#include "player/now_playing.h"
#include "player/player_form.h"
#include "rich_media.h"
#include "test_media.h"
#include "test_services.h"
#include "ui/panel.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <sys/stat.h>

// Captions and covers from the tags of today's containers.
namespace {
struct MetadataCase {
    const char* name;
    MediaMetadata metadata;
    const char* caption;
};

void PrintTo(const MetadataCase& c, std::ostream* os) {
    *os << c.name;
}

class MetadataCaptionTest : public ::testing::TestWithParam<MetadataCase> {};

TEST_P(MetadataCaptionTest, LaysTheTagsOutAsTheId3v1Fields) {
    // The file does not exist, so it has no ID3v1 trailer.
    EXPECT_EQ(
        NowPlayingCaption("/nowhere/My Song.flac", GetParam().metadata, std::nullopt).toStdString(),
        GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, MetadataCaptionTest,
    ::testing::Values(MetadataCase{"AllFields",
                                   {{"title", "T"},
                                    {"artist", "A"},
                                    {"album", "L"},
                                    {"date", "1999-12-31"},
                                    {"track", "07/12"},
                                    {"comment", "C"}},
                                   "T\r\n\r\nA\r\n\r\nL (1999) - #7\r\n\r\nC"},
                      MetadataCase{"EncoderAloneIsNoTag", {{"encoder", "Lavf59"}}, "My Song"},
                      MetadataCase{
                          "NoTitleTakesTheFileName", {{"album", "L"}}, "My Song\r\n\r\nL\r\n\r\n"},
                      MetadataCase{"VorbisAndApeNames",
                                   {{"tracknumber", "4"}, {"year", "2010"}, {"description", " D "}},
                                   "My Song\r\n\r\n (2010) - #4\r\n\r\nD"},
                      MetadataCase{"TrackOutsideTheRangeIsNoTrack",
                                   {{"title", "T"}, {"track", "999"}},
                                   "T\r\n\r\n\r\n\r\n"},
                      MetadataCase{"DateThatIsNoYearIsShownAsItIs",
                                   {{"title", "T"}, {"date", "Spring 99"}},
                                   "T\r\n\r\n (Spring 99)\r\n\r\n"},
                      MetadataCase{"BlankFieldsCountAsMissing",
                                   {{"title", "  "}, {"artist", "\t"}, {"comment", "x"}},
                                   "My Song\r\n\r\n\r\n\r\nx"}));

// ---- real files through libmpv ----

struct ContainerCase {
    const char* name;
    QByteArray RichMedia::*file;
    const char* caption;
};

void PrintTo(const ContainerCase& c, std::ostream* os) {
    *os << c.name;
}

const char kRichCaption[] = "Rich Tïtle\r\n\r\nSomeone\r\n\r\nRecords (2004) - #3\r\n\r\nNice";

class ContainerCaptionTest : public ::testing::TestWithParam<ContainerCase> {
protected:
    Seam<MpvOptions>::Override nullOutputs_{MpvEngine::DefaultOptionsSeam(),
                                            MpvOptions{"null", false}};
};

TEST_P(ContainerCaptionTest, MusicModeShowsTheContainersTags) {
    const QByteArray path = Rich().*GetParam().file;
    TestServices services;
    auto form = CreatePlayerScreen(path, 2, services.Screens());
    form->setGeometry(QGuiApplication::primaryScreen()->geometry());
    form->show();
    EXPECT_TRUE(WaitFor([&] {
        return form->InfoCaption() == QString::fromUtf8(GetParam().caption);
    })) << form->InfoCaption().toStdString();
    form->close();
}

INSTANTIATE_TEST_SUITE_P(
    Containers, ContainerCaptionTest,
    ::testing::Values(ContainerCase{"Id3v2", &RichMedia::id3v2Mp3, kRichCaption},
                      ContainerCase{"VorbisComments", &RichMedia::flac, kRichCaption},
                      ContainerCase{"Mp4Atoms", &RichMedia::m4a, kRichCaption},
                      ContainerCase{"Ape", &RichMedia::wavpack, kRichCaption},
                      ContainerCase{"Id3v1KeepsPriority", &RichMedia::bothMp3,
                                    "Old Name\r\n\r\n\r\n\r\n"},
                      ContainerCase{"NoTagsAtAll", &RichMedia::untagged, "Plain Song"}));

class CoverTest : public ContainerCaptionTest {};

TEST_F(CoverTest, EmbeddedPictureStandsAtTheRightOfTheCaptionAboveThePanels) {
    TestServices services;
    auto form = CreatePlayerScreen(Rich().id3v2Mp3, 2, services.Screens());
    form->setGeometry(QGuiApplication::primaryScreen()->geometry());
    form->show();
    ASSERT_TRUE(WaitFor([&] { return form->Cover->isVisible(); }));
    const QRect cover = form->Cover->geometry();
    // 64 x 48 scaled into the square box keeps its shape.
    EXPECT_LE(qAbs(cover.width() * 48 - cover.height() * 64), 64);
    EXPECT_EQ(cover.right(), ComputePlayerLayout(form->width(), form->height()).info.right());
    EXPECT_LT(form->Info->geometry().right(), cover.left());
    EXPECT_LT(cover.bottom(), form->PNL001->geometry().top());
    EXPECT_EQ(form->Cover->pixmap().size(), cover.size());
    form->close();
}

TEST_F(CoverTest, FolderPictureStandsInForAMissingEmbeddedOne) {
    QTemporaryDir folder;
    const QString song = folder.filePath(QStringLiteral("a.mp3"));
    ASSERT_TRUE(QFile::copy(Rich().flac, song));
    QImage(40, 80, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("Folder.JPG")), "JPG");
    TestServices services;
    auto form = CreatePlayerScreen(QFile::encodeName(song), 2, services.Screens());
    form->setGeometry(QGuiApplication::primaryScreen()->geometry());
    form->show();
    ASSERT_TRUE(WaitFor([&] { return form->Cover->isVisible(); }));
    EXPECT_LE(qAbs(form->Cover->width() * 2 - form->Cover->height()), 1);
    form->close();
    QFile::remove(folder.filePath(QStringLiteral("Folder.JPG")));
    auto bare = CreatePlayerScreen(QFile::encodeName(song), 2, services.Screens());
    bare->setGeometry(QGuiApplication::primaryScreen()->geometry());
    bare->show();
    // The caption is written when the item becomes current, the cover decided with it.
    ASSERT_TRUE(WaitFor([&] { return !bare->InfoCaption().isEmpty(); }));
    EXPECT_FALSE(bare->Cover->isVisible());
    EXPECT_EQ(bare->Info->geometry(), ComputePlayerLayout(bare->width(), bare->height()).info);
    bare->close();
}

TEST(FolderCover, TakesTheFirstOfCoverFolderFrontIgnoringCase) {
    QTemporaryDir folder;
    const QByteArray item = QFile::encodeName(folder.filePath(QStringLiteral("x.flac")));
    EXPECT_TRUE(FolderCoverPicture(item).isNull());
    QImage(10, 10, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("FRONT.jpg")), "JPG");
    EXPECT_EQ(FolderCoverPicture(item).size(), QSize(10, 10));
    QImage(20, 10, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("folder.jpg")), "JPG");
    EXPECT_EQ(FolderCoverPicture(item).size(), QSize(20, 10));
    // A damaged cover.jpg is passed over.
    WriteFile(folder.filePath(QStringLiteral("Cover.jpg")), "not a picture");
    EXPECT_EQ(FolderCoverPicture(item).size(), QSize(20, 10));
    EXPECT_TRUE(FolderCoverPicture("relative.mp3").isNull());
}

TEST(FolderCover, FolderWhoseNameIsNoTextIsFound) {
    QTemporaryDir temp;
    const QByteArray folder = QFile::encodeName(temp.path()) + "/\x82\xA0\xFF";
    ASSERT_EQ(mkdir(folder.constData(), 0700), 0);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QImage(30, 10, QImage::Format_RGB32).save(&buffer, "JPG"));
    ASSERT_TRUE(WriteByteNamedFile(folder + "/cover.jpg", jpeg));
    EXPECT_EQ(FolderCoverPicture(folder + "/\xE9.mp3").size(), QSize(30, 10));
    RemoveByteNamedTree(folder);
}

TEST(CoverLayout, BoxKeepsClearOfThePanelsAndPictureKeepsItsShape) {
    const PlayerLayout layout = ComputePlayerLayout(1920, 1080);
    const QRect box = CoverArtBox(layout.info, layout.loopPanel.top(), 48);
    EXPECT_EQ(box, QRect(1264, 48, 608, 608));
    // A screen so flat that the panels leave less height than a third of the width.
    const PlayerLayout flat = ComputePlayerLayout(1920, 400);
    const QRect low = CoverArtBox(flat.info, flat.loopPanel.top(), 48);
    EXPECT_LE(low.bottom(), flat.loopPanel.top() - 48);
    EXPECT_EQ(low.right(), flat.info.right());
    EXPECT_EQ(CoverPictureRect(QSize(100, 50), box), QRect(1264, 48, 608, 304));
    EXPECT_EQ(CoverPictureRect(QSize(50, 100), box), QRect(1568, 48, 304, 608));
    EXPECT_TRUE(CoverPictureRect(QSize(), box).isEmpty());
}
} // namespace
