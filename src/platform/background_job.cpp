#include "platform/background_job.h"

#include <QMetaObject>
#include <QtGlobal>

#include <exception>
#include <thread>

void JobControl::Post(std::function<void()> onReceiver) const {
    // Under the lock the receiver cannot be abandoned, so it is alive while the call is queued; a
    // receiver destroyed later takes its queued calls with it.
    const std::lock_guard lock(link_->mutex);
    if (link_->receiver == nullptr)
        return;
    QMetaObject::invokeMethod(
        link_->receiver,
        [link = link_, onReceiver = std::move(onReceiver)] {
            if (!link->abandoned)
                onReceiver();
        },
        Qt::QueuedConnection);
}

BackgroundJob::BackgroundJob(QObject* receiver) : link_(std::make_shared<JobControl::Link>()) {
    link_->receiver = receiver;
}

std::pair<BackgroundJob, JobControl> BackgroundJob::Open(QObject* receiver) {
    BackgroundJob job(receiver);
    JobControl control(job.link_);
    return {std::move(job), std::move(control)};
}

BackgroundJob& BackgroundJob::operator=(BackgroundJob&& other) noexcept {
    if (this != &other) {
        Abandon();
        link_ = std::exchange(other.link_, nullptr);
    }
    return *this;
}

void BackgroundJob::Abandon() {
    if (!link_)
        return;
    {
        const std::lock_guard lock(link_->mutex);
        link_->abandoned = true;
        link_->receiver = nullptr;
    }
    link_.reset();
}

namespace {
std::atomic<int> workersRunning{0};
} // namespace

int BackgroundJob::WorkersRunning() {
    return workersRunning.load();
}

void BackgroundJob::RunDetached(std::function<void()> work) {
    ++workersRunning;
    try {
        std::thread([work = std::move(work)] {
            try {
                work();
            } catch (const std::exception& error) {
                // Nobody is left to tell: the job simply never answers.
                qWarning("background work failed: %s", error.what());
            } catch (...) {
                qWarning("background work failed");
            }
            --workersRunning;
        }).detach();
    } catch (...) {
        --workersRunning; // no thread could be started
        throw;
    }
}
