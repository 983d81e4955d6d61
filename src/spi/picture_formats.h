#pragma once

// The process-wide list of picture file formats: which graphic class loads which extension.
// Picture plug-ins register their extensions here when the host keeps them.

#include <QString>

#include <typeinfo>
#include <vector>

// A graphic class, by its type; null means none.
using TGraphicClass = const std::type_info*;

struct PictureFormat {
    QString extension;
    QString description;
    TGraphicClass graphicClass;
};

void RegisterPictureFormat(const QString& extension, const QString& description,
                           TGraphicClass graphicClass);
// Removes every registration of the class.
void UnregisterPictureFormats(TGraphicClass graphicClass);
const std::vector<PictureFormat>& RegisteredPictureFormats();
