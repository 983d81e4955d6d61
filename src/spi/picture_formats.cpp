#include "spi/picture_formats.h"

#include <algorithm>

namespace {
std::vector<PictureFormat>& Formats() {
    static std::vector<PictureFormat> formats;
    return formats;
}
} // namespace

void RegisterPictureFormat(const QString& extension, const QString& description,
                           TGraphicClass graphicClass) {
    Formats().push_back({extension, description, graphicClass});
}

void UnregisterPictureFormats(TGraphicClass graphicClass) {
    std::erase_if(Formats(), [graphicClass](const PictureFormat& format) {
        return format.graphicClass == graphicClass;
    });
}

const std::vector<PictureFormat>& RegisteredPictureFormats() {
    return Formats();
}
