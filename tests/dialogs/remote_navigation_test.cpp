#include "dialog_test_support.h"
#include "dialogs/config.h"
#include "dialogs/ellips_ed.h"
#include "dialogs/folder.h"
#include "dialogs/spin_edit.h"
#include "platform/focus_input.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {
// A key as a remote's kernel driver hands it to the program: to whatever has the focus.
void Remote(int key) {
    PressKeyAtFocus(key, false);
}

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* window = QApplication::activeWindow();
    ASSERT_NE(window, nullptr);
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    const QString text = key >= Qt::Key_0 && key <= Qt::Key_9 ? QString(QChar(key)) : QString();
    QTest::sendKeyEvent(QTest::Click, target, static_cast<Qt::Key>(key), text, modifiers);
}

class SettingsByRemote : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(form)); }

    QWidget* Focused() const { return form.focusWidget(); }
    QTabBar* Tabs() const { return form.PC1->tabBar(); }

    TConfig_Form form;
};
} // namespace

TEST_F(SettingsByRemote, ArrowsWalkTheFieldsAndTheTabsWithoutWrapping) {
    Tabs()->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), form.ED01);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), form.SE01);
    // Up and Down in the number field leave it rather than step its value.
    const int delay = form.SE01->value();
    Key(Qt::Key_Up);
    EXPECT_EQ(Focused(), form.ED01);
    EXPECT_EQ(form.SE01->value(), delay);
    Key(Qt::Key_Up);
    EXPECT_EQ(Focused(), Tabs());
    // Up from the first control stays there.
    Key(Qt::Key_Up);
    EXPECT_EQ(Focused(), Tabs());
    // Left and Right on the tab bar change tabs; Down enters the page shown.
    Key(Qt::Key_Right);
    EXPECT_EQ(form.PC1->currentWidget(), form.TabSheet2);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), form.ED101);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), form.LV1);
}

TEST_F(SettingsByRemote, ListRowsFirstThenTheNextField) {
    form.AddFolderRow(1, {QStringLiteral("a"), QStringLiteral("/a"), QStringLiteral("Off")});
    form.AddFolderRow(1, {QStringLiteral("b"), QStringLiteral("/b"), QStringLiteral("Off")});
    form.PC1->setCurrentWidget(form.TabSheet2);
    form.LV1->setFocus(Qt::TabFocusReason);
    form.LV1->setCurrentItem(form.LV1->topLevelItem(0));
    Key(Qt::Key_Down);
    EXPECT_EQ(form.LV1->currentItem(), form.LV1->topLevelItem(1));
    EXPECT_EQ(Focused(), form.LV1);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), form.Button1);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focused(), form.Button2);
    Key(Qt::Key_Left);
    Key(Qt::Key_Up);
    EXPECT_EQ(Focused(), form.LV1);
    Key(Qt::Key_Up);
    EXPECT_EQ(form.LV1->currentItem(), form.LV1->topLevelItem(0));
    Key(Qt::Key_Up);
    EXPECT_EQ(Focused(), form.ED102);
}

TEST_F(SettingsByRemote, DigitsFromTheRemoteTheKeypadAndTheDigitRow) {
    form.ED01->clear();
    form.ED01->setFocus(Qt::TabFocusReason);
    Remote(Qt::Key_8);
    Key(Qt::Key_1, Qt::KeypadModifier);
    Key(Qt::Key_5);
    EXPECT_EQ(form.ED01->text(), QStringLiteral("815"));
    // Left and Right move the cursor inside the text and leave the field from its ends.
    Key(Qt::Key_Left);
    EXPECT_EQ(Focused(), form.ED01);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focused(), form.SE01);
    // Entering the number field selects it, so the digits replace the value.
    Remote(Qt::Key_3);
    Key(Qt::Key_0, Qt::KeypadModifier);
    EXPECT_EQ(form.SE01->value(), 30);

    form.PC1->setCurrentWidget(form.TabSheet3);
    form.ED201->setFocus(Qt::TabFocusReason);
    for (int key : {Qt::Key_4, Qt::Key_2})
        Remote(key);
    EXPECT_EQ(form.UnlockCode(2), QStringLiteral("42"));
}

TEST_F(SettingsByRemote, OkPressesTheFocusedButtonAndBackCancels) {
    form.Button5->setFocus(Qt::TabFocusReason);
    Remote(Qt::Key_Return);
    EXPECT_EQ(form.result(), mrCancel);

    TConfig_Form again;
    ASSERT_TRUE(ShowActive(again));
    again.SetExitCode(QStringLiteral("1234"));
    again.ED01->setFocus(Qt::TabFocusReason);
    Remote(Qt::Key_Back);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(again.result(), mrCancel);
}

TEST(FolderDialogByRemote, OkTurnsTheLockAndBackCancels) {
    TFolder_Form form;
    ASSERT_TRUE(ShowActive(form));
    form.ED01->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Down);
    EXPECT_EQ(form.focusWidget(), form.EE01);
    Key(Qt::Key_Down);
    EXPECT_EQ(form.focusWidget(), form.CHB01);
    Remote(Qt::Key_Return);
    EXPECT_TRUE(form.CHB01->isChecked());
    EXPECT_TRUE(form.isVisible());
    // The remote's Back button (KEY_EXIT, X11's XF86Close) cancels; Esc still does not.
    Key(Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    Key(Qt::Key_Close);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), mrCancel);
}
