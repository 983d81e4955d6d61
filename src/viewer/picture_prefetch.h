#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <chrono>
#include <memory>
#include <vector>

// The next picture of a slide show, decoded and drawn on a worker thread while the current one is
// on screen, so that the step to it only hands over a finished picture. One picture ahead at most:
// starting another or taking one drops whatever else was prefetched. A dropped decode is asked to
// stop (through the plug-ins' progress calls) and its result thrown away; stepping
// never waits for it, the end of the prefetch does, for a bounded time.
class PicturePrefetch {
public:
    PicturePrefetch() = default;
    // Drops the prefetch and waits at most kEndWaitLimit for the decodes still running.
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Starts decoding the picture at path (file-system bytes) and drawing it fitted on an area.
    void Start(const QByteArray& path, QSize area);
    // The picture at path drawn on area if that is what was prefetched and it decoded, waiting for
    // its decode if that still runs; a null image otherwise (the caller decodes it the usual way
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

    std::shared_ptr<Job> job_;
    std::vector<std::shared_ptr<Job>> dropped_; // asked to stop, perhaps still running
};
