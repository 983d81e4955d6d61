#pragma once

#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"
#include "platform/background_job.h"

#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

// A folder listing (ListFolderEntries) run as a background job, so that a share that stalls (a
// sleeping NAS, a hung network mount) never freezes the screen. Dropping the reading abandons it;
// whatever its worker finds later is thrown away.
class FolderReading {
public:
    struct Listing {
        EntryList entries; // sorted
        // Device and inode of the folder; none when it is not a folder.
        std::optional<std::pair<quint64, quint64>> identity;
    };
    using Found = std::function<void(size_t count)>;
    using Done = std::function<void(Listing listing)>;

    // found hears how many entries have been taken so far (at most every kReportInterval), done
    // the listing; both on receiver's thread.
    FolderReading(QObject* receiver, const QByteArray& folder, const ExtensionList& extensions,
                  Found found, Done done);

    static constexpr std::chrono::milliseconds kReportInterval{100};

private:
    BackgroundJob job_;
};
