#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {
QByteArray Id3v1(const QByteArray& title, int track) {
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, 6, "Artist");
    tag.replace(63, 5, "Album");
    tag.replace(93, 4, "2001");
    tag[126] = static_cast<char>(track);
    return tag;
}

TestMedia Generate() {
    TestMedia media;
    const MediaFolder folder("player-media");
    media.folder = folder.path;
    media.video = folder.File("clip.mp4");
    media.song = folder.File("song.mp3");
    media.second = folder.File("second.mp3");
    media.corrupt = folder.File("broken.mp4");
    Ffmpeg({"-f",   "lavfi",   "-i",        "testsrc=duration=6:size=160x120:rate=25",
            "-f",   "lavfi",   "-i",        "sine=frequency=440:duration=6",
            "-c:v", "libx264", "-preset",   "ultrafast",
            "-g",   "5",       "-pix_fmt",  "yuv420p",
            "-c:a", "aac",     "-shortest", media.video});
    for (const auto& [path, seconds] : {std::pair{media.song, "6"}, std::pair{media.second, "3"}})
        Ffmpeg({"-f", "lavfi", "-i", QStringLiteral("sine=frequency=330:duration=%1").arg(seconds),
                "-c:a", "libmp3lame", "-b:a", "64k", "-id3v2_version", "0", "-write_id3v1", "0",
                path});
    QFile song(media.song);
    if (!song.open(QIODevice::Append))
        throw std::runtime_error("cannot tag the song");
    song.write(Id3v1("Test Song", 7));
    song.close();
    WriteFile(media.corrupt, QByteArray(4096, '\x5a'));
    return media;
}
} // namespace

MediaFolder::MediaFolder(const char* name)
    : path(QFile::encodeName(QDir::temp().filePath(QLatin1String(name)))) {
    QDir().mkpath(QFile::decodeName(path));
}

void Ffmpeg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                              QStringLiteral("error"), QStringLiteral("-y")} +
                      arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        throw std::runtime_error("ffmpeg failed: " + process.readAllStandardError().toStdString());
}

const TestMedia& Media() {
    static const TestMedia media = Generate();
    return media;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    return QTest::qWaitFor(condition, milliseconds);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}
