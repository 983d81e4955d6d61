#include "filemenu/file_menu_layout.h"
#include "filemenu/unlock_code.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutTest, FullHdExample) {
    const FileMenuLayout l = ComputeFileMenuLayout(1920, 1080);
    EXPECT_EQ(l.gap, 9);
    EXPECT_EQ(l.rowHeight, 81);
    EXPECT_EQ(l.rowWidth, 1824);
    EXPECT_EQ(l.left, 48);
    EXPECT_EQ(l.titleTop, 4);
    EXPECT_EQ(l.RowTop(1), 94);
    EXPECT_EQ(l.hintsTop, 994);
    EXPECT_EQ(l.fontHeight, -69);
    EXPECT_EQ(l.nextLeft + 605 + 11, 1920);
}

TEST(LayoutTest, HdReadyScreen) {
    const FileMenuLayout l = ComputeFileMenuLayout(1280, 720);
    EXPECT_EQ(l.gap, 6);
    EXPECT_EQ(l.rowHeight, 54);
    EXPECT_EQ(l.rowWidth, 1216);
    EXPECT_EQ(l.left, 32);
    EXPECT_EQ(l.titleTop, 3);
    EXPECT_EQ(l.RowTop(10), 603);
    EXPECT_EQ(l.hintsTop, 663);
}

UnlockCodeEntry Entry(const char* code) {
    UnlockCodeEntry entry;
    entry.SetCode(QString::fromLatin1(code));
    return entry;
}

void Type(UnlockCodeEntry& entry, const char* digits, int depth = 0) {
    for (const char* d = digits; *d; ++d)
        entry.Digit(QLatin1Char(*d), depth);
}

TEST(UnlockCodeTest, WholeCodeThenEnter) {
    UnlockCodeEntry entry = Entry("5820");
    Type(entry, "5820");
    EXPECT_TRUE(entry.TakeEnter());
    EXPECT_EQ(entry.Progress(), 0);
    EXPECT_FALSE(entry.TakeEnter());
}

TEST(UnlockCodeTest, WrongDigitIsNotANewStart) {
    UnlockCodeEntry entry = Entry("5820");
    Type(entry, "55820");
    EXPECT_FALSE(entry.TakeEnter());
    Type(entry, "58205820");
    EXPECT_FALSE(entry.TakeEnter()); // one more digit after the whole code
}

TEST(UnlockCodeTest, DigitsInsideAFolderNeverCount) {
    UnlockCodeEntry entry = Entry("5820");
    Type(entry, "5820", 1);
    EXPECT_FALSE(entry.TakeEnter());
    Type(entry, "58", 0);
    Type(entry, "2", 1);
    Type(entry, "0", 0);
    EXPECT_FALSE(entry.TakeEnter());
}

TEST(UnlockCodeTest, CodeWithOtherCharactersNeverCompletes) {
    UnlockCodeEntry entry = Entry("12a4");
    Type(entry, "1234");
    EXPECT_FALSE(entry.TakeEnter());
    Type(entry, "124");
    EXPECT_FALSE(entry.TakeEnter());
}

TEST(UnlockCodeTest, EmptyCodeNeverCompletes) {
    UnlockCodeEntry entry = Entry("");
    EXPECT_FALSE(entry.TakeEnter());
    Type(entry, "1");
    EXPECT_FALSE(entry.TakeEnter());
}

} // namespace
