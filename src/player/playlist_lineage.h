#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QCoreApplication>
#include <QString>

#include <unordered_map>

// Which playlists each entry of the player's playlist was read from, outermost first, so that a
// playlist that leads back to itself or nests without end is skipped instead of read for ever.
// Entries are mpv's playlist entry ids; paths are bytes of the file system.
class PlaylistLineage {
    Q_DECLARE_TR_FUNCTIONS(PlaylistLineage)

public:
    // Playlists nested deeper than this are not read.
    static constexpr int kMaxDepth = 8;

    // Starts afresh: the entries the player loads itself were read from `top` (empty: from none).
    void Reset(const QByteArrayList& top);
    // The entry `parent`, the playlist at `path`, was replaced by `count` entries from id `first`.
    void Expanded(qint64 parent, const QByteArray& path, qint64 first, int count);
    // The playlists the entry was read from, outermost first.
    const QByteArrayList& Of(qint64 entry) const;
    // Why an entry read from these playlists, at the path, must not be opened; empty when it may.
    // Looks up the real names of playlists: may block on a share that sleeps.
    static QString Refusal(const QByteArrayList& lineage, const QByteArray& path);
    // Whether the entry was read from a playlist.
    bool FromPlaylist(qint64 entry) const { return !Of(entry).isEmpty(); }

private:
    QByteArrayList top_;
    std::unordered_map<qint64, QByteArrayList> lineage_;
};
