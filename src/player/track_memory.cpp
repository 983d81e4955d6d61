#include "player/track_memory.h"

#include "platform/byte_path.h"
#include "player/language_code.h"
#include "player/media_player_control.h"
#include "player/track_choice.h"
#include "settings/playback_index.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace {
// Selects the track the preference names, when it names one and it is not selected already.
void Follow(MediaPlayerControl& control, TrackKind kind, const TrackPreference& preference) {
    const auto choice = ChooseTrack(control.tracks(kind), preference);
    if (!choice)
        return;
    const auto selected = control.selectedTrack(kind);
    if ((selected ? std::optional(selected->id) : std::nullopt) != *choice)
        control.selectTrack(kind, *choice);
}
} // namespace

void TrackMemory::Apply() {
    const QByteArray item = control_.currentMedia().sourceURL();
    if (item.isEmpty() || item == chosenIn_)
        return;
    const auto kept = index_.LatestChoiceIn(FolderOfPath(item));
    const QString audio = kept ? kept->audio : QString();
    const QString subtitles = kept ? kept->subtitles : QString();
    if (!audio.isEmpty())
        Follow(control_, TrackKind::Audio, PreferenceFromText(audio));
    if (!subtitles.isEmpty()) {
        Follow(control_, TrackKind::Subtitles, PreferenceFromText(subtitles));
    } else if (!control_.selectedTrack(TrackKind::Subtitles)) {
        // mpv weighs the locale's languages only among the tracks it opened with.
        TrackPreference local;
        local.language =
            NormalLanguageCode(PreferredLanguages(QLocale::system()).section(',', 0, 0));
        if (!local.language.isEmpty())
            Follow(control_, TrackKind::Subtitles, local);
    }
}

void TrackMemory::Keep(bool subtitles) {
    const QByteArray item = control_.currentMedia().sourceURL();
    if (item.isEmpty())
        return;
    chosenIn_ = item;
    const TrackKind kind = subtitles ? TrackKind::Subtitles : TrackKind::Audio;
    const QString choice = PreferenceText(PreferenceOf(control_.selectedTrack(kind)));
    PlaybackRecord record = index_.Find(item).value_or(PlaybackRecord{});
    record.lastPlayed = QDateTime::currentMSecsSinceEpoch();
    // The folder's choice of the other kind goes on with this item, which is now its latest
    // even when the clock has not moved on since the last one.
    if (const auto kept = index_.LatestChoiceIn(FolderOfPath(item))) {
        if (record.audio.isEmpty())
            record.audio = kept->audio;
        if (record.subtitles.isEmpty())
            record.subtitles = kept->subtitles;
        record.lastPlayed = std::max(record.lastPlayed, kept->lastPlayed + 1);
    }
    record.path = item;
    (subtitles ? record.subtitles : record.audio) = choice;
    index_.Save(record);
}
