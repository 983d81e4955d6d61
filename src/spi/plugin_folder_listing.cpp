#include "spi/plugin_folder_listing.h"

#include <QFile>

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PluginFolderListing::State {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::vector<std::string> names;
};

namespace {

// Plain POSIX calls only: the worker may outlive everything else in the process.
std::vector<std::string> ListPluginFiles(const std::string& dir, const std::string& pattern) {
    std::vector<std::string> names;
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr)
        return names;
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_name[0] == '.')
            continue;
        if (::fnmatch(pattern.c_str(), entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        // Followed, so that a symbolic link is met (and refused with its reason) when it is
        // opened.
        struct stat st {};
        if (::fstatat(::dirfd(handle), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        names.emplace_back(entry->d_name);
    }
    ::closedir(handle);
    return names;
}

} // namespace

PluginFolderListing::PluginFolderListing(const QString& dir, const QString& pattern)
    : state_(std::make_shared<State>()) {
    std::thread([state = state_, dir = QFile::encodeName(dir.isEmpty() ? QStringLiteral(".") : dir)
                                          .toStdString(),
                 pattern = QFile::encodeName(pattern).toStdString()] {
        std::vector<std::string> names = ListPluginFiles(dir, pattern);
        const std::lock_guard lock(state->mutex);
        state->names = std::move(names);
        state->done = true;
        state->finished.notify_all();
    }).detach();
}

std::optional<QStringList> PluginFolderListing::Wait(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(state_->mutex);
    if (!state_->finished.wait_until(lock, deadline, [this] { return state_->done; }))
        return std::nullopt;
    QStringList names;
    for (const std::string& name : state_->names)
        names.append(QFile::decodeName(QByteArray::fromStdString(name)));
    return names;
}
