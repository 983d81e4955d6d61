#include "player/resume_positions.h"

#include "settings/general.h"
#include "settings/store.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <vector>

namespace {
const QString& kResume = settingskey::Resume;
const QString kOrder = kResume + QStringLiteral("\\Order");

QByteArray Dword(quint32 number) {
    QByteArray data(4, '\0');
    qToLittleEndian(number, data.data());
    return data;
}

std::optional<quint32> DwordOf(const StoredValue& value) {
    if (value.kind != ValueKind::Dword || value.data.size() != 4)
        return std::nullopt;
    return qFromLittleEndian<quint32>(value.data.constData());
}

struct Entry {
    quint32 sequence;
    QString name;
};

// Entries by age, oldest first; an entry without a readable sequence counts as oldest.
std::vector<Entry> EntriesByAge(SettingsStore& store, qint64 resumeKey, qint64 orderKey) {
    std::vector<Entry> entries;
    QHash<QString, quint32> sequences;
    for (const StoredValue& value : store.Values(orderKey))
        sequences.insert(value.name.toLower(), DwordOf(value).value_or(0));
    for (const StoredValue& value : store.Values(resumeKey))
        entries.push_back({sequences.value(value.name.toLower(), 0), value.name});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.sequence < b.sequence; });
    return entries;
}

quint32 NextSequence(SettingsStore& store, qint64 orderKey) {
    quint32 highest = 0;
    for (const StoredValue& value : store.Values(orderKey))
        highest = std::max(highest, DwordOf(value).value_or(0));
    return highest + 1;
}
} // namespace

namespace resume {

bool WorthKeeping(double position, double duration) {
    return duration > 0 && position > duration * kFirstShare && position < duration * kLastShare;
}

QString PathKey(const QByteArray& path) {
    return QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex());
}

std::optional<int> StoredPosition(const QByteArray& path) {
    const auto value =
        SettingsStore::Instance().ReadValue(RootKey::CurrentUser, kResume, PathKey(path));
    if (!value)
        return std::nullopt;
    const auto seconds = DwordOf(*value);
    // Stored data is anything an import put there: only a plausible position is used.
    if (!seconds || *seconds == 0 ||
        *seconds > static_cast<quint32>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(*seconds);
}

void Remember(const QByteArray& path, double position, double duration) {
    if (!WorthKeeping(position, duration)) {
        Forget(path);
        return;
    }
    SettingsStore& store = SettingsStore::Instance();
    const QString name = PathKey(path);
    store.WriteAtomically([&] {
        const qint64 resumeKey = store.CreateKey(RootKey::CurrentUser, kResume);
        const qint64 orderKey = store.CreateKey(RootKey::CurrentUser, kOrder);
        store.WriteValue(resumeKey, name, ValueKind::Dword, Dword(static_cast<quint32>(position)));
        store.WriteValue(orderKey, name, ValueKind::Dword, Dword(NextSequence(store, orderKey)));
        const std::vector<Entry> entries = EntriesByAge(store, resumeKey, orderKey);
        for (std::size_t i = 0; i + kMaxEntries < entries.size(); ++i) {
            store.DeleteValue(resumeKey, entries[i].name);
            store.DeleteValue(orderKey, entries[i].name);
        }
    });
}

void Forget(const QByteArray& path) {
    SettingsStore& store = SettingsStore::Instance();
    const QString name = PathKey(path);
    store.WriteAtomically([&] {
        if (const auto resumeKey = store.FindKey(RootKey::CurrentUser, kResume))
            store.DeleteValue(*resumeKey, name);
        if (const auto orderKey = store.FindKey(RootKey::CurrentUser, kOrder))
            store.DeleteValue(*orderKey, name);
    });
}

QString ResumeNote(int seconds) {
    const int hours = seconds / 3600;
    const int minutes = seconds / 60 % 60;
    const QString time =
        hours > 0 ? QStringLiteral("%1:%2:%3")
                        .arg(hours)
                        .arg(minutes, 2, 10, QLatin1Char('0'))
                        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                  : QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QCoreApplication::translate("Player", "Resumed at %1 — Ctrl+B starts over").arg(time);
}

} // namespace resume
