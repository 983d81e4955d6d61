#pragma once

#include "platform/clock.h"

#include <QPointer>

#include <algorithm>
#include <vector>

// A clock that moves only when the test says so: Advance runs every call that falls due, in the
// order of their times, on the test's thread.
class ManualClock final : public Clock {
public:
    TimePoint Now() const override { return now_; }
    void CallAfter(std::chrono::milliseconds delay, QObject* context,
                   std::function<void()> then) override {
        calls_.push_back({now_ + delay, order_++, context, std::move(then)});
    }

    void Advance(std::chrono::milliseconds by) {
        const TimePoint until = now_ + by;
        for (;;) {
            const auto next = std::min_element(calls_.begin(), calls_.end(), Earlier);
            if (next == calls_.end() || next->due > until)
                break;
            const Call call = std::move(*next);
            calls_.erase(next);
            now_ = std::max(now_, call.due);
            if (call.context)
                call.then();
        }
        now_ = until;
    }
    size_t Pending() const { return calls_.size(); }

private:
    struct Call {
        TimePoint due;
        unsigned order;
        QPointer<QObject> context;
        std::function<void()> then;
    };
    static bool Earlier(const Call& a, const Call& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    }

    TimePoint now_{};
    unsigned order_ = 0;
    std::vector<Call> calls_;
};
