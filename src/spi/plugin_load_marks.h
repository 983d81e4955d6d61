#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/stat.h>

// Which plug-in a start was loading when it died. A plug-in that crashes or hangs while it is
// loaded or asked what it is would stop every start; so each load is marked in the user's state
// folder before it begins and the mark is cleared when it ends. A mark that a start never cleared
// names a file that stopped it: later starts skip that very file (same path, same contents) until
// it is replaced.
class PluginLoadMarks {
public:
    // Takes over the mark an earlier start left behind. folder: where the marks are kept.
    explicit PluginLoadMarks(const QString& folder = DefaultFolder());
    ~PluginLoadMarks();
    PluginLoadMarks(const PluginLoadMarks&) = delete;
    PluginLoadMarks& operator=(const PluginLoadMarks&) = delete;

    // $XDG_STATE_HOME/couchframe (default ~/.local/state/couchframe).
    static QString DefaultFolder();

    // Whether an earlier start died while loading this very file.
    bool StoppedAnEarlierStart(const QByteArray& path, const struct stat& status) const;
    // Marks the file as being loaded; End clears the mark.
    void Begin(const QByteArray& path, const struct stat& status);
    void End();

private:
    void SaveStopped() const;

    QString folder_;
    int loadingFd_ = -1;
    QList<QByteArray> stopped_; // one record per file that stopped a start
};
