#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class SettingsStore;

// What the program knows of one file it has played.
struct PlaybackRecord {
    QByteArray path;       // the bytes of the file system
    double duration = 0;   // seconds; 0 when not known (a position kept by an older version)
    double position = 0;   // the resume point in seconds; 0: none
    int playCount = 0;     // times played to the end
    qint64 lastPlayed = 0; // milliseconds since the epoch
    QString audio;         // the tracks chosen, in the player's own words for them
    QString subtitles;
};

enum class WatchState { Unseen, InProgress, Watched };

namespace watching {
// Played this far (or to within this much of the end, the credits) counts as watched: the
// thresholds Kodi's users know.
inline constexpr double kWatchedShare = 0.90;
inline constexpr double kCreditsShare = 0.08;
// Before this nothing was really watched: no resume point.
inline constexpr double kFirstResumePoint = 180;

bool PlayedToTheEnd(double position, double duration);
// In progress while a resume point is kept, even on a file watched before.
WatchState StateOf(const PlaybackRecord& record);
// How far the resume point is, 0 to 1; 0 when the length is not known.
double ProgressShare(const PlaybackRecord& record);
} // namespace watching

// The index of played files in the settings database: resume points, watched marks and the
// tracks chosen, by the bytes of each file's path. A run on defaults keeps nothing; a store that
// cannot be read is an index without entries for reading (what shows marks must never fail).
class PlaybackIndex {
public:
    explicit PlaybackIndex(SettingsStore& store) : store_(store) {}

    std::optional<PlaybackRecord> Find(const QByteArray& path);
    // Writes the whole record (replacing any kept for the path).
    void Save(const PlaybackRecord& record);
    // Forgets the file: no resume point, no watched mark.
    void Clear(const QByteArray& path);
    // Whether anything below the folder, at any depth, is in progress or watched.
    bool AnyStartedBelow(const QByteArray& folder);
    // The file directly in the folder played last with a choice of tracks kept.
    std::optional<PlaybackRecord> LatestChoiceIn(const QByteArray& folder);

private:
    // A resume point an older version kept under the hash of the path; it is dropped once the
    // index holds the file.
    std::optional<double> LegacyPosition(const QByteArray& path);
    void ForgetLegacy(const QByteArray& path);
    // Runs a change of the file's entry; one the store refuses for now is held, with what it
    // leaves (none: forgotten) read back until the store has it.
    void Write(const QByteArray& path, const std::optional<PlaybackRecord>& record,
               const std::function<void()>& write);
    // What a held change left of the file's entry; none when no change of it is held.
    std::optional<std::optional<PlaybackRecord>> Held(const QByteArray& path);

    SettingsStore& store_;
    std::map<QByteArray, std::optional<PlaybackRecord>> held_;
};
