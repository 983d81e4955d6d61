#include "player/screen_note.h"

#include "platform/fonts.h"

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
    return std::max(1, screenHeight / (size == Size::Indicator ? 10 : 20));
}

void ScreenNote::ShowText(const QString& text, Size size, int milliseconds) {
    setFont(ScreenFont(-TextHeight(size, parentWidget()->height()), true));
    setText(text);
    Place(size);
    show();
    raise();
    hideTimer_.start(milliseconds);
}

void ScreenNote::Place(Size size) {
    const QWidget& screen = *parentWidget();
    const int pad = TextHeight(size, screen.height()) / 3;
    const QSize text = sizeHint().grownBy(QMargins(pad, pad, pad, pad));
    const QSize fitted(std::min(text.width(), screen.width()),
                       std::min(text.height(), screen.height()));
    if (size == Size::Indicator)
        setGeometry(QRect(
            QPoint((screen.width() - fitted.width()) / 2, (screen.height() - fitted.height()) / 2),
            fitted));
    else
        setGeometry(QRect(QPoint(pad, pad), fitted));
}

QString PlayStateIndicator(bool paused) {
    return paused ? QCoreApplication::translate("Player", "Paused")
                  : QCoreApplication::translate("Player", "Playing");
}

QString MuteIndicator(bool muted) {
    return muted ? QCoreApplication::translate("Player", "Muted")
                 : QCoreApplication::translate("Player", "Sound on");
}

QString VolumeIndicator(int volume) {
    return QCoreApplication::translate("Player", "Volume %1").arg(volume);
}
