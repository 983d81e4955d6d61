#include "platform/fonts.h"
#include "ui/panel.h"

#include "screen_look.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

namespace {
const QColor kBackground = QColor(0x00, 0x40, 0x80); // the unselected panel colour, as painted

// A panel as the screens make them: dark blue, white bold caption, a bevel of 2.
struct PanelCase {
    const char* name;
    QSize size;
    const char* family; // empty: the screens' own font
    int pixelSize;
    const char* caption;
    Qt::Alignment alignment;
};

void PrintTo(const PanelCase& c, std::ostream* out) {
    *out << c.name;
}

class CaptionFit : public ::testing::TestWithParam<PanelCase> {};

QFont FontOf(const PanelCase& c) {
    QFont font = ScreenFont(-c.pixelSize);
    if (*c.family)
        font.setFamilies({QString::fromLatin1(c.family)});
    return font;
}

QRect InsideBevel(const Panel& panel) {
    return panel.rect().adjusted(panel.BevelWidth(), panel.BevelWidth(), -panel.BevelWidth(),
                                 -panel.BevelWidth());
}

QImage Painted(Panel& panel) {
    return Rendered(panel, ToQColor(panel.Color()));
}

void MakeScreenPanel(Panel& panel, const QSize& size, const QFont& font, const QString& caption,
                     Qt::Alignment alignment) {
    panel.resize(size);
    panel.SetColor(kPanelUnselectedColor);
    panel.SetFontColor(clWhite);
    panel.SetBevelWidth(2);
    panel.setFont(font);
    panel.SetAlignment(alignment);
    panel.SetCaption(caption);
}
} // namespace

TEST_P(CaptionFit, InkLiesWholeAndCentredInsideTheBevel) {
    const PanelCase& c = GetParam();
    if (*c.family && !QFontDatabase::hasFamily(QString::fromLatin1(c.family)))
        GTEST_SKIP() << c.family << " is not installed";
    Panel panel;
    MakeScreenPanel(panel, c.size, FontOf(c), QString::fromUtf8(c.caption), c.alignment);
    const QRect inside = InsideBevel(panel);
    const QRect ink = InkBounds(Painted(panel), inside, kBackground);
    if (const auto misfit = CaptionMisfit(ink, inside))
        ADD_FAILURE() << *misfit;
}

const Qt::Alignment kRow =
    Qt::AlignLeft | Qt::AlignVCenter | Qt::Alignment(QFlag(Qt::TextShowMnemonic));

INSTANTIATE_TEST_SUITE_P(
    Panels, CaptionFit,
    ::testing::Values(
        // Noto's line box is about 1.45 times its character height: 100 pixels at 69.
        PanelCase{"TallLineBoxDescenders",
                  {960, 81},
                  "Noto Sans CJK JP",
                  69,
                  "my Playgroup",
                  Qt::AlignCenter},
        PanelCase{"TallLineBoxJapaneseAndDescenders",
                  {1824, 81},
                  "Noto Sans CJK JP",
                  69,
                  " < 日本の夏 gypsy >",
                  kRow},
        PanelCase{
            "DejaVuDescenders", {480, 72}, "DejaVu Sans", 60, "Shuffle [Off]", Qt::AlignCenter},
        PanelCase{"ScreenFontSmallPanel", {342, 48}, "", 36, "Loop [Off]", Qt::AlignCenter},
        PanelCase{"InkTallerThanThePanel", {400, 30}, "", 40, "Égypte jq", Qt::AlignCenter},
        PanelCase{"LongNameIsCut",
                  {300, 54},
                  "",
                  42,
                  " A very long film title that cannot fit at all, part 2",
                  kRow},
        PanelCase{"RightAligned", {605, 81}, "", 69, "[Next] ", Qt::AlignRight}),
    [](const ::testing::TestParamInfo<PanelCase>& info) { return std::string(info.param.name); });

TEST(CaptionText, LongNamesThatDifferAtTheEndStillLookDifferent) {
    const QFont font = ScreenFont(-42);
    Panel one;
    Panel two;
    MakeScreenPanel(one, {400, 54}, font, QStringLiteral(" Holidays at the seaside, reel 1"), kRow);
    MakeScreenPanel(two, {400, 54}, font, QStringLiteral(" Holidays at the seaside, reel 2"), kRow);
    const QImage first = Painted(one);
    EXPECT_NE(first, Painted(two));
    // Cut, yet never into the bevel.
    EXPECT_FALSE(CaptionMisfit(InkBounds(first, InsideBevel(one), kBackground), InsideBevel(one)));
}

TEST(CaptionText, DoubledAmpersandShowsAsOneAndSingleUnderlines) {
    const QFont font = ScreenFont(-42);
    Panel escaped;
    Panel plain;
    Panel single;
    MakeScreenPanel(escaped, {600, 54}, font, QStringLiteral(" Tom && Jerry"), kRow);
    MakeScreenPanel(plain, {600, 54}, font, QStringLiteral(" Tom & Jerry"), Qt::AlignLeft);
    MakeScreenPanel(single, {600, 54}, font, QStringLiteral(" Tom &Jerry"), kRow);
    EXPECT_EQ(Painted(escaped), Painted(plain));
    EXPECT_NE(Painted(single), Painted(plain));
}

TEST(CaptionText, LabelDrawsItsTextCentredInItsColour) {
    CaptionLabel label(QStringLiteral("my Picture"));
    label.resize(1824, 81);
    label.setFont(ScreenFont(-69));
    label.setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QPalette white = label.palette();
    white.setColor(QPalette::WindowText, Qt::white);
    label.setPalette(white);
    const QImage image = Rendered(label, Qt::black);
    const QRect ink = InkBounds(image, label.rect(), Qt::black);
    if (const auto misfit = CaptionMisfit(ink, label.rect()))
        ADD_FAILURE() << *misfit;
    EXPECT_NEAR(ink.center().x(), label.width() / 2, 4);
    bool inWhite = false;
    for (int y = ink.top(); y <= ink.bottom() && !inWhite; ++y)
        for (int x = ink.left(); x <= ink.right() && !inWhite; ++x)
            inWhite = image.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(inWhite) << "the caption is drawn in the palette's text colour";
}
