#include "ui/backdrop.h"

#include "gradient/pgra112.h"
#include "platform/colors.h"
#include "platform/image_widget.h"

#include <QPalette>
#include <QWidget>

void SetBlackBackground(QWidget& widget) {
    QPalette black = widget.palette();
    black.setColor(QPalette::Window, Qt::black);
    widget.setPalette(black);
    widget.setAutoFillBackground(true);
}

void SetWhiteText(QWidget& widget) {
    QPalette white = widget.palette();
    white.setColor(QPalette::WindowText, Qt::white);
    widget.setPalette(white);
}

TPGradation* MakeScreenGradient(QWidget* owner, ImageWidget* target) {
    auto* gradient = new TPGradation(owner);
    gradient->SetTargetImage(target);
    gradient->SetEndColor(clGradientActiveCaption);
    gradient->SetDelay(3);
    gradient->SetGradationMode(mdVertical);
    return gradient;
}
