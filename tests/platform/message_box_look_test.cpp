#include "platform/message_box.h"

#include "screen_look.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

namespace {
// A message of a library with a path in it that has no blank to break at, as the store and the
// temp folder give.
QString PathMessage() {
    return QStringLiteral(
        "ファイル \"/home/owner/.config/couchframe/a-very-long-folder-name-"
        "that-goes-on-and-on/another-one-below-it/settings.db-journal\". "
        "Operation not permitted を作成できません\n\nNothing was saved. The "
        "settings stay open: press OK to try again, or キャンセル to leave them.");
}

class MessageBoxLook : public ::testing::TestWithParam<QSize> {
protected:
    void SetUp() override {
        if (!screen.Applied())
            GTEST_SKIP() << "the screen size can be set on the offscreen platform only";
    }

    // Text a fortieth of the screen high or more, all of it inside the box, the box on the screen
    // and at least half its height, OK below the text.
    void ExpectFits(MessageBoxDialog& box) {
        const int height = GetParam().height();
        EXPECT_GE(box.TextArea()->fontInfo().pixelSize() * 40, height);
        EXPECT_GE(box.OkButton()->fontInfo().pixelSize() * 40, height);
        EXPECT_GE(box.height() * 2, height);
        EXPECT_TRUE(QRect(QPoint(), GetParam()).contains(box.frameGeometry()));
        EXPECT_LE(box.TextHeight(), box.TextArea()->height());
        EXPECT_TRUE(box.rect().contains(box.TextArea()->geometry()));
        EXPECT_TRUE(box.rect().contains(box.OkButton()->geometry()));
        EXPECT_LE(box.TextArea()->geometry().bottom(), box.OkButton()->y());
    }

    const ScreenSizeScope screen{GetParam()};
};
} // namespace

TEST_P(MessageBoxLook, ALongPathWrapsInsideTheBox) {
    MessageBoxDialog box(MessageKind::Error, PathMessage(), nullptr);
    box.show();
    ExpectFits(box);
    // Wrapped over several lines rather than cut at the edge.
    EXPECT_GE(box.TextHeight(), 3 * QFontMetrics(box.TextArea()->font()).height());
}

TEST_P(MessageBoxLook, AMessageTooLongForTheScreenStillFitsInReadableText) {
    QString text;
    for (int line = 0; line < 12; ++line)
        text += QStringLiteral("Line %1 of a message that a library gave at length.\n").arg(line);
    MessageBoxDialog box(MessageKind::Warning, text, nullptr);
    box.show();
    ExpectFits(box);
}

TEST_P(MessageBoxLook, ARepeatCountedInTheOpenBoxIsLaidOutAgain) {
    MessageBoxDialog box(MessageKind::Error, QStringLiteral("short"), nullptr);
    box.show();
    box.SetText(PathMessage());
    ExpectFits(box);
}

INSTANTIATE_TEST_SUITE_P(Screens, MessageBoxLook, ::testing::ValuesIn(kLookScreenSizes),
                         ScreenSizeName);
