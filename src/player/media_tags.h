#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// An item's tags as the player reads them from the container (ID3v2, Vorbis comments, MP4 atoms,
// APE): names lower-case, values as text.
using MediaMetadata = QMap<QString, QString>;

// The pieces of a now-playing caption, as UTF-8, each trimmed.
struct CaptionFields {
    QByteArray title, artist, album, year, comment;
    int track = 0; // shown only when 0 < track < 999
};

// Blanks and control characters (codes up to 0x20) removed from both ends.
QByteArray TrimCaptionText(QByteArray text);

// The caption fields of the title, artist, album, year, track and comment tags; nothing when the
// item carries none of them (an encoder name alone is no tag). A date gives its year, a track
// "4/12" the number 4.
std::optional<CaptionFields> CaptionFieldsFromMetadata(const MediaMetadata& metadata);
