#include "platform/after_first_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

namespace {
// Watches every paint event until the first one of the widget or of a child of it; the work is
// queued from there, so that it runs once the whole window has been painted and flushed.
class FirstPaintFilter : public QObject {
public:
    FirstPaintFilter(QWidget* window, std::function<void()> work)
        : QObject(window), window_(window), work_(std::move(work)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_ && watched->isWidgetType() &&
            (watched == window_ || window_->isAncestorOf(static_cast<QWidget*>(watched)))) {
            painted_ = true;
            QCoreApplication::instance()->removeEventFilter(this);
            QMetaObject::invokeMethod(this, &FirstPaintFilter::Run, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Run() {
        deleteLater();
        work_();
    }

    QWidget* window_;
    std::function<void()> work_;
    bool painted_ = false;
};
} // namespace

void AfterFirstPaint(QWidget* window, std::function<void()> work) {
    QCoreApplication::instance()->installEventFilter(new FirstPaintFilter(window, std::move(work)));
}
