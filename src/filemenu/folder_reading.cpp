#include "filemenu/folder_reading.h"

#include "filemenu/folder_listing.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <thread>

// Owned by the reading and by its worker, which may outlive it.
struct FolderReading::Shared {
    std::atomic<size_t> taken{0};
    mutable std::mutex mutex;
    mutable std::condition_variable finished;
    bool done = false;
    EntryList entries;
    std::optional<std::pair<quint64, quint64>> identity;
};

FolderReading::FolderReading(const QByteArray& folder, const ExtensionList& extensions)
    : folder_(folder), shared_(std::make_shared<Shared>()) {
    std::thread([shared = shared_, folder, extensions] {
        struct stat info {};
        std::optional<std::pair<quint64, quint64>> identity;
        if (stat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            identity = std::pair<quint64, quint64>{info.st_dev, info.st_ino};
        EntryList entries = ListFolderEntries(folder, extensions, &shared->taken);
        const std::lock_guard lock(shared->mutex);
        shared->entries = std::move(entries);
        shared->identity = identity;
        shared->done = true;
        shared->finished.notify_all();
    }).detach();
}

FolderReading::~FolderReading() = default;

bool FolderReading::WaitFor(std::chrono::milliseconds limit) const {
    std::unique_lock lock(shared_->mutex);
    return shared_->finished.wait_for(lock, limit, [this] { return shared_->done; });
}

size_t FolderReading::EntriesTaken() const {
    return shared_->taken.load();
}

EntryList FolderReading::TakeEntries() {
    const std::lock_guard lock(shared_->mutex);
    return std::move(shared_->entries);
}

std::optional<std::pair<quint64, quint64>> FolderReading::Identity() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->identity;
}
