#pragma once

#include <QObject>

#include <chrono>
#include <functional>

// Where the program's waits and deadlines take their time from, handed to whoever needs it, so
// that tests can move time by hand instead of sleeping.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
    // Calls then on context's thread once delay has passed, unless context is destroyed first.
    virtual void CallAfter(std::chrono::milliseconds delay, QObject* context,
                           std::function<void()> then) = 0;
};

// The real clock: std::chrono::steady_clock and Qt's timers.
class SteadyClock final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void CallAfter(std::chrono::milliseconds delay, QObject* context,
                   std::function<void()> then) override;
};
