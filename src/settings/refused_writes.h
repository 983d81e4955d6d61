#pragma once

#include <QCoreApplication>
#include <QObject>

#include <chrono>

class Clock;
class SettingsStore;

// The owner's side of writes the settings store refuses for now (locked by another program, disk
// full, read-only): told once, in a message that names what was not saved and why, after the
// handler that wrote has finished (a player closing stops first); what is held is tried again
// every kRetry until the store takes it, and once more as the program ends.
class RefusedWrites : public QObject {
    Q_DECLARE_TR_FUNCTIONS(RefusedWrites)

public:
    static constexpr std::chrono::seconds kRetry{10};
    // While the program runs a write waits no longer than this for another program's lock: the
    // screen must not stall.
    static constexpr std::chrono::milliseconds kLockWait{80};
    // Nobody waits on the screen any more at the end: a lock is waited for this long.
    static constexpr std::chrono::seconds kLastLockWait{2};

    RefusedWrites(SettingsStore& store, Clock& clock);
    ~RefusedWrites() override;
    RefusedWrites(const RefusedWrites&) = delete;
    RefusedWrites& operator=(const RefusedWrites&) = delete;

    // The end of the run: a last try; what is still refused is named on standard error.
    void LastTry();

    // "Not saved: Volume, ShowProgress (the disk is full)."
    static QString NotSaved(const QStringList& what, const QString& why);

private:
    void Refused();
    void TryLater(unsigned round);

    SettingsStore& store_;
    Clock& clock_;
    std::chrono::milliseconds previousLockWait_;
    unsigned round_ = 0;
};
