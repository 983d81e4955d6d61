#pragma once

#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"

#include <QByteArray>
#include <QCollator>

#include <functional>

// The collator of the folder list and the playlists: the user's locale, letter case ignored, runs
// of digits compared as numbers ("ep 2" before "ep 10"). The C and POSIX locales take a real
// locale's rules instead, where case-insensitive and numeric sort keys are honoured.
QCollator FolderCollator();

// The sub-folders and the matching files of a folder, sorted by display text with the names' own
// "&" (FolderCollator's order; equal texts keep the name order). Hidden entries (a name beginning
// with "." other than "..", and the folders Windows keeps on its disks: "$RECYCLE.BIN" and "System
// Volume Information", letter case ignored) and system entries (sockets, FIFOs, device nodes) are
// left out; a symbolic link counts as what it points to, a dangling one is left out.
// "." is skipped; ".." is kept as the up entry, except in the root, which has none. A folder that
// cannot be enumerated gives an empty list. taken, when given, is told how many entries the
// listing has taken so far, after each one.
EntryList ListFolderEntries(const QByteArray& folder, const ExtensionList& extensions,
                            const std::function<void(size_t)>& taken = {});

// Sorts entries by display text as ListFolderEntries does.
void SortByDisplayText(EntryList& entries);
