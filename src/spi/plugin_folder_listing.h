#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

// The plug-in files of one folder, listed on a worker thread: a folder on a share that does not
// answer holds the start up only until a deadline, and a worker stuck in the file system is left
// behind without anything waiting for it, so quitting is never held up either.
class PluginFolderListing {
public:
    // Starts listing the regular, not hidden files of dir whose names match pattern (letter case
    // ignored, as plug-in masks are written for).
    PluginFolderListing(const QString& dir, const QString& pattern);

    // The names, in the order the file system gives them; none when the listing has not finished
    // by the deadline (it is abandoned then).
    std::optional<QStringList> Wait(std::chrono::steady_clock::time_point deadline);

private:
    struct State;
    std::shared_ptr<State> state_;
};
