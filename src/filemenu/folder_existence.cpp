#include "filemenu/folder_existence.h"

#include <deque>
#include <map>
#include <mutex>
#include <sys/stat.h>

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

// A request that waits for one path's answer.
struct Waiter {
    JobControl control;
    std::shared_ptr<const ExistenceAnswered> answered;
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

BackgroundJob FolderExistenceChecks::Ask(QObject* receiver, const std::vector<QByteArray>& paths,
                                         ExistenceAnswered answered) {
    auto [job, control] = BackgroundJob::Open(receiver);
    const auto shared = std::make_shared<const ExistenceAnswered>(std::move(answered));
    size_t newWorkers = 0;
    {
        const std::lock_guard lock(state_->mutex);
        for (size_t i = 0; i < paths.size(); ++i) {
            auto [slot, added] = state_->inFlight.try_emplace(paths[i]);
            slot->second.push_back({control, shared, i});
            if (added)
                state_->queue.push_back(paths[i]);
        }
        while (state_->workers < kMaxWorkers && state_->workers < state_->queue.size()) {
            ++state_->workers;
            ++newWorkers;
        }
    }
    for (size_t w = 0; w < newWorkers; ++w)
        BackgroundJob::RunDetached([self = shared_from_this()] { self->Work(); });
    return std::move(job);
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
            waiter.control.Post([answered = waiter.answered, index = waiter.index, exists] {
                (*answered)(index, exists);
            });
    }
}

size_t FolderExistenceChecks::InFlight() const {
    const std::lock_guard lock(state_->mutex);
    return state_->inFlight.size();
}
