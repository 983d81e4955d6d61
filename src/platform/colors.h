#pragma once

#include <QColor>
#include <QtGlobal>

// Colours are stored as 0x00BBGGRR; a value with the top byte 0xFF refers to a system colour.
using StoredColor = quint32;

constexpr StoredColor clBlack = 0x000000;
constexpr StoredColor clWhite = 0xFFFFFF;
constexpr StoredColor clBlue = 0xFF0000;
constexpr StoredColor clGray = 0x808080;
constexpr StoredColor clSystemColor = 0xFF000000;
constexpr StoredColor clGradientActiveCaption = clSystemColor | 27;

// A system colour reference becomes the system's current value for it; other values pass through.
StoredColor ResolveColor(StoredColor color);
QColor ToQColor(StoredColor color);
StoredColor FromQColor(const QColor& color);
