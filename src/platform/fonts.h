#pragma once

#include <QFont>

// The screens' font: the family the screens were designed with first, then a Japanese-capable one.
// height follows the classic convention: negative is the character height in pixels.
QFont ScreenFont(int height, bool bold = true);
