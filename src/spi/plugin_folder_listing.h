#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

// The plug-in files of one folder, listed by a child process: a folder on a share that does not
// answer holds the start up only until a deadline. A lister stuck in the file system is killed and
// left behind; being a process of its own (a thread could not be), it never keeps the program from
// ending.
class PluginFolderListing {
public:
    // Starts listing the regular, not hidden files of dir whose names match pattern (letter case
    // ignored, as plug-in masks are written for).
    PluginFolderListing(const QString& dir, const QString& pattern);
    ~PluginFolderListing();
    PluginFolderListing(PluginFolderListing&&) noexcept;
    PluginFolderListing& operator=(PluginFolderListing&&) = delete;

    // The names, in the order the file system gives them; none when the listing has not finished
    // by the deadline (it is abandoned then).
    std::optional<QStringList> Wait(std::chrono::steady_clock::time_point deadline);

private:
    QByteArray pattern_;
    int pipe_ = -1;
    int child_ = -1;
};
