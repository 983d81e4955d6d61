#include "player/playlist_lineage.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <cstdlib>

namespace {
// The path with "." and ".." steps and doubled separators removed. Latin-1 carries every byte,
// whatever the name's code page, and the steps are ASCII.
QByteArray CleanPath(const QByteArray& path) {
    return QDir::cleanPath(QString::fromLatin1(path)).toLatin1();
}

// One name per file, however a playlist spells its path (relative, through a symbolic link).
QByteArray SameFileKey(const QByteArray& path) {
    char canonical[PATH_MAX];
    return realpath(path.constData(), canonical) ? QByteArray(canonical) : CleanPath(path);
}

bool HasPlaylistExtension(const QByteArray& path) {
    const QByteArray lower = path.toLower();
    for (const char* extension : {".m3u", ".m3u8", ".pls", ".wpl"})
        if (lower.endsWith(extension))
            return true;
    return false;
}

// Whether the entry is the playlist. Only names of playlists are looked up on the file system:
// media entries, most of every list, are compared as written, so a share that stalls is not
// asked about each of them.
bool IsSameFile(const QByteArray& entry, const QByteArray& playlist) {
    if (CleanPath(entry) == CleanPath(playlist))
        return true;
    return HasPlaylistExtension(entry) && SameFileKey(entry) == SameFileKey(playlist);
}
} // namespace

void PlaylistLineage::Reset(const QByteArrayList& top) {
    top_ = top;
    lineage_.clear();
}

const QByteArrayList& PlaylistLineage::Of(qint64 entry) const {
    const auto found = lineage_.find(entry);
    return found == lineage_.end() ? top_ : found->second;
}

void PlaylistLineage::Expanded(qint64 parent, const QByteArray& path, qint64 first, int count) {
    QByteArrayList lineage = Of(parent);
    lineage.append(path);
    lineage_.erase(parent);
    for (int i = 0; i < count; ++i)
        lineage_[first + i] = lineage;
}

QString PlaylistLineage::Refusal(const QByteArrayList& lineage, const QByteArray& path) {
    if (lineage.size() > kMaxDepth)
        return tr("The playlist \"%1\" is nested more than %2 playlists deep; its entries are "
                  "skipped.")
            .arg(QFile::decodeName(lineage.last()))
            .arg(kMaxDepth);
    for (const QByteArray& playlist : lineage)
        if (IsSameFile(path, playlist))
            return tr("The playlist \"%1\" leads back to itself; it is skipped.")
                .arg(QFile::decodeName(path));
    return {};
}
