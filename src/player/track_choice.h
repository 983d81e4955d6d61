#pragma once

#include "player/media_player_control.h"

#include <QLocale>
#include <QString>

#include <optional>

// A track of one kind as the viewer tells it apart: its language code and title from the
// container, and its place among the tracks of that kind.
struct TrackDescription {
    QString language; // ISO 639 code ("eng", "ja"), empty when unknown
    QString title;
    int number = 0; // 1-based among the tracks of its kind
};

// What the viewer sees after choosing: "Subtitles: English — Director's comments (2 of 3)",
// "Subtitles off", "No subtitles" when the item has none.
QString TrackChoiceText(TrackKind kind, const std::optional<TrackDescription>& selected, int count);

// mpv's preferred-language list for the locale: its two- and three-letter codes ("ja,jpn"); empty
// for the C locale.
QString PreferredLanguages(const QLocale& locale);
