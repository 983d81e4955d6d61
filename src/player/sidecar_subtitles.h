#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// A subtitle file that goes with a video by its name: "film.en.forced.srt" beside "film.mkv", or
// "Subs/English.srt" in the video's subtitle folder.
struct SidecarSubtitle {
    QByteArray path;              // the file system's bytes: the name may not be valid text
    QString language;             // NormalLanguageCode, empty when the name carries none
    bool forced = false;          // ".forced"
    bool hearingImpaired = false; // ".sdh", ".hi", ".cc"
    // What the viewer sees: "English (forced)", "English SDH", or the name's other text
    // ("Director") when it names no language.
    QString title;
};

// The subtitle files of the video, read from its folder and from sub-folders of it named "Subs"
// or "Subtitles" (any letter case), in that order and by the bytes of the names within each.
// Beside the video a file is named "<video name without extension>[.<language>][.<flags>].<ext>",
// its language and flags in either order; in a subtitle folder "[<language>][.<flags>].<ext>"
// will do too, the language as a code or an English name ("eng", "English", "2_English").
// Extensions: srt, ass, ssa, vtt, sub, sup. Reads the disk and may block: not for the UI thread.
// A folder that cannot be read counts as empty.
std::vector<SidecarSubtitle> FindSidecarSubtitles(const QByteArray& videoPath);
