#include "platform/after_first_paint.h"

#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {
// A window whose paints are logged, so that the order of paint and work can be read.
class LoggingWindow : public QWidget {
public:
    explicit LoggingWindow(std::vector<QString>& log) : log_(log) { resize(200, 100); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        log_.push_back(QStringLiteral("paint"));
        QPainter(this).fillRect(rect(), Qt::blue);
    }

private:
    std::vector<QString>& log_;
};
} // namespace

TEST(AfterFirstPaint, WorkRunsOnceAfterThePaintNotBefore) {
    std::vector<QString> log;
    LoggingWindow window(log);
    AfterFirstPaint(&window, [&log] { log.push_back(QStringLiteral("work")); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.empty()) << "no work before the window is shown and painted";

    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&log] { return !log.empty() && log.back() == "work"; }, 5000));
    EXPECT_EQ(log.front(), QStringLiteral("paint"));

    window.repaint();
    window.hide();
    window.show();
    window.repaint();
    // The work is queued at a paint: whatever a paint queued has run once the queue is served.
    QCoreApplication::processEvents();
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("work")), 1);
}

TEST(AfterFirstPaint, APaintOfAnotherWindowDoesNotCount) {
    std::vector<QString> log;
    LoggingWindow watched(log);
    std::vector<QString> otherLog;
    LoggingWindow other(otherLog);
    bool ran = false;
    AfterFirstPaint(&watched, [&ran] { ran = true; });
    other.show();
    ASSERT_TRUE(QTest::qWaitFor([&otherLog] { return !otherLog.empty(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    // A child's paint is the window's.
    auto* child = new LoggingWindow(log);
    child->setParent(&watched);
    watched.show();
    EXPECT_TRUE(QTest::qWaitFor([&ran] { return ran; }, 5000));
}

TEST(AfterFirstPaint, WorkIsDroppedWithTheWindow) {
    std::vector<QString> log;
    bool ran = false;
    auto window = std::make_unique<LoggingWindow>(log);
    AfterFirstPaint(window.get(), [&ran] { ran = true; });
    window->show();
    // Painted, the work queued, and the window gone before the queue is served.
    window->repaint();
    window.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}
