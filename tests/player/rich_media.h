#pragma once

#include <QString>

// Media as taggers and encoders write them today, generated once per test run with ffmpeg:
// tags in each container, an album cover, subtitle and audio tracks, a clip long enough to resume.
struct RichMedia {
    QString folder;
    QString id3v2Mp3;  // ID3v2 tags only (no ID3v1), an embedded JPEG cover of 64 x 48
    QString bothMp3;   // ID3v2 and an ID3v1 tag with other texts
    QString flac;      // Vorbis comments
    QString m4a;       // MP4 atoms
    QString wavpack;   // APEv2 tags
    QString untagged;  // an MP3 with no tags at all
    QString subtitled; // MKV: two subtitle tracks (English, Japanese) none flagged default, two
                       // audio tracks (English, Japanese)
    QString external;  // MP4 with "<name>.en.srt" beside it
    QString minute;    // 60 s video
};
const RichMedia& Rich();
