#pragma once

#include "platform/background_job.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class TSPIs;

// The next picture of a slide show, decoded and drawn on a worker thread while the current one is
// on screen, so that the step to it only hands over a finished picture. One picture ahead at most:
// starting another or taking one drops whatever else was prefetched. A dropped decode is asked to
// stop (through the plug-ins' progress calls) and its result thrown away; nothing on the UI thread
// waits for a decode, except the end of the prefetch, for a bounded time.
class PicturePrefetch {
public:
    // plugins: the picture plug-ins to decode with, if any.
    explicit PicturePrefetch(const TSPIs* plugins = nullptr) : plugins_(plugins) {}
    // Drops the prefetch and waits at most kEndWaitLimit for the decodes still running.
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Starts decoding the picture at path (file-system bytes) and drawing it fitted on an area.
    void Start(const QByteArray& path, QSize area);
    // Whether the picture at path is being prefetched for area and its decode still runs.
    bool Pending(const QByteArray& path, QSize area) const;
    // Runs then on this prefetch's thread once the pending decode has ended (once; taking or
    // dropping the prefetch drops it).
    void WhenDone(std::function<void()> then);
    // The picture at path drawn on area if that is what was prefetched and it decoded; a null
    // image otherwise, also while it is still being decoded (the caller decodes it the usual way
    // and reports its failure). The prefetch is used up either way.
    QImage Take(const QByteArray& path, QSize area);
    void Drop();
    // Whether a prefetched picture is finished and waiting.
    bool Ready() const;

    static constexpr std::chrono::seconds kEndWaitLimit{2};

private:
    struct Job;
    static void Decode(const std::shared_ptr<Job>& job);
    // Asks a decode to stop and keeps it until it has.
    void Dismiss(std::shared_ptr<Job> job);
    // Hears no more of the current decode.
    void Forget();

    // Hears the decodes' ends; declared before the job that posts to it.
    const TSPIs* const plugins_;
    QObject inbox_;
    std::shared_ptr<Job> job_;
    BackgroundJob decode_; // of job_
    std::function<void()> whenDone_;
    std::vector<std::shared_ptr<Job>> dropped_; // asked to stop, perhaps still running
};
