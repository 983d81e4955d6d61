#include "platform/application.h"
#include "platform/error.h"
#include "platform/message_box.h"
#include "platform/timer.h"

#include "message_capture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts.isEmpty(); }, 5000));
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
QList<MessageBoxDialog*> OpenBoxes() {
    QList<MessageBoxDialog*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<MessageBoxDialog*>(widget); box && box->isVisible())
            boxes.append(box);
    return boxes;
}

void Press(MessageBoxDialog* box) {
    box->OkButton()->click();
}

// Runs the steps one after another inside the event loop of whatever box is open then; each step
// sees the boxes open at its turn. Returns when the last step has run and every box is closed.
void WithBoxes(std::vector<std::function<void(const QList<MessageBoxDialog*>&)>> steps,
               const std::function<void()>& start) {
    size_t next = 0;
    Timer driver;
    driver.onTimer = [&] {
        if (OpenBoxes().isEmpty())
            return;
        if (next >= steps.size()) {
            // A box more than the steps expected: closed, so that the test ends and fails.
            ADD_FAILURE() << "unexpected box: " << OpenBoxes().first()->Text().toStdString();
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
    WithBoxes({[&](const QList<MessageBoxDialog*>& boxes) {
                   ASSERT_EQ(boxes.size(), 1);
                   // Raised while the box is open, as a player's events and timers do: no second
                   // box.
                   RunReportingErrors([] { throw AppError(QStringLiteral("first")); });
                   RunReportingErrors([] { throw AppError(QStringLiteral("second")); });
                   show("first");
                   show("second");
                   EXPECT_EQ(OpenBoxes().size(), 1);
                   EXPECT_EQ(boxes[0]->Text(), QStringLiteral("first\n\n(3 times)"));
               },
               [&](const QList<MessageBoxDialog*>& boxes) {
                   ASSERT_EQ(boxes.size(), 1);
                   shown << boxes[0]->Text();
                   Press(boxes[0]);
               },
               [&](const QList<MessageBoxDialog*>& boxes) {
                   // The waiting message, its repeat counted, once the first box has closed.
                   ASSERT_EQ(boxes.size(), 1);
                   shown << boxes[0]->Text();
                   Press(boxes[0]);
               }},
              [&] { show("first"); });
    EXPECT_EQ(shown, (QStringList{"first\n\n(3 times)", "second\n\n(2 times)"}));
    EXPECT_TRUE(OpenBoxes().isEmpty());

    // Closed is closed: the same message later opens a box of its own again.
    WithBoxes({[&](const QList<MessageBoxDialog*>& boxes) {
                  ASSERT_EQ(boxes.size(), 1);
                  EXPECT_EQ(boxes[0]->Text(), QStringLiteral("first"));
                  Press(boxes[0]);
              }},
              [&] { show("first"); });
}

TEST(MessageBoxTest, TextIsNeverMarkupAndTheBoxStaysOnTop) {
    const QString text = QStringLiteral("<b>\"a&b\"</b> cannot");
    WithBoxes({[&](const QList<MessageBoxDialog*>& boxes) {
                  ASSERT_EQ(boxes.size(), 1);
                  EXPECT_EQ(boxes[0]->Text(), text);
                  EXPECT_EQ(boxes[0]->TextArea()->accessibleName(), text);
                  EXPECT_TRUE(boxes[0]->windowFlags() & Qt::WindowStaysOnTopHint);
                  EXPECT_EQ(boxes[0]->focusWidget(), boxes[0]->OkButton());
                  Press(boxes[0]);
              }},
              [&] { ShowMessage(MessageKind::Warning, text); });
}

TEST(MessageBoxTest, EnterEscAndTheRemotesBackCloseIt) {
    for (const int key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Back, Qt::Key_Close}) {
        bool shown = false;
        WithBoxes({[&](const QList<MessageBoxDialog*>& boxes) {
                      ASSERT_EQ(boxes.size(), 1);
                      shown = true;
                      QTest::sendKeyEvent(QTest::Click, boxes[0]->OkButton(),
                                          static_cast<Qt::Key>(key), QString(), Qt::NoModifier);
                      if (boxes[0]->isVisible()) {
                          ADD_FAILURE() << "key " << key << " left the box open";
                          Press(boxes[0]);
                      }
                  }},
                  [] { ShowMessage(MessageKind::Information, QStringLiteral("done")); });
        EXPECT_TRUE(shown);
    }
}
