#include "dialogs/config.h"
#include "dialogs/folder.h"
#include "platform/message_box.h"
#include "platform/ten_foot.h"

#include "screen_look.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <initializer_list>
#include <memory>

namespace {
// Open dialogs while the screens change under them as a TV's do: each must look exactly as the
// same dialog opened afresh at the new size.
class DialogFollowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screens.Applied())
            GTEST_SKIP() << "screens can be changed at run time on the offscreen platform only";
        screens.Set({QSize(1920, 1080)});
    }

    // Changes the screens and waits until the open dialog has laid itself out again.
    static void ChangeTo(ScreenSetScope& screens, QWidget& dialog, const std::vector<QSize>& to) {
        const QSize before = dialog.size();
        screens.Set(to);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.size() != before; }));
        // What the layout asked its tab widget and lists to do later.
        QCoreApplication::processEvents();
    }

    // Whether the dialog places the widget itself: not the parts of a list or a spin box, which
    // place their own, nor a tab's page, laid out only when its tab is shown; nor the focus frame,
    // which stands where the focus is.
    static bool PlacedByTheDialog(const QWidget* widget, const QWidget* dialog) {
        if (qobject_cast<const FocusFrame*>(widget) ||
            qobject_cast<const QStackedWidget*>(widget->parentWidget()))
            return false;
        for (const QWidget* above = widget->parentWidget(); above != dialog;
             above = above->parentWidget()) {
            if (qobject_cast<const QAbstractScrollArea*>(above) ||
                qobject_cast<const QAbstractSpinBox*>(above) || qobject_cast<const QTabBar*>(above))
                return false;
        }
        return true;
    }

    // Everything the two dialogs place in the same place at the same size and in the same font.
    static void ExpectAlike(QWidget& followed, QWidget& fresh) {
        EXPECT_EQ(followed.geometry(), fresh.geometry());
        EXPECT_EQ(followed.font().pixelSize(), fresh.font().pixelSize());
        const QList<QWidget*> mine = followed.findChildren<QWidget*>();
        const QList<QWidget*> theirs = fresh.findChildren<QWidget*>();
        ASSERT_EQ(mine.size(), theirs.size());
        for (qsizetype i = 0; i < mine.size(); ++i) {
            SCOPED_TRACE(mine[i]->metaObject()->className());
            if (!PlacedByTheDialog(mine[i], &followed))
                continue;
            EXPECT_EQ(mine[i]->geometry(), theirs[i]->geometry());
            EXPECT_EQ(mine[i]->font().pixelSize(), theirs[i]->font().pixelSize());
        }
    }

    // A dialog open while the screens change to each size, against one made afresh there; check
    // adds what only that dialog has.
    template <typename Dialog, typename Make, typename Check>
    void ExpectEachSizeLikeAFreshOne(std::initializer_list<QSize> sizes, Make make, Check check) {
        const std::unique_ptr<Dialog> followed = make();
        followed->show();
        for (const QSize size : sizes) {
            SCOPED_TRACE(size.height());
            ChangeTo(screens, *followed, {size});
            const std::unique_ptr<Dialog> fresh = make();
            fresh->show();
            ExpectAlike(*followed, *fresh);
            check(*followed, *fresh, size);
        }
    }

    ScreenSetScope screens;
};

int IndicatorSize(const QCheckBox* box) {
    return box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box);
}

TEST_F(DialogFollowTest, TheSettingsDialogLooksAsIfOpenedAtEachNewSize) {
    ExpectEachSizeLikeAFreshOne<TConfig_Form>(
        {QSize(3840, 2160), QSize(1366, 768)}, [] { return std::make_unique<TConfig_Form>(); },
        [](const TConfig_Form& followed, const TConfig_Form& fresh, QSize size) {
            EXPECT_EQ(followed.LV2->columnWidth(1), fresh.LV2->columnWidth(1));
            EXPECT_EQ(IndicatorSize(followed.CHB101), IndicatorSize(fresh.CHB101));
            EXPECT_EQ(IndicatorSize(followed.CHB101), DialogUnits(size.height())(12));
        });
}

TEST_F(DialogFollowTest, TheFolderDialogLooksAsIfOpenedAtEachNewSize) {
    ExpectEachSizeLikeAFreshOne<TFolder_Form>(
        {QSize(3840, 2160), QSize(1280, 720)}, [] { return std::make_unique<TFolder_Form>(); },
        [](const TFolder_Form& followed, const TFolder_Form& fresh, QSize) {
            EXPECT_EQ(IndicatorSize(followed.CHB01), IndicatorSize(fresh.CHB01));
        });
}

TEST_F(DialogFollowTest, AMessageBoxLooksAsIfOpenedAtEachNewSize) {
    ExpectEachSizeLikeAFreshOne<MessageBoxDialog>(
        {QSize(3840, 2160), QSize(1366, 768)},
        [] {
            return std::make_unique<MessageBoxDialog>(
                MessageKind::Warning, QStringLiteral("The folder /media/nas/films cannot be read."),
                nullptr);
        },
        [](const MessageBoxDialog&, const MessageBoxDialog&, QSize) {});
}

TEST_F(DialogFollowTest, WhileNoScreenIsUsableADialogStaysAsItWasUntilOneIsBack) {
    TConfig_Form followed;
    followed.show();
    const QRect before = followed.geometry();
    const QRect okBefore = followed.Button4->geometry();
    for (const std::vector<QSize>& none : {std::vector<QSize>{}, {QSize(64, 64)}}) {
        screens.Set(none);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(followed.geometry().size(), before.size());
        EXPECT_EQ(followed.Button4->geometry(), okBefore);
    }
    ChangeTo(screens, followed, {QSize(1280, 720)});
    EXPECT_TRUE(followed.isVisible());
    TConfig_Form fresh;
    fresh.show();
    ExpectAlike(followed, fresh);
}

// The settings dialog runs its own event loop over the program's window: a TV switched off and on
// must neither end it nor leave it hidden.
TEST_F(DialogFollowTest, AModalDialogOutlivesATvSwitchedOffAndIsShownAgainWhenItIsBack) {
    TFolder_Form dialog;
    bool shownAgain = false;
    QTimer::singleShot(0, &dialog, [&] {
        for (const std::vector<QSize>& none : {std::vector<QSize>{}, {QSize(64, 64)}}) {
            screens.Set(none);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        }
        screens.Set({QSize(1366, 768)});
        shownAgain = QTest::qWaitFor([&] { return dialog.isVisible(); });
        dialog.done(mrCancel);
    });
    EXPECT_EQ(dialog.exec(), mrCancel);
    EXPECT_TRUE(shownAgain);
}
} // namespace
