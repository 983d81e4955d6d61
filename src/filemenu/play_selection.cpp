#include "filemenu/play_selection.h"

#include "filemenu/folder_existence.h"
#include "filemenu/folder_listing.h"

namespace {
QByteArrayList MarkedPaths(const EntryList& entries) {
    QByteArrayList paths;
    for (const ListEntry& item : entries) {
        if (item.entry.marked)
            paths.append(item.entry.path);
    }
    return paths;
}

// The matching files of a folder listing; its sub-folders are not walked.
QByteArrayList MatchingFiles(const EntryList& listing) {
    QByteArrayList paths;
    for (const ListEntry& item : listing) {
        if (!item.entry.directory)
            paths.append(item.entry.path);
    }
    return paths;
}
} // namespace

std::optional<MediaRequest> PlaySelection(int playlistKind, bool useMarks, const PlaySource& source,
                                          const PlaylistOptions& options) {
    const CodePage& codePage = *options.codePage;
    const QByteArray playlist =
        TempFilePath(PlaylistFileName(options.executableName, playlistKind), codePage);
    const qsizetype i = source.selected;
    const bool onEntry = i >= 0 && i < static_cast<qsizetype>(source.entries.size());
    if (useMarks || (onEntry && source.entries[static_cast<size_t>(i)].entry.directory)) {
        QByteArrayList files;
        if (useMarks)
            files = MarkedPaths(source.entries);
        else if (source.selectedListing)
            files = MatchingFiles(*source.selectedListing);
        else
            files = MatchingFiles(ListFolderEntries(
                source.entries[static_cast<size_t>(i)].entry.path, source.extensions));
        SortPaths(files, codePage);
        if (WritePlaylist(playlist, playlistKind, files, codePage) == 0 ||
            !IsExistingFile(playlist))
            return std::nullopt;
        return MediaRequest{.path = playlist,
                            .viewer = source.useViewer,
                            .list = true,
                            .category = source.category,
                            .neighbours = {}};
    }
    if (!onEntry)
        return std::nullopt;
    return MediaRequest{.path = source.entries[static_cast<size_t>(i)].entry.path,
                        .viewer = source.useViewer,
                        .list = false,
                        .category = source.category,
                        .neighbours = {}};
}
