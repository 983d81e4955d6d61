#include "player/screen_note.h"

#include "platform/fonts.h"
#include "ui/progress_strip.h"

#include <QCoreApplication>

#include <algorithm>

ScreenNote::ScreenNote(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Readable on a bright picture as on black.
    setStyleSheet(QStringLiteral("color: white; background: rgba(0, 0, 0, 160);"));
    hideTimer_.setSingleShot(true);
    QObject::connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

int ScreenNote::TextHeight(Size size, int screenHeight) {
    const bool large = size == Size::Indicator || size == Size::Mark;
    return std::max(1, screenHeight / (large ? 10 : 20));
}

void ScreenNote::ShowText(const QString& text, Size size, int milliseconds) {
    setFont(ScreenFont(-TextHeight(size, parentWidget()->height()), true));
    setText(text);
    Place(size);
    show();
    raise();
    if (milliseconds > 0)
        hideTimer_.start(milliseconds);
    else
        hideTimer_.stop();
}

void ScreenNote::Place(Size size) {
    const QWidget& screen = *parentWidget();
    const int pad = TextHeight(size, screen.height()) / 3;
    setContentsMargins(pad, pad, pad, pad);
    // A text wider than the screen (a long folder or file name) goes on over more lines rather
    // than being cut off at the screen's edges.
    setWordWrap(false);
    QSize text = sizeHint();
    if (text.width() > screen.width()) {
        setWordWrap(true);
        text = QSize(screen.width(), heightForWidth(screen.width()));
    }
    const QSize fitted(std::min(text.width(), screen.width()),
                       std::min(text.height(), screen.height()));
    switch (size) {
    case Size::Indicator:
        setGeometry(QRect(
            QPoint((screen.width() - fitted.width()) / 2, (screen.height() - fitted.height()) / 2),
            fitted));
        break;
    case Size::Note:
        setGeometry(QRect(QPoint(pad, pad), fitted));
        break;
    case Size::Mark:
        setGeometry(QRect(QPoint(screen.width() - fitted.width() - pad, pad), fitted));
        break;
    case Size::Times:
        setGeometry(QRect(
            QPoint(screen.width() - fitted.width() - pad,
                   screen.height() - ProgressStripHeight(screen.height()) - fitted.height() - pad),
            fitted));
        break;
    }
}

QString PlayStateIndicator(bool paused) {
    return paused ? QCoreApplication::translate("Player", "Paused")
                  : QCoreApplication::translate("Player", "Playing");
}

QString MuteIndicator(bool muted) {
    return muted ? QCoreApplication::translate("Player", "Muted")
                 : QCoreApplication::translate("Player", "Sound on");
}

QString TimesText(double position, double length) {
    const auto clock = [](double seconds) {
        const auto whole = static_cast<qint64>(std::max(0.0, seconds));
        return QString::asprintf("%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    };
    return clock(position) + QStringLiteral(" / ") + clock(length);
}

QString VolumeIndicator(int volume) {
    return QCoreApplication::translate("Player", "Volume %1").arg(volume);
}
