#include "filemenu/folder_existence.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {
// Enough workers that a few hanging folders do not hold up the others, without a thread for each
// of a thousand folders.
constexpr size_t kMaxWorkers = 32;
} // namespace

bool IsExistingFolder(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsExistingFile(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && stat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

struct ExistenceAnswers::State {
    mutable std::mutex mutex;
    mutable std::condition_variable answered;
    std::vector<std::optional<bool>> exists;
    size_t pending = 0;
};

ExistenceAnswers::ExistenceAnswers(size_t count) : state_(std::make_shared<State>()) {
    state_->exists.resize(count);
    state_->pending = count;
}

bool ExistenceAnswers::WaitFor(std::chrono::milliseconds limit) const {
    std::unique_lock lock(state_->mutex);
    return state_->answered.wait_for(lock, limit, [this] { return state_->pending == 0; });
}

std::vector<std::optional<bool>> ExistenceAnswers::Snapshot() const {
    const std::lock_guard lock(state_->mutex);
    return state_->exists;
}

void ExistenceAnswers::Answer(size_t index, bool exists) {
    const std::lock_guard lock(state_->mutex);
    if (state_->exists[index])
        return;
    state_->exists[index] = exists;
    --state_->pending;
    state_->answered.notify_all();
}

// A request that waits for one path's answer; a request nobody holds any more is skipped.
struct Waiter {
    std::weak_ptr<ExistenceAnswers> answers;
    size_t index;
};

struct FolderExistenceChecks::State {
    explicit State(FolderProbe p) : probe(std::move(p)) {}
    const FolderProbe probe;
    mutable std::mutex mutex;
    std::map<QByteArray, std::vector<Waiter>> inFlight; // queued or being tested
    std::deque<QByteArray> queue;
    size_t workers = 0;
};

FolderExistenceChecks::FolderExistenceChecks(FolderProbe probe)
    : state_(std::make_shared<State>(std::move(probe))) {}

std::shared_ptr<FolderExistenceChecks> FolderExistenceChecks::Create(FolderProbe probe) {
    return std::shared_ptr<FolderExistenceChecks>(new FolderExistenceChecks(std::move(probe)));
}

std::shared_ptr<ExistenceAnswers> FolderExistenceChecks::Ask(const std::vector<QByteArray>& paths) {
    auto answers = std::make_shared<ExistenceAnswers>(paths.size());
    size_t newWorkers = 0;
    {
        const std::lock_guard lock(state_->mutex);
        for (size_t i = 0; i < paths.size(); ++i) {
            auto [slot, added] = state_->inFlight.try_emplace(paths[i]);
            slot->second.push_back({answers, i});
            if (added)
                state_->queue.push_back(paths[i]);
        }
        while (state_->workers < kMaxWorkers && state_->workers < state_->queue.size()) {
            ++state_->workers;
            ++newWorkers;
        }
    }
    for (size_t w = 0; w < newWorkers; ++w)
        std::thread([self = shared_from_this()] { self->Work(); }).detach();
    return answers;
}

void FolderExistenceChecks::Work() {
    for (;;) {
        QByteArray path;
        {
            const std::lock_guard lock(state_->mutex);
            if (state_->queue.empty()) {
                --state_->workers;
                return;
            }
            path = state_->queue.front();
            state_->queue.pop_front();
        }
        bool exists = false;
        try {
            exists = state_->probe(path);
        } catch (...) {
            exists = false;
        }
        std::vector<Waiter> waiters;
        {
            const std::lock_guard lock(state_->mutex);
            auto slot = state_->inFlight.find(path);
            waiters = std::move(slot->second);
            state_->inFlight.erase(slot);
        }
        for (const Waiter& waiter : waiters)
            if (const auto answers = waiter.answers.lock())
                answers->Answer(waiter.index, exists);
    }
}

size_t FolderExistenceChecks::InFlight() const {
    const std::lock_guard lock(state_->mutex);
    return state_->inFlight.size();
}

FolderExistenceChecks& SharedFolderExistenceChecks() {
    static auto* const checks =
        new std::shared_ptr<FolderExistenceChecks>(FolderExistenceChecks::Create(IsExistingFolder));
    return **checks;
}

FolderExistenceChecks& SharedFileExistenceChecks() {
    static auto* const checks =
        new std::shared_ptr<FolderExistenceChecks>(FolderExistenceChecks::Create(IsExistingFile));
    return **checks;
}
