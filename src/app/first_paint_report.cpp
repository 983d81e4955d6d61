#include "app/first_paint_report.h"

#include "platform/after_first_paint.h"

#include <QString>

#include <cstdio>
#include <ctime>

void ReportFirstPaintWhenAsked(QWidget* window) {
    if (qEnvironmentVariable("COUCHFRAME_REPORT_FIRST_PAINT") != QLatin1String("1"))
        return;
    AfterFirstPaint(window, [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(stderr, "couchframe-first-paint %lld.%09ld\n",
                     static_cast<long long>(now.tv_sec), now.tv_nsec);
        std::fflush(stderr);
    });
}
