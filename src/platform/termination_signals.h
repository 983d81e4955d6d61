#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the UI thread: the handler only writes the
// signal's number into a pipe, which the event loop reads. A second signal while the first is
// still being handled ends the process the default way, so a stuck shutdown can still be ended.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal,
                                QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void Arrived();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    bool handling_ = false;
};
