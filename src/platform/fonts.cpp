#include "platform/fonts.h"

#include <QStringList>

#include <algorithm>

#include <cstdlib>

QFont ScreenFont(int height, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("ＭＳ Ｐゴシック"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, std::abs(height)));
    font.setBold(bold);
    return font;
}
