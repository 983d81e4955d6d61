#pragma once

#include "platform/background_job.h"

#include <QCoreApplication>
#include <QTest>

// Waits, handling events, until every background worker has ended, then delivers what they
// posted: afterwards nothing more can arrive from them.
inline bool WaitForWorkersToEnd(int timeoutMs = 30000) {
    const bool ended =
        QTest::qWaitFor([] { return BackgroundJob::WorkersRunning() == 0; }, timeoutMs);
    QCoreApplication::processEvents();
    return ended;
}
