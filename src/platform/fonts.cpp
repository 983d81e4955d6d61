#include "platform/fonts.h"

#include <QStringList>

#include <algorithm>

#include <cstdlib>

namespace {
// Measured against the dialogs' labels at 12 pixels: IPAPGothic is about as wide as the
// proportional Gothic they were laid out in; VL PGothic and Noto Sans CJK run up to a fifth wider.
const QStringList kJapaneseFallbacks = {
    QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),  QStringLiteral("Noto Sans CJK JP"),
    QStringLiteral("Noto Sans"),  QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")};

QFont FontOf(const QStringList& designFamilies, const QStringList& fallbacks, int height,
             bool bold) {
    QFont font;
    font.setFamilies(designFamilies + fallbacks);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, std::abs(height)));
    font.setBold(bold);
    return font;
}
} // namespace

QFont ScreenFont(int height, bool bold) {
    return FontOf({QStringLiteral("MS UI Gothic"), QStringLiteral("ＭＳ Ｐゴシック")},
                  kJapaneseFallbacks.mid(2), height, bold);
}

QFont DialogFont(int height) {
    return FontOf({QStringLiteral("ＭＳ Ｐゴシック")}, kJapaneseFallbacks, height, false);
}
