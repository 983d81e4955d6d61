#pragma once

#include "platform/background_job.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class Clock;

// Waits for a file that could not be read on (a share that went away) to be readable again. Each
// try opens the file and reads its first and last block off the user-interface thread: at once,
// then after 1, 2, 4 and 8 s, and every 10 s from there. A try stuck in the file system is not
// repeated until it returns.
class ReadableWait : public QObject {
public:
    explicit ReadableWait(Clock& clock) : clock_(clock) {}

    // Starts waiting for the file (dropping any earlier wait). readable is told once, on this
    // thread, when a try succeeds: atOnce when the first one did (the file was never gone).
    void Wait(const QByteArray& path, std::function<void(bool atOnce)> readable);
    void Stop();
    bool Waiting() const { return !path_.isEmpty(); }

    // Opens the file and reads a block at its start and at its end.
    static bool CanRead(const QByteArray& path);

private:
    void Try(unsigned round, int tries);

    Clock& clock_;
    QByteArray path_;
    std::function<void(bool)> readable_;
    unsigned round_ = 0;
    int tries_ = 0; // tries due so far
    BackgroundJob trying_;
};

// "Waiting for Season 1…": the name of the folder the file lies in, as the owner sees it.
QString WaitingForFolderOf(const QByteArray& path);
