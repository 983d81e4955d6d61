#pragma once

#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"

#include <QByteArray>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

// A folder listing (ListFolderEntries) that runs on a worker thread of its own, so that a share
// that stalls (a sleeping NAS, a hung network mount) never freezes the screen. The worker is
// detached: one stuck in a system call neither blocks the caller nor keeps the process from
// exiting. Dropping the reading abandons it; whatever the worker finds later is thrown away.
class FolderReading {
public:
    FolderReading(const QByteArray& folder, const ExtensionList& extensions);
    ~FolderReading();
    FolderReading(const FolderReading&) = delete;
    FolderReading& operator=(const FolderReading&) = delete;

    const QByteArray& Folder() const { return folder_; }
    // Waits up to limit for the listing; whether it is complete.
    bool WaitFor(std::chrono::milliseconds limit) const;
    bool Finished() const { return WaitFor(std::chrono::milliseconds(0)); }
    // How many entries the listing has taken so far.
    size_t EntriesTaken() const;
    // The sorted listing, once Finished; empties it.
    EntryList TakeEntries();
    // Device and inode of the folder, once Finished; none when it is not a folder.
    std::optional<std::pair<quint64, quint64>> Identity() const;

private:
    struct Shared;
    QByteArray folder_;
    std::shared_ptr<Shared> shared_;
};
