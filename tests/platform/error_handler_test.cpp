#include "platform/application.h"
#include "platform/error.h"
#include "platform/message_box.h"
#include "platform/timer.h"

#include "message_capture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

TEST(TopLevelErrorHandler, ShowsTheMessageAndTheProgramGoesOn) {
    MessageCapture messages;
    Timer timer;
    int runs = 0;
    timer.onTimer = [&] {
        ++runs;
        timer.setEnabled(false);
        throw AppError(QStringLiteral("'Volume' の設定に失敗しました"));
    };
    timer.setInterval(1);
    timer.setEnabled(true);
    QTest::qWait(30);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QStringLiteral("'Volume' の設定に失敗しました"));
    EXPECT_EQ(messages.kinds[0], MessageKind::Error);
}

TEST(TopLevelErrorHandler, AbortIsSilent) {
    MessageCapture messages;
    RunReportingErrors([] { throw EAbort(); });
    EXPECT_TRUE(messages.texts.isEmpty());
}

namespace {
// The message boxes open now.
QList<QMessageBox*> OpenBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            boxes.append(box);
    return boxes;
}

void Press(QMessageBox* box) {
    box->button(QMessageBox::Ok)->click();
}

// Runs the steps one after another inside the event loop of whatever box is open then; each step
// sees the boxes open at its turn. Returns when the last step has run and every box is closed.
void WithBoxes(std::vector<std::function<void(const QList<QMessageBox*>&)>> steps,
               const std::function<void()>& start) {
    size_t next = 0;
    Timer driver;
    driver.onTimer = [&] {
        if (OpenBoxes().isEmpty())
            return;
        if (next >= steps.size()) {
            // A box more than the steps expected: closed, so that the test ends and fails.
            ADD_FAILURE() << "unexpected box: " << OpenBoxes().first()->text().toStdString();
            Press(OpenBoxes().first());
            return;
        }
        // A step may open a nested loop itself; it runs only once.
        const size_t step = next++;
        steps[step](OpenBoxes());
    };
    driver.setInterval(20);
    driver.setEnabled(true);
    start();
    driver.setEnabled(false);
    EXPECT_EQ(next, steps.size()) << "steps left undone";
}

} // namespace

TEST(MessageBoxTest, OneBoxAtATimeRepeatsFoldedOthersWaitTheirTurn) {
    QStringList shown;
    auto show = [](const char* text) { ShowMessage(MessageKind::Error, QString::fromUtf8(text)); };
    WithBoxes({[&](const QList<QMessageBox*>& boxes) {
                   ASSERT_EQ(boxes.size(), 1);
                   // Raised while the box is open, as a player's events and timers do: no second
                   // box.
                   RunReportingErrors([] { throw AppError(QStringLiteral("first")); });
                   RunReportingErrors([] { throw AppError(QStringLiteral("second")); });
                   show("first");
                   show("second");
                   EXPECT_EQ(OpenBoxes().size(), 1);
                   EXPECT_EQ(boxes[0]->text(), QStringLiteral("first\n\n(3 times)"));
               },
               [&](const QList<QMessageBox*>& boxes) {
                   ASSERT_EQ(boxes.size(), 1);
                   shown << boxes[0]->text();
                   Press(boxes[0]);
               },
               [&](const QList<QMessageBox*>& boxes) {
                   // The waiting message, its repeat counted, once the first box has closed.
                   ASSERT_EQ(boxes.size(), 1);
                   shown << boxes[0]->text();
                   Press(boxes[0]);
               }},
              [&] { show("first"); });
    EXPECT_EQ(shown, (QStringList{"first\n\n(3 times)", "second\n\n(2 times)"}));
    EXPECT_TRUE(OpenBoxes().isEmpty());

    // Closed is closed: the same message later opens a box of its own again.
    WithBoxes({[&](const QList<QMessageBox*>& boxes) {
                  ASSERT_EQ(boxes.size(), 1);
                  EXPECT_EQ(boxes[0]->text(), QStringLiteral("first"));
                  Press(boxes[0]);
              }},
              [&] { show("first"); });
}

TEST(MessageBoxTest, TextIsReadableFromTheSofaAndNeverMarkup) {
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    WithBoxes(
        {[&](const QList<QMessageBox*>& boxes) {
            ASSERT_EQ(boxes.size(), 1);
            auto* label = boxes[0]->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            EXPECT_GE(label->fontInfo().pixelSize() * 40, screenHeight);
            // Wide enough for a path on a line, not a few words.
            EXPECT_GE(label->width() * 2, QGuiApplication::primaryScreen()->geometry().width());
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            EXPECT_GE(boxes[0]->button(QMessageBox::Ok)->fontInfo().pixelSize() * 40, screenHeight);
            EXPECT_TRUE(boxes[0]->windowFlags() & Qt::WindowStaysOnTopHint);
            Press(boxes[0]);
        }},
        [] { ShowMessage(MessageKind::Warning, QStringLiteral("<b>\"a&b\"</b> cannot")); });
}
