#include "player/playback_notice.h"

#include "platform/fonts.h"
#include "platform/timer.h"

#include <algorithm>

PlaybackNotice::PlaybackNotice(QWidget* parent) : QLabel(parent), timer_(new Timer(this)) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setStyleSheet(QStringLiteral("color: white; background: rgba(0, 0, 0, 192);"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    timer_->setInterval(kShownMilliseconds);
    timer_->onTimer = [this] { Expire(); };
    hide();
}

int PlaybackNotice::TextHeight(int screenHeight) {
    return std::max(12, screenHeight / 27);
}

void PlaybackNotice::Show(const QString& message) {
    if (!lines_.contains(message))
        lines_.append(message);
    while (lines_.size() > kMaxLines)
        lines_.removeFirst();
    const QWidget* screen = parentWidget();
    const int height = TextHeight(screen->height());
    setFont(ScreenFont(-height, true));
    setContentsMargins(height / 2, height / 3, height / 2, height / 3);
    setText(lines_.join(u'\n'));
    const int margin = screen->width() / 40;
    const int width = screen->width() - 2 * margin;
    setGeometry(margin, margin, width, heightForWidth(width));
    show();
    raise();
    // Counted from the latest line.
    timer_->setEnabled(false);
    timer_->setEnabled(true);
}

void PlaybackNotice::Expire() {
    timer_->setEnabled(false);
    lines_.clear();
    clear();
    hide();
}
