#include "rich_media.h"

#include "test_media.h"

#include <QFile>
#include <QProcess>

#include <stdexcept>

namespace {
const QStringList kTags = {"-metadata", "title=Rich Tïtle", "-metadata", "artist=Someone",
                           "-metadata", "album=Records",    "-metadata", "date=2004-06-01",
                           "-metadata", "track=3/12",       "-metadata", "comment=Nice"};
const QStringList kSine = {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"};

void Song(const QString& path, const QStringList& codec) {
    Ffmpeg(kSine + codec + kTags + QStringList{path});
}

RichMedia Generate() {
    RichMedia media;
    const MediaFolder folder("rich-media");
    media.folder = folder.path;
    media.id3v2Mp3 = folder.File("id3v2.mp3");
    media.bothMp3 = folder.File("both.mp3");
    media.flac = folder.File("vorbis.flac");
    media.m4a = folder.File("atoms.m4a");
    media.wavpack = folder.File("ape.wv");
    media.untagged = folder.File("Plain Song.mp3");
    media.subtitled = folder.File("tracks.mkv");
    media.external = folder.File("Film.mp4");
    media.episode = folder.File("episode.mp4");

    const QStringList mp3 = {"-c:a", "libmp3lame", "-b:a", "64k", "-write_id3v1", "0"};
    Ffmpeg(kSine +
           QStringList{"-f", "lavfi", "-i", "testsrc=size=64x48:duration=1", "-map", "0", "-map",
                       "1", "-frames:v", "1", "-c:v", "mjpeg", "-disposition:v", "attached_pic",
                       "-id3v2_version", "3"} +
           mp3 + kTags + QStringList{media.id3v2Mp3});
    Song(media.bothMp3, mp3 + QStringList{"-id3v2_version", "3"});
    Song(media.flac, {"-c:a", "flac"});
    Song(media.m4a, {"-c:a", "aac"});
    Song(media.wavpack, {"-c:a", "wavpack"});
    Ffmpeg(kSine + QStringList{"-c:a", "libmp3lame", "-id3v2_version", "0", "-write_id3v1", "0",
                               "-map_metadata", "-1", media.untagged});
    // An ID3v1 trailer with texts of its own after the ID3v2 file.
    QFile both(media.bothMp3);
    if (!both.open(QIODevice::Append))
        throw std::runtime_error("cannot tag both.mp3");
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 8, "Old Name");
    both.write(tag);
    both.close();

    const QString english = folder.File("english.srt");
    const QString japanese = folder.File("japanese.srt");
    WriteFile(english, "1\n00:00:00,000 --> 00:00:05,000\nHello\n");
    WriteFile(japanese, "1\n00:00:00,000 --> 00:00:05,000\nこんにちは\n");
    const QStringList video = {"-f", "lavfi", "-i", "testsrc=duration=4:size=64x48:rate=10"};
    Ffmpeg(video + QStringList{"-f",
                               "lavfi",
                               "-i",
                               "sine=frequency=330:duration=4",
                               "-f",
                               "lavfi",
                               "-i",
                               "sine=frequency=550:duration=4",
                               "-i",
                               english,
                               "-i",
                               japanese,
                               "-map",
                               "0",
                               "-map",
                               "1",
                               "-map",
                               "2",
                               "-map",
                               "3",
                               "-map",
                               "4",
                               "-c:v",
                               "libx264",
                               "-preset",
                               "ultrafast",
                               "-c:a",
                               "aac",
                               "-c:s",
                               "srt",
                               "-metadata:s:a:0",
                               "language=eng",
                               "-metadata:s:a:1",
                               "language=jpn",
                               "-metadata:s:s:0",
                               "language=eng",
                               "-metadata:s:s:1",
                               "language=jpn",
                               "-disposition:s:0",
                               "0",
                               "-disposition:s:1",
                               "0",
                               "-shortest",
                               media.subtitled});
    Ffmpeg(video + QStringList{"-c:v", "libx264", "-preset", "ultrafast", media.external});
    WriteFile(folder.File("Film.en.srt"), "1\n00:00:00,000 --> 00:00:05,000\nOutside\n");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=300:size=64x48:rate=5", "-c:v", "libx264",
            "-preset", "ultrafast", "-g", "10", media.episode});
    return media;
}
} // namespace

const RichMedia& Rich() {
    static const RichMedia media = Generate();
    return media;
}
