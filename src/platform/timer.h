#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// A timer with the screens' semantics: it fires every Interval milliseconds while enabled, and an
// interval of 0 or below never fires (a bare QTimer with 0 would fire continuously). Setting the
// interval or enabling it starts the count afresh. Created disabled with an interval of 1000 ms.
class Timer : public QObject {
public:
    explicit Timer(QObject* parent = nullptr);

    int interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // Whether the timer will actually fire (enabled with a positive interval).
    bool isArmed() const { return timer_.isActive(); }

    std::function<void()> onTimer;

private:
    void rearm();

    QTimer timer_;
    int interval_ = 1000;
    bool enabled_ = false;
};
