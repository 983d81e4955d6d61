#include "player/playlist_lineage.h"

#include <QFileInfo>

namespace {
// One name per file, however a playlist spells its path (relative, through a symbolic link).
QString SameFileKey(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
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
    const QString key = SameFileKey(path);
    for (const QString& playlist : lineage)
        if (SameFileKey(playlist) == key)
            return QStringLiteral("The playlist \"%1\" leads back to itself; it is skipped.")
                .arg(path);
    return {};
}
