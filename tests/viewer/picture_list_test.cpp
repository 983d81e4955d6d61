#include "spi/spibmp.h"
#include "viewer/picture_file.h"
#include "viewer/picture_list.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PictureListTest : public ::testing::Test {
protected:
    // QTemporaryDir cannot remove names that are not text: the files go by their bytes.
    void TearDown() override {
        for (const QByteArray& path : written)
            ::unlink(path.constData());
    }
    QByteArray Write(const char* name, const QByteArray& bytes) {
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        written.append(path);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
        return path;
    }
    QTemporaryDir dir;
    QList<QByteArray> written;
};

struct LinesCase {
    QByteArray text;
    QList<QByteArray> lines;
};

void PrintTo(const LinesCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.text);
}

class ListLinesTest : public PictureListTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(ListLinesTest, LinesAsStored) {
    EXPECT_EQ(ReadPictureList(Write("p.lst", GetParam().text)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListLinesTest,
    ::testing::Values(LinesCase{"", {}}, LinesCase{"/a.jpg", {"/a.jpg"}},
                      LinesCase{"/a.jpg\n/b.jpg\n", {"/a.jpg", "/b.jpg"}},
                      LinesCase{"/a.jpg\r\n/b.jpg\r\n", {"/a.jpg", "/b.jpg"}},
                      LinesCase{"/a.jpg\r/b.jpg", {"/a.jpg", "/b.jpg"}},
                      // No trimming, and an empty line is an entry.
                      LinesCase{" /a.jpg \n\n\t/b.jpg", {" /a.jpg ", "", "\t/b.jpg"}},
                      LinesCase{"\n", {""}},
                      // Bytes of another code page pass through unchanged.
                      LinesCase{"/\x83\x5c.jpg\n/\xff.jpg\n", {"/\x83\x5c.jpg", "/\xff.jpg"}}));

TEST_F(PictureListTest, MissingOrUnreadableListNamesTheFile) {
    const QByteArray missing = QFile::encodeName(dir.filePath("none.lst"));
    try {
        ReadPictureList(missing);
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_TRUE(error.message().startsWith("Cannot open file \"" + dir.filePath("none.lst")))
            << error.message().toStdString();
    }
    // A folder opens but cannot be read as a file.
    EXPECT_THROW(ReadPictureList(QFile::encodeName(dir.path())), AppError);
    // A NUL byte would make the system open a shorter name, here an existing file.
    Write("short", "/a.jpg\n");
    EXPECT_THROW(
        ReadPictureList(QFile::encodeName(dir.filePath("short")) + QByteArray("\0.lst", 5)),
        AppError);
}

TEST_F(PictureListTest, PictureWhoseNameIsNotTextStillOpens) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&bmp, "BMP"));
    const QByteArray path = Write("pic\xff\xfe.bmp", bmp.data());
    ASSERT_NE(QFile::encodeName(QFile::decodeName(path)), path);

    TSPIBitmap bitmap;
    LoadPictureFile(bitmap, path);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.Image().pixel(1, 1), qRgb(10, 200, 30));

    EXPECT_THROW(LoadPictureFile(bitmap, path + "missing"), EInvalidGraphic);
    EXPECT_THROW(LoadPictureFile(bitmap, path + QByteArray("\0x", 2)), EInvalidGraphic);
}

TEST_F(PictureListTest, AFifoInAPicturesPlaceIsRefusedWithoutWaiting) {
    // Put there after the folder was listed; no writer ever opens it.
    for (const char* name : {"fifo.bmp", "fifo\xff.jpg"}) {
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
        TSPIBitmap bitmap;
        EXPECT_THROW(LoadPictureFile(bitmap, path), EInvalidGraphic) << name;
        ::unlink(path.constData()); // a name that is not text is beyond QDir's clean-up
    }
}

} // namespace
