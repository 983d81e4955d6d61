#include "ui/progress_strip.h"

#include "platform/colors.h"

#include <QProgressBar>
#include <QRect>

namespace {
constexpr StoredColor kBarColor = 0x00FF00;
} // namespace

QProgressBar* MakeProgressStrip(QWidget* parent) {
    auto* strip = new QProgressBar(parent);
    strip->setRange(0, kProgressStripMax);
    strip->setTextVisible(false);
    // Only the bar's colour is set: the groove stays the style's own.
    strip->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: %1; }")
                             .arg(ToQColor(kBarColor).name()));
    strip->hide();
    return strip;
}

int ProgressStripHeight(int screenHeight) {
    return screenHeight / 48;
}

QRect PlaceProgressStrip(QProgressBar& strip) {
    const QWidget& parent = *strip.parentWidget();
    strip.setGeometry(0, parent.height() - strip.height(), parent.width(), strip.height());
    return {0, 0, parent.width(), parent.height() - (strip.isHidden() ? 0 : strip.height())};
}
