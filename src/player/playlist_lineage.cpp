#include "player/playlist_lineage.h"

#include <QDir>
#include <QFileInfo>

namespace {
// One name per file, however a playlist spells its path (relative, through a symbolic link).
QString SameFileKey(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

bool HasPlaylistExtension(const QString& path) {
    for (const char* extension : {".m3u", ".m3u8", ".pls", ".wpl"})
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

// Whether the entry is the playlist. Only names of playlists are looked up on the file system:
// media entries, most of every list, are compared as written, so a share that stalls is not
// asked about each of them.
bool IsSameFile(const QString& entry, const QString& playlist) {
    if (QDir::cleanPath(entry) == QDir::cleanPath(playlist))
        return true;
    return HasPlaylistExtension(entry) && SameFileKey(entry) == SameFileKey(playlist);
}
} // namespace

void PlaylistLineage::Reset(const QStringList& top) {
    top_ = top;
    lineage_.clear();
}

const QStringList& PlaylistLineage::Of(qint64 entry) const {
    const auto found = lineage_.find(entry);
    return found == lineage_.end() ? top_ : found->second;
}

void PlaylistLineage::Expanded(qint64 parent, const QString& path, qint64 first, int count) {
    QStringList lineage = Of(parent);
    lineage.append(path);
    lineage_.erase(parent);
    for (int i = 0; i < count; ++i)
        lineage_[first + i] = lineage;
}

QString PlaylistLineage::Refusal(qint64 entry, const QString& path) const {
    const QStringList& lineage = Of(entry);
    if (lineage.size() > kMaxDepth)
        return QStringLiteral("The playlist \"%1\" is nested more than %2 playlists deep; its "
                              "entries are skipped.")
            .arg(lineage.last())
            .arg(kMaxDepth);
    for (const QString& playlist : lineage)
        if (IsSameFile(path, playlist))
            return QStringLiteral("The playlist \"%1\" leads back to itself; it is skipped.")
                .arg(path);
    return {};
}
