#include "platform/mnemonic.h"

#include <gtest/gtest.h>

TEST(MnemonicTest, DoubledAmpersandShowsOneAndSingleUnderlines) {
    const ShownCaption doubled = ShowMnemonic(QStringLiteral(" < Tom && Jerry >"));
    EXPECT_EQ(doubled.text, QStringLiteral(" < Tom & Jerry >"));
    EXPECT_EQ(doubled.underlined, -1);
    const ShownCaption single = ShowMnemonic(QStringLiteral(" Tom &Jerry"));
    EXPECT_EQ(single.text, QStringLiteral(" Tom Jerry"));
    EXPECT_EQ(single.underlined, 5);
    EXPECT_EQ(ShowMnemonic(QStringLiteral("end&")).text, QStringLiteral("end&"));
}

TEST(MnemonicTest, EscapedTextShowsAsItIs) {
    for (const QString& text :
         {QStringLiteral("Tom & Jerry"), QStringLiteral("&&&"), QStringLiteral("&a&"), QString()}) {
        const ShownCaption shown = ShowMnemonic(EscapeMnemonic(text));
        EXPECT_EQ(shown.text, text);
        EXPECT_EQ(shown.underlined, -1);
    }
}
