#pragma once

#include <QFont>

// Fonts are asked for by the family the screens and dialogs were designed with first, then by
// Japanese-capable ones. height follows the classic convention: negative is the character height
// in pixels.

// The full-screen screens' font.
QFont ScreenFont(int height, bool bold = true);
// The settings dialogs' font: the proportional Gothic, then a font of nearly its widths, so that
// the labels keep clear of the controls beside them.
QFont DialogFont(int height);
