#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

class QDBusPendingCallWatcher;

// The machine's sleep as logind announces it. While the program runs it holds a delay lock
// (Manager.Inhibit "sleep" … "delay": a file descriptor), so that logind waits for it before the
// machine sleeps; aboutToSleep's handlers run, and only then is the lock let go. After the wake
// the lock is taken again and wokeUp told. On a bus without logind, or on none, nothing is said
// and nothing is waited for. One per run, built in main().
class SleepWatch : public QObject {
    Q_OBJECT

public:
    static constexpr char kService[] = "org.freedesktop.login1";
    static constexpr char kPath[] = "/org/freedesktop/login1";
    static constexpr char kManager[] = "org.freedesktop.login1.Manager";

    // On no bus: told only what a caller of PrepareForSleep tells it.
    SleepWatch();
    // The system bus, or a connection that is not connected.
    explicit SleepWatch(QDBusConnection bus);
    ~SleepWatch() override;
    SleepWatch(const SleepWatch&) = delete;
    SleepWatch& operator=(const SleepWatch&) = delete;

    // Whether logind's lock is held now, and whether it has been asked for and not answered yet.
    bool Holding() const { return lock_.isValid(); }
    bool Asking() const { return asking_ != nullptr; }

public slots:
    // logind's PrepareForSleep: true just before the machine sleeps, false once it woke.
    void PrepareForSleep(bool start);

signals:
    // Handlers run on the receiving thread before this returns; the machine waits for them (up to
    // logind's InhibitDelayMaxSec), so they must not wait for anything themselves.
    void aboutToSleep();
    void wokeUp();

private:
    void TakeLock();
    void ReleaseLock();
    void LockAnswered();

    QDBusConnection bus_;
    QDBusPendingCallWatcher* asking_ = nullptr;
    QDBusUnixFileDescriptor lock_;
    bool wanted_ = false; // a lock that arrives now is kept
    bool asleep_ = false;
};
