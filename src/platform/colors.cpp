#include "platform/colors.h"

StoredColor ResolveColor(StoredColor color) {
    if ((color & 0xFF000000u) != clSystemColor)
        return color & 0x00FFFFFFu;
    switch (color & 0xFFu) {
    case 27: // gradient of an active caption
        return 0xF0CAA6;
    default:
        return clBlack;
    }
}

QColor ToQColor(StoredColor color) {
    const StoredColor rgb = ResolveColor(color);
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

StoredColor FromQColor(const QColor& color) {
    return static_cast<StoredColor>(color.red()) | (static_cast<StoredColor>(color.green()) << 8) |
           (static_cast<StoredColor>(color.blue()) << 16);
}
