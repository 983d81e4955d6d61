#include "platform/keys.h"

#include <gtest/gtest.h>

TEST(VirtualKeys, DigitRowAndKeypadHaveTheirOwnCodes) {
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_0, Qt::NoModifier), 48);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_9, Qt::NoModifier), 57);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_0, Qt::KeypadModifier), 96);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_9, Qt::KeypadModifier), 105);
}

TEST(VirtualKeys, NavigationAndFunctionKeys) {
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Left, Qt::NoModifier), 37);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Up, Qt::NoModifier), 38);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Right, Qt::NoModifier), 39);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Down, Qt::KeypadModifier), 40);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Return, Qt::NoModifier), 13);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Delete, Qt::NoModifier), 46);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F8, Qt::NoModifier), 119);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F10, Qt::NoModifier), 121);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_P, Qt::ControlModifier), 'P');
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_VolumeUp, Qt::NoModifier), 0);
}

TEST(VirtualKeys, BackAndHomeButtons) {
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Back, Qt::NoModifier), vk::Escape);  // KEY_BACK
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Close, Qt::NoModifier), vk::Escape); // KEY_EXIT
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_HomePage, Qt::NoModifier), vk::BrowserHome);
    // The keyboard's Home key keeps its own code (the folder list marks all entries with it).
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Home, Qt::NoModifier), vk::Home);
}

TEST(VirtualKeys, ShiftState) {
    EXPECT_EQ(ShiftStateFromQt(Qt::ControlModifier | Qt::ShiftModifier),
              (ShiftState{true, true, false}));
}
