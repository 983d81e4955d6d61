#include "platform/timer.h"

Timer::Timer(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (onTimer)
            onTimer();
    });
}

void Timer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    rearm();
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    rearm();
}

void Timer::rearm() {
    timer_.stop();
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
}
