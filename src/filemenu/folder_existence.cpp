#include "filemenu/folder_existence.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>

namespace {
// Shared with the probing threads, which may outlive the call that started them.
struct ProbeResults {
    std::mutex mutex;
    std::condition_variable answered;
    std::vector<std::optional<bool>> exists;
    size_t pending = 0;
    size_t next = 0; // the next path a worker takes
};

// Enough workers that a few hanging folders do not hold up the others, without a thread for each
// of a thousand folders.
constexpr size_t kMaxWorkers = 32;
} // namespace

bool IsExistingFolder(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<bool> TestFoldersExist(const std::vector<QByteArray>& paths,
                                   std::chrono::milliseconds timeLimit, const FolderProbe& probe) {
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    auto results = std::make_shared<ProbeResults>();
    results->exists.resize(paths.size());
    results->pending = paths.size();
    const size_t workers = std::min(paths.size(), kMaxWorkers);
    for (size_t w = 0; w < workers; ++w) {
        std::thread([results, probe, paths] {
            for (;;) {
                size_t i = 0;
                {
                    const std::lock_guard lock(results->mutex);
                    if (results->next == paths.size())
                        return;
                    i = results->next++;
                }
                bool exists = false;
                try {
                    exists = probe(paths[i]);
                } catch (...) {
                    exists = false;
                }
                const std::lock_guard lock(results->mutex);
                results->exists[i] = exists;
                --results->pending;
                results->answered.notify_all();
            }
        }).detach();
    }
    std::unique_lock lock(results->mutex);
    results->answered.wait_until(lock, deadline, [&] { return results->pending == 0; });
    std::vector<bool> exists(paths.size());
    for (size_t i = 0; i < paths.size(); ++i)
        exists[i] = results->exists[i].value_or(false);
    return exists;
}
