#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// What the viewer chose among an item's audio or subtitle tracks, kept as the language and flags
// of the choice rather than a track number, so that the next item with other tracks can follow it.

// A track of one kind as mpv lists it, or a sidecar subtitle file.
struct TrackFacts {
    qint64 id = 0;    // mpv's track id
    QString language; // ISO 639 code as the container gives it; empty or "und" when unknown
    QString title;
    bool forced = false;
    // From a sidecar's name, or HearingImpairedTitle of an embedded track's title.
    bool hearingImpaired = false;
    bool external = false;
};

struct TrackPreference {
    bool off = false; // the viewer switched the tracks of this kind off
    QString language; // NormalLanguageCode, empty when none
    bool forced = false;
    bool hearingImpaired = false;

    bool operator==(const TrackPreference&) const = default;
};

// The preference the chosen track makes; nothing chosen is "off".
TrackPreference PreferenceOf(const std::optional<TrackFacts>& chosen);

// The track to select for the preference among an item's tracks of one kind: among those of the
// preferred language, the one with the preferred flags, else the one differing in fewest flags,
// else the first. An empty inner optional switches the kind off; an empty outer one means no
// opinion (a language none of the tracks has, or no preference at all): mpv's choice stands.
// A preference with flags but no language chooses among the tracks carrying one of its flags.
std::optional<std::optional<qint64>> ChooseTrack(const std::vector<TrackFacts>& tracks,
                                                 const TrackPreference& preference);

// The stored form: "off", "eng", "eng+forced", "eng+sdh", "eng+forced+sdh", "+forced" for flags
// without a language, and "" for no preference.
QString PreferenceText(const TrackPreference& preference);

// The preference PreferenceText stored, the letter case and order of the flags aside; any other
// text gives no preference.
TrackPreference PreferenceFromText(const QString& text);

// True when an embedded track's title marks it for the deaf and hard of hearing ("English SDH",
// "CC", "Hearing Impaired"): libmpv 0.35 has no flag for it.
bool HearingImpairedTitle(const QString& title);
