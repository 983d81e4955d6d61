#include "platform/ten_foot.h"

#include "platform/screen_changes.h"

#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QTabBar>

namespace {
// Amber: seen against the grey dialog and the white fields alike, and not a colour of the text.
const QColor kFocusColour(0xf0, 0xa0, 0x00);
constexpr int kFocusFrameUnits = 3;
} // namespace

DialogUnits::DialogUnits() : DialogUnits(0) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        pixelsPerScreen_ = std::max(kUnitsPerScreen, screen->geometry().height());
}

DialogUnits::DialogUnits(int screenHeight)
    : pixelsPerScreen_(std::max(kUnitsPerScreen, screenHeight)) {}

std::optional<DialogUnits> DialogUnitsFor(const QWidget& window) {
    if (const QScreen* screen = UsableScreenFor(window))
        return DialogUnits(screen->geometry().height());
    return std::nullopt;
}

void SetFontThroughout(QWidget& window, const QFont& font) {
    window.setFont(font);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (!child->isWindow())
            child->setFont(font);
    }
}

FocusFrame::FocusFrame(QWidget& window) : QWidget(&window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* focused) { Follow(focused); });
}

void FocusFrame::SetUnits(const DialogUnits& units) {
    thickness_ = units(kFocusFrameUnits);
    Follow(followed_);
}

void FocusFrame::Follow(QWidget* focused) {
    if (followed_ != focused) {
        if (followed_)
            followed_->removeEventFilter(this);
        disconnect(tabChanged_);
        followed_ = focused;
        if (focused)
            focused->installEventFilter(this);
        if (auto* tabs = qobject_cast<QTabBar*>(focused))
            tabChanged_ =
                connect(tabs, &QTabBar::currentChanged, this, [this] { Follow(followed_); });
    }
    QWidget* window = parentWidget();
    if (!focused || focused == window || focused->window() != window || !focused->isVisible()) {
        hide();
        return;
    }
    QRect around(focused->mapTo(window, QPoint()), focused->size());
    if (const auto* tabs = qobject_cast<const QTabBar*>(focused); tabs && tabs->currentIndex() >= 0)
        around = tabs->tabRect(tabs->currentIndex()).translated(around.topLeft());
    // Kept inside the window, over the control's own edge where it has no room around it.
    setGeometry(around.adjusted(-thickness_, -thickness_, thickness_, thickness_) & window->rect());
    raise();
    show();
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == followed_ && (type == QEvent::Move || type == QEvent::Resize ||
                                 type == QEvent::Show || type == QEvent::Hide))
        Follow(followed_);
    return false;
}

void FocusFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), thickness_), kFocusColour);
    painter.fillRect(QRect(0, height() - thickness_, width(), thickness_), kFocusColour);
    painter.fillRect(QRect(0, 0, thickness_, height()), kFocusColour);
    painter.fillRect(QRect(width() - thickness_, 0, thickness_, height()), kFocusColour);
}
