#include "platform/clock.h"

#include <QTimer>

void SteadyClock::CallAfter(std::chrono::milliseconds delay, QObject* context,
                            std::function<void()> then) {
    QTimer::singleShot(delay, context, std::move(then));
}
