#include "viewer/picture_prefetch.h"

#include "platform/background_job.h"
#include "platform/error.h"
#include "spi/spibmp.h"
#include "viewer/picture_file.h"
#include "viewer/picture_fit.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

struct PicturePrefetch::Job {
    Job(QByteArray path, QSize area, const TSPIs* plugins)
        : path(std::move(path)), area(area), plugins(plugins) {}
    const QByteArray path;
    const QSize area;
    const TSPIs* const plugins;
    std::atomic<bool> dropped{false};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    QImage picture;
};

PicturePrefetch::~PicturePrefetch() {
    Drop();
    // Decodes still running would outlive the viewer, and at the program's end the libraries they
    // run in: each dropped one is waited for, all within kEndWaitLimit. A decode that ignores the
    // request to stop (a stalled share) is left to finish on its own.
    const auto deadline = std::chrono::steady_clock::now() + kEndWaitLimit;
    for (const std::shared_ptr<Job>& job : dropped_) {
        std::unique_lock lock(job->mutex);
        job->finished.wait_until(lock, deadline, [&job] { return job->done; });
    }
}

void PicturePrefetch::Start(const QByteArray& path, QSize area) {
    Drop();
    job_ = std::make_shared<Job>(path, area, plugins_);
    decode_ = BackgroundJob::Start(
        &inbox_,
        [job = job_](const JobControl&) {
            Decode(job);
            return true;
        },
        [this](bool) {
            if (const std::function<void()> then = std::exchange(whenDone_, nullptr))
                then();
        });
}

void PicturePrefetch::Decode(const std::shared_ptr<Job>& job) {
    QImage picture;
    try {
        TSPIBitmap bitmap;
        bitmap.FitArea = job->area;
        bitmap.Host = job->plugins;
        bitmap.OnProgress = [&job](TGraphic*, TProgressStage, uint8_t, bool, const QRect&,
                                   const QString&) {
            if (job->dropped)
                throw EAbort();
        };
        if (!job->dropped)
            LoadPictureFile(bitmap, job->path);
        if (!job->dropped)
            picture = FittedCanvas(bitmap.Image(), job->area);
    } catch (...) {
        // The step to this picture decodes it again and reports why it cannot be shown.
        picture = QImage();
    }
    const std::lock_guard lock(job->mutex);
    job->picture = std::move(picture);
    job->done = true;
    job->finished.notify_all();
}

bool PicturePrefetch::Pending(const QByteArray& path, QSize area) const {
    if (!job_ || job_->path != path || job_->area != area)
        return false;
    const std::lock_guard lock(job_->mutex);
    return !job_->done;
}

void PicturePrefetch::WhenDone(std::function<void()> then) {
    if (job_)
        whenDone_ = std::move(then);
}

QImage PicturePrefetch::Take(const QByteArray& path, QSize area) {
    const std::shared_ptr<Job> job = std::exchange(job_, nullptr);
    if (!job)
        return {};
    {
        const std::lock_guard lock(job->mutex);
        if (job->path == path && job->area == area && job->done) {
            Forget();
            return std::move(job->picture);
        }
    }
    Dismiss(job);
    return {};
}

void PicturePrefetch::Drop() {
    if (job_)
        Dismiss(std::exchange(job_, nullptr));
}

void PicturePrefetch::Forget() {
    decode_.Abandon();
    whenDone_ = nullptr;
}

void PicturePrefetch::Dismiss(std::shared_ptr<Job> job) {
    Forget();
    job->dropped = true;
    std::erase_if(dropped_, [](const std::shared_ptr<Job>& earlier) {
        const std::lock_guard lock(earlier->mutex);
        return earlier->done;
    });
    dropped_.push_back(std::move(job));
}

bool PicturePrefetch::Ready() const {
    if (!job_)
        return false;
    const std::lock_guard lock(job_->mutex);
    return job_->done && !job_->picture.isNull();
}
