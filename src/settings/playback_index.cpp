#include "settings/playback_index.h"

#include "platform/byte_path.h"
#include "settings/schema.h"
#include "settings/store.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {
// A held change of a file's entry, told apart from every held settings value.
QString HeldIdentity(const QByteArray& path) {
    return QStringLiteral("playback_index\\") + QString::fromLatin1(path.toHex());
}

const char kFind[] = "SELECT duration, position, play_count, last_played, audio, subtitles "
                     "FROM playback_index WHERE path = ?1";
const char kSave[] = "INSERT OR REPLACE INTO playback_index"
                     "(path, duration, position, play_count, last_played, audio, subtitles) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)";
const char kClear[] = "DELETE FROM playback_index WHERE path = ?1";
const char kStartedBelow[] = "SELECT 1 FROM playback_index WHERE path >= ?1 AND path < ?2 "
                             "AND (position > 0 OR play_count > 0) LIMIT 1";
const char kChoicesBelow[] =
    "SELECT path, duration, position, play_count, last_played, audio, subtitles "
    "FROM playback_index WHERE path >= ?1 AND path < ?2 AND (audio <> '' OR subtitles <> '') "
    "ORDER BY last_played DESC";

const QString& kLegacyResume = settingskey::Resume;
const QString kLegacyOrder = kLegacyResume + QStringLiteral("\\Order");

QString LegacyName(const QByteArray& path) {
    return QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex());
}

// The range of paths below a folder: from "folder/" up to, not including, "folder0" ("0" follows
// "/" in every byte order), so that the primary key's order finds them.
std::pair<QByteArray, QByteArray> BelowRange(const QByteArray& folder) {
    QByteArray prefix = folder;
    if (!prefix.endsWith('/'))
        prefix += '/';
    QByteArray end = prefix;
    end.back() = static_cast<char>('/' + 1);
    return {prefix, end};
}

PlaybackRecord RecordOf(const QByteArray& path, const QVariantList& row, int first) {
    PlaybackRecord record;
    record.path = path;
    record.duration = row.value(first).toDouble();
    record.position = row.value(first + 1).toDouble();
    record.playCount = row.value(first + 2).toInt();
    record.lastPlayed = row.value(first + 3).toLongLong();
    record.audio = row.value(first + 4).toString();
    record.subtitles = row.value(first + 5).toString();
    return record;
}
} // namespace

namespace watching {

bool PlayedToTheEnd(double position, double duration) {
    return duration > 0 && (position >= duration * kWatchedShare ||
                            duration - position <= duration * kCreditsShare);
}

WatchState StateOf(const PlaybackRecord& record) {
    if (record.position > 0)
        return WatchState::InProgress;
    return record.playCount > 0 ? WatchState::Watched : WatchState::Unseen;
}

double ProgressShare(const PlaybackRecord& record) {
    if (record.duration <= 0)
        return 0;
    return std::clamp(record.position / record.duration, 0.0, 1.0);
}

} // namespace watching

std::optional<PlaybackRecord> PlaybackIndex::Find(const QByteArray& path) {
    if (store_.RunsOnDefaults())
        return std::nullopt;
    if (auto held = Held(path))
        return *held;
    try {
        const QList<QVariantList> rows = store_.Run(kFind, {path});
        if (!rows.isEmpty())
            return RecordOf(path, rows.first(), 0);
        if (const auto position = LegacyPosition(path)) {
            PlaybackRecord record;
            record.path = path;
            record.position = *position;
            return record;
        }
    } catch (const AppError&) {
        // An index that cannot be read knows nothing; playing goes on from the start.
    }
    return std::nullopt;
}

void PlaybackIndex::Save(const PlaybackRecord& record) {
    Write(record.path, record, [this, record] {
        store_.WriteAtomically([&] {
            store_.Run(kSave, {record.path, record.duration, record.position, record.playCount,
                               record.lastPlayed, record.audio, record.subtitles});
            ForgetLegacy(record.path);
        });
    });
}

void PlaybackIndex::Clear(const QByteArray& path) {
    Write(path, std::nullopt, [this, path] {
        store_.WriteAtomically([&] {
            store_.Run(kClear, {path});
            ForgetLegacy(path);
        });
    });
}

void PlaybackIndex::Write(const QByteArray& path, const std::optional<PlaybackRecord>& record,
                          const std::function<void()>& write) {
    if (store_.RunsOnDefaults())
        return;
    //: %1 is the name of a file that was played.
    const QString label = QCoreApplication::translate("PlaybackIndex", "where %1 was left")
                              .arg(QFile::decodeName(LastPathComponent(path)));
    if (store_.WriteOrHold(HeldIdentity(path), label, write))
        held_[path] = record;
    else
        held_.erase(path);
}

std::optional<std::optional<PlaybackRecord>> PlaybackIndex::Held(const QByteArray& path) {
    const auto held = held_.find(path);
    if (held == held_.end())
        return std::nullopt;
    // Written since (by a transaction that carried it): the store has it now.
    if (!store_.Holds(HeldIdentity(path))) {
        held_.erase(held);
        return std::nullopt;
    }
    return held->second;
}

bool PlaybackIndex::AnyStartedBelow(const QByteArray& folder) {
    if (store_.RunsOnDefaults())
        return false;
    const auto [from, to] = BelowRange(folder);
    try {
        return !store_.Run(kStartedBelow, {from, to}).isEmpty();
    } catch (const AppError&) {
        return false;
    }
}

std::optional<PlaybackRecord> PlaybackIndex::LatestChoiceIn(const QByteArray& folder) {
    if (store_.RunsOnDefaults())
        return std::nullopt;
    const auto [from, to] = BelowRange(folder);
    try {
        for (const QVariantList& row : store_.Run(kChoicesBelow, {from, to})) {
            const QByteArray path = row.value(0).toByteArray();
            // Only the folder's own files: a sub-folder may hold another series.
            if (path.indexOf('/', from.size()) < 0)
                return RecordOf(path, row, 1);
        }
    } catch (const AppError&) {
    }
    return std::nullopt;
}

std::optional<double> PlaybackIndex::LegacyPosition(const QByteArray& path) {
    const auto value = store_.ReadValue(RootKey::CurrentUser, kLegacyResume, LegacyName(path));
    if (!value || value->kind != ValueKind::Dword || value->data.size() != 4)
        return std::nullopt;
    const quint32 seconds = qFromLittleEndian<quint32>(value->data.constData());
    // Stored data is anything an import put there: only a plausible position is used.
    if (seconds == 0 || seconds > static_cast<quint32>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return seconds;
}

void PlaybackIndex::ForgetLegacy(const QByteArray& path) {
    const QString name = LegacyName(path);
    if (const auto key = store_.FindKey(RootKey::CurrentUser, kLegacyResume))
        store_.DeleteValue(*key, name);
    if (const auto key = store_.FindKey(RootKey::CurrentUser, kLegacyOrder))
        store_.DeleteValue(*key, name);
}
