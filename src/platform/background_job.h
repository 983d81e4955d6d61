#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

// The one way work leaves the UI thread: a job runs on a detached thread of its own and hands its
// result (and any interim reports) to a receiver as queued calls on the receiver's thread. Dropping
// the job abandons it: nothing of it arrives afterwards. A worker stuck in a system call (a share
// that stopped answering) is neither waited for nor stopped; it ends whenever the call returns and
// its result is thrown away, so neither the screen nor the program's exit ever waits for a share.
class JobControl {
public:
    // Shared by the job's handle and its worker.
    struct Link {
        std::mutex mutex;
        QObject* receiver = nullptr; // null once abandoned
        std::atomic<bool> abandoned{false};
        bool delivered = false; // touched on the receiver's thread only
    };

    explicit JobControl(std::shared_ptr<Link> link) : link_(std::move(link)) {}

    // Whether the job was dropped: long work may stop early.
    bool Abandoned() const { return link_->abandoned.load(std::memory_order_relaxed); }
    // Runs onReceiver on the receiver's thread unless the job is abandoned before it gets there.
    void Post(std::function<void()> onReceiver) const;

private:
    std::shared_ptr<Link> link_;
};

class BackgroundJob {
public:
    BackgroundJob() = default;
    ~BackgroundJob() { Abandon(); }
    BackgroundJob(BackgroundJob&& other) noexcept : link_(std::exchange(other.link_, nullptr)) {}
    BackgroundJob& operator=(BackgroundJob&& other) noexcept;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Runs work(control) on a worker and then done(result) on receiver's thread. The work must
    // not throw; the receiver must outlive the job or abandon it first (a member of the receiver
    // does both).
    template <typename Work, typename Done>
    static BackgroundJob Start(QObject* receiver, Work work, Done done) {
        BackgroundJob job(receiver);
        const JobControl control(job.link_);
        RunDetached(
            [control, link = job.link_, work = std::move(work), done = std::move(done)]() mutable {
                auto result = work(control);
                control.Post([link, result = std::move(result), done = std::move(done)]() mutable {
                    link->delivered = true;
                    done(std::move(result));
                });
            });
        return job;
    }

    // A job whose work runs elsewhere (a pool shared by many requests): the control reports to
    // receiver for as long as the job is held.
    static std::pair<BackgroundJob, JobControl> Open(QObject* receiver);

    // Work whose end nobody waits for (letting go of a resource that may block).
    static void RunDetached(std::function<void()> work);
    // How many workers are running now, stuck ones included.
    static int WorkersRunning();

    void Abandon();
    // Started, not abandoned, and its result not handed over yet.
    bool Running() const { return link_ && !link_->delivered && !link_->abandoned; }

private:
    explicit BackgroundJob(QObject* receiver);

    std::shared_ptr<JobControl::Link> link_;
};
