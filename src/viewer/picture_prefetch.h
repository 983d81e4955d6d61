#pragma once

#include "platform/background_job.h"
#include "viewer/picture_file.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TSPIs;

// What the decode of a picture came to.
struct DecodedPicture {
    // Drawn fitted on the area; null when it could not be decoded or the decode was stopped.
    QImage picture;
    // Why it could not be decoded; empty when it was, or when the decode was stopped.
    QString failure;
};

// A slide show's pictures, decoded and drawn on a worker thread ahead of their showing: the next
// one while the current one is on screen, so that the step to it only hands over a finished
// picture, and the one to show when it was not decoded ahead, so that a picture on a share that
// stalls holds its showing, never a key. One picture at a time: starting another or taking one
// drops whatever else was started. A dropped decode is asked to stop (through the plug-ins'
// progress calls) and its result thrown away; nothing on the UI thread waits for a decode, except
// the end of the prefetch, for a bounded time.
class PicturePrefetch {
public:
    // plugins: the picture plug-ins to decode with, if any; load: how a picture is decoded.
    explicit PicturePrefetch(const TSPIs* plugins = nullptr, PictureLoader load = LoadPictureFile)
        : plugins_(plugins), load_(std::move(load)) {}
    // Drops the prefetch and waits at most kEndWaitLimit for the decodes still running.
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Starts decoding the picture at path (file-system bytes) and drawing it fitted on an area.
    void Start(const QByteArray& path, QSize area);
    // Whether the picture at path was started for area and not taken yet, decoded or not.
    bool Holds(const QByteArray& path, QSize area) const;
    // Whether the picture at path is being prefetched for area and its decode still runs.
    bool Pending(const QByteArray& path, QSize area) const;
    // Runs then on this prefetch's thread once the pending decode has ended (once; taking or
    // dropping the prefetch drops it).
    void WhenDone(std::function<void()> then);
    // What the decode of the picture at path for area came to, if that is what was started and
    // it has ended; nothing otherwise. The prefetch is used up either way.
    std::optional<DecodedPicture> Take(const QByteArray& path, QSize area);
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
    const PictureLoader load_;
    QObject inbox_;
    std::shared_ptr<Job> job_;
    BackgroundJob decode_; // of job_
    std::function<void()> whenDone_;
    std::vector<std::shared_ptr<Job>> dropped_; // asked to stop, perhaps still running
};
