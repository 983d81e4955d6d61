#include "dialog_test_support.h"
#include "dialogs/ellips_ed.h"
#include "platform/fonts.h"

#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// An edit between two plain edits in a dialog whose default button would close it on Enter.
class EllipsesEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.resize(300, 120);
        dialog.setFont(ScreenFont(-12, false));
        before.setGeometry(10, 10, 200, 20);
        edit.setGeometry(10, 40, 221, 20);
        after.setGeometry(10, 70, 200, 20);
        defaultButton.setDefault(true);
        defaultButton.move(220, 90);
        ASSERT_TRUE(ShowActive(dialog));
    }

    QDialog dialog;
    QLineEdit before{&dialog};
    TEllipsesEdit edit{&dialog};
    QLineEdit after{&dialog};
    QPushButton defaultButton{QStringLiteral("OK"), &dialog};
};

TEST_F(EllipsesEditTest, EnterKeepsTheTextSelectsAllAndStaysInTheEdit) {
    edit.setFocus();
    edit.setText(QStringLiteral("/media/films"));
    edit.setCursorPosition(3);
    bool closed = false;
    QObject::connect(&dialog, &QDialog::finished, [&closed] { closed = true; });
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("/media/films"));
    EXPECT_EQ(edit.selectedText(), QStringLiteral("/media/films"));
    EXPECT_FALSE(closed);
    EXPECT_TRUE(dialog.isVisible());
}

struct ButtonCase {
    TEditStyle style;
    bool focused;
    bool shown;
};

void PrintTo(const ButtonCase& c, std::ostream* out) {
    *out << "style " << int(c.style) << (c.focused ? ", focused" : ", not focused");
}

class EllipsesButtonVisibility : public EllipsesEditTest,
                                 public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(EllipsesButtonVisibility, FollowsTheStyleAndTheFocus) {
    const ButtonCase c = GetParam();
    edit.SetEditStyle(c.style);
    (c.focused ? edit : before).setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit.Button()->isVisible(), c.shown);
    if (c.shown) {
        // Inside the border at the right end, and the text is kept clear of it.
        const QRect button = edit.Button()->geometry();
        EXPECT_TRUE(edit.rect().contains(button));
        EXPECT_EQ(button.right(), edit.width() - 3);
        EXPECT_GT(button.width(), 1);
        EXPECT_GE(edit.textMargins().right(), button.width() + 2);
    } else {
        EXPECT_EQ(edit.textMargins().right(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, EllipsesButtonVisibility,
                         ::testing::Values(ButtonCase{esNormal, true, false},
                                           ButtonCase{esNormal, false, false},
                                           ButtonCase{esEllipses, true, true},
                                           ButtonCase{esEllipses, false, false},
                                           ButtonCase{esAlwaysEllipses, true, true},
                                           ButtonCase{esAlwaysEllipses, false, true}));

TEST_F(EllipsesEditTest, EllipsesButtonComesAndGoesWithTheFocus) {
    edit.SetEditStyle(esEllipses);
    QTest::keyClick(&before, Qt::Key_Tab);
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_TRUE(edit.Button()->isVisible());
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_TRUE(after.hasFocus());
    EXPECT_FALSE(edit.Button()->isVisible());
}

TEST_F(EllipsesEditTest, KeepsTheHeightItsFontAndBorderWant) {
    EXPECT_EQ(edit.WantedHeight(), 20);
    edit.resize(221, 35);
    EXPECT_EQ(edit.height(), 20);
    edit.setFrame(false);
    EXPECT_EQ(edit.WantedHeight(), 12);
}

TEST_F(EllipsesEditTest, ButtonClickRaisesTheEditsNotification) {
    edit.SetEditStyle(esAlwaysEllipses);
    QObject* sender = nullptr;
    bool pressedDuringClick = true;
    edit.OnButtonClick = [&](TEllipsesEdit* s) {
        sender = s;
        pressedDuringClick = edit.Button()->Pressed();
    };
    TEllipsesButton* button = edit.Button();
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_TRUE(button->Pressed());
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(sender, &edit);
    EXPECT_FALSE(pressedDuringClick);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(EllipsesEditTest, ButtonClickWithoutNotificationDoesNothing) {
    edit.SetEditStyle(esAlwaysEllipses);
    edit.setText(QStringLiteral("kept"));
    QTest::mouseClick(edit.Button(), Qt::LeftButton);
    EXPECT_EQ(edit.text(), QStringLiteral("kept"));
}

TEST_F(EllipsesEditTest, FirstCharUpperOnTypingIntoAnEmptyOrWhollySelectedText) {
    edit.SetFirstCharUpper(true);
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("movies"));
    EXPECT_EQ(edit.text(), QStringLiteral("Movies"));
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("zoo"));
    EXPECT_EQ(edit.text(), QStringLiteral("Zoo"));
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("a"));
    EXPECT_EQ(edit.text(), QStringLiteral("aZoo"));
}

TEST_F(EllipsesEditTest, FirstCharUpperOnLeavingTheEdit) {
    edit.SetFirstCharUpper(true);
    edit.setFocus();
    edit.setText(QStringLiteral("films"));
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(edit.text(), QStringLiteral("Films"));

    // Only the letters a to z are raised.
    edit.setText(QStringLiteral("élan"));
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(edit.text(), QStringLiteral("élan"));
}

TEST_F(EllipsesEditTest, SwitchingFirstCharUpperOnAppliesItAtOnce) {
    edit.setText(QStringLiteral("music"));
    edit.SetFirstCharUpper(true);
    EXPECT_EQ(edit.text(), QStringLiteral("Music"));
    edit.setText(QStringLiteral("music"));
    edit.SetFirstCharUpper(true); // the same value changes nothing
    EXPECT_EQ(edit.text(), QStringLiteral("music"));
}

TEST_F(EllipsesEditTest, WithoutFirstCharUpperTextStaysAsTyped) {
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("movies"));
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(edit.text(), QStringLiteral("movies"));
}

TEST_F(EllipsesEditTest, AutoSelectSelectsEverythingOnEntering) {
    edit.setText(QStringLiteral("/srv/media"));
    before.setFocus();
    edit.setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("/srv/media"));

    edit.SetAutoSelect(false);
    before.setFocus();
    edit.deselect();
    edit.setFocus(Qt::OtherFocusReason);
    EXPECT_TRUE(edit.selectedText().isEmpty());
}

} // namespace
