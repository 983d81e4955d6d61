#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Short media generated once per test run with ffmpeg into the test's temporary folder; paths are
// bytes of the file system, as the player takes them.
struct TestMedia {
    QByteArray folder;
    QByteArray video;   // 6 s H.264 + AAC, 160x120, a key frame every 0.2 s
    QByteArray song;    // 6 s MP3 with an ID3v1.1 tag (title "Test Song", track 7)
    QByteArray second;  // 3 s MP3 without a tag
    QByteArray corrupt; // bytes that no demuxer accepts, named .mp4
};
const TestMedia& Media();

// A folder of generated media in the test's temporary folder (made when missing) and the paths of
// its files.
struct MediaFolder {
    explicit MediaFolder(const char* name);
    QByteArray File(const char* name) const { return path + '/' + name; }
    QByteArray path;
};

// Runs the event loop until the condition holds; false after the time-out.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 15000);

// Runs ffmpeg quietly with the arguments; throws when it fails.
void Ffmpeg(const QStringList& arguments);

// Writes a file with the given bytes.
void WriteFile(const QString& path, const QByteArray& bytes);
