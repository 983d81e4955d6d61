#pragma once

class ImageWidget;
class QWidget;
class TPGradation;

// What lies behind and over the screens' panels: black wherever nothing else paints, the blue
// gradient picture, white captions.

// Black behind everything the widget does not paint itself.
void SetBlackBackground(QWidget& widget);
// White text, for captions over the gradient.
void SetWhiteText(QWidget& widget);
// The screens' gradient, painted on request into target: blue down to the active caption colour
// in vertical bands of three pixels.
TPGradation* MakeScreenGradient(QWidget* owner, ImageWidget* target);
