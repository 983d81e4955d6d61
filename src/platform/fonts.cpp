#include "platform/fonts.h"

#include <QStringList>

#include <algorithm>

#include <cstdlib>

namespace {
// Measured against the dialogs' labels at 12 pixels: IPAPGothic is about as wide as the
// proportional Gothic they were laid out in; VL PGothic and Noto Sans CJK run up to a fifth wider.
const QStringList kNarrowJapanese = {QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic")};
// Japanese with a real bold face, then whatever sans the system has.
const QStringList kBroadFallbacks = {QStringLiteral("Noto Sans CJK JP"),
                                     QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"),
                                     QStringLiteral("sans-serif")};

QFont FontOf(const QStringList& families, int height, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, std::abs(height)));
    font.setBold(bold);
    return font;
}
} // namespace

QFont ScreenFont(int height, bool bold) {
    // The screens' large bold captions need no narrow font: they are fitted to their panels.
    return FontOf(QStringList{QStringLiteral("MS UI Gothic"), QStringLiteral("ＭＳ Ｐゴシック")} +
                      kBroadFallbacks,
                  height, bold);
}

QFont DialogFont(int height) {
    return FontOf(QStringList{QStringLiteral("ＭＳ Ｐゴシック")} + kNarrowJapanese +
                      kBroadFallbacks,
                  height, false);
}
