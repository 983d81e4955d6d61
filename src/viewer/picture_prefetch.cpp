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
    Job(QByteArray path, QSize area, const TSPIs* plugins, PictureLoader load)
        : path(std::move(path)), area(area), plugins(plugins), load(std::move(load)) {}
    const QByteArray path;
    const QSize area;
    const TSPIs* const plugins;
    const PictureLoader load;
    std::atomic<bool> dropped{false};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    DecodedPicture decoded;
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
    job_ = std::make_shared<Job>(path, area, plugins_, load_);
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
    DecodedPicture decoded;
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
            job->load(bitmap, job->path);
        if (!job->dropped)
            decoded.picture = FittedCanvas(bitmap.Image(), job->area);
    } catch (const EAbort&) {
        decoded = {};
    } catch (const AppError& error) {
        decoded = {QImage(), error.message()};
    } catch (const std::exception& error) {
        decoded = {QImage(), QString::fromLocal8Bit(error.what())};
    }
    const std::lock_guard lock(job->mutex);
    job->decoded = std::move(decoded);
    job->done = true;
    job->finished.notify_all();
}

bool PicturePrefetch::Holds(const QByteArray& path, QSize area) const {
    return job_ && job_->path == path && job_->area == area;
}

bool PicturePrefetch::Pending(const QByteArray& path, QSize area) const {
    if (!Holds(path, area))
        return false;
    const std::lock_guard lock(job_->mutex);
    return !job_->done;
}

void PicturePrefetch::WhenDone(std::function<void()> then) {
    if (job_)
        whenDone_ = std::move(then);
}

std::optional<DecodedPicture> PicturePrefetch::Take(const QByteArray& path, QSize area) {
    const std::shared_ptr<Job> job = std::exchange(job_, nullptr);
    if (!job)
        return std::nullopt;
    {
        const std::lock_guard lock(job->mutex);
        if (job->path == path && job->area == area && job->done) {
            Forget();
            return std::move(job->decoded);
        }
    }
    Dismiss(job);
    return std::nullopt;
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
    return job_->done && !job_->decoded.picture.isNull();
}
