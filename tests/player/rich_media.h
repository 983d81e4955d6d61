#pragma once

#include <QByteArray>

// Media as taggers and encoders write them today, generated once per test run with ffmpeg:
// tags in each container, an album cover, subtitle and audio tracks, a clip long enough to resume.
// Paths are bytes of the file system.
struct RichMedia {
    QByteArray folder;
    QByteArray id3v2Mp3;  // ID3v2 tags only (no ID3v1), an embedded JPEG cover of 64 x 48
    QByteArray bothMp3;   // ID3v2 and an ID3v1 tag with other texts
    QByteArray flac;      // Vorbis comments
    QByteArray m4a;       // MP4 atoms
    QByteArray wavpack;   // APEv2 tags
    QByteArray untagged;  // an MP3 with no tags at all
    QByteArray subtitled; // MKV: two subtitle tracks (English, Japanese) none flagged default, two
                          // audio tracks (English, Japanese)
    QByteArray external;  // MP4 with "<name>.en.srt" beside it
    QByteArray episode;   // 300 s video: long enough to be resumed
};
const RichMedia& Rich();
