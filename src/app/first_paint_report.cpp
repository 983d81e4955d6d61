#include "app/first_paint_report.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {
// Watches every paint event until the first one of the window or of a child of it; the report
// itself is queued so it runs after the whole window has been painted and flushed.
class FirstPaintFilter : public QObject {
public:
    explicit FirstPaintFilter(QWidget* window) : QObject(window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_ && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            reported_ = true;
            QMetaObject::invokeMethod(this, &FirstPaintFilter::Report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Report() {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(stderr, "couchframe-first-paint %lld.%09ld\n",
                     static_cast<long long>(now.tv_sec), now.tv_nsec);
        std::fflush(stderr);
        QCoreApplication::instance()->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
    bool reported_ = false;
};
} // namespace

void ReportFirstPaintWhenAsked(QWidget* window) {
    if (qEnvironmentVariable("COUCHFRAME_REPORT_FIRST_PAINT") != QLatin1String("1"))
        return;
    QCoreApplication::instance()->installEventFilter(new FirstPaintFilter(window));
}
