#pragma once

#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"
#include "filemenu/media_handoff.h"
#include "filemenu/playlist_file.h"

#include <optional>

// What the play command looks at on the folder list screen.
struct PlaySource {
    const EntryList& entries;        // the whole list, all pages, in list order
    qsizetype selected;              // the selected entry: page × 10 + CurTag − 100
    const ExtensionList& extensions; // the screen's extension list
    int category;                    // carried into the hand-off
    bool useViewer;                  // Picture: the viewer; Video and Music: the player
    // The selected folder's listing when it has been read already (off the user-interface thread).
    const EntryList* selectedListing = nullptr;
};

// Where the playlist goes and how its text is read.
struct PlaylistOptions {
    QByteArray executableName = ExecutableFileName(); // the playlist is named after it
    const CodePage* codePage = &SystemCodePage();
};

// The play command. With useMarks the marked entries of the whole list, else the matching files
// directly inside the selected folder, are sorted and written as the kind's playlist into the
// temporary directory; a selected file is taken as it is. Returns what to hand to ShowMedia:
// the playlist (list flag set) when it holds at least one file and exists, or the selected file
// (list flag clear) without looking at it: it may lie on a share that stalls, so the caller tests
// that it exists off the user-interface thread. Nothing when there is nothing to play.
// Raises EFCreateError when the playlist cannot be written: no earlier playlist is handed on.
std::optional<MediaRequest> PlaySelection(int playlistKind, bool useMarks, const PlaySource& source,
                                          const PlaylistOptions& options = {});
