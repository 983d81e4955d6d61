#include "ui/screen_stack.h"

#include "input/input_router.h"
#include "ui/form.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWindow>

#include <algorithm>

ScreenStack::ScreenStack(InputRouter& input)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      input_(input) {
    setObjectName(QStringLiteral("screens"));
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // Nothing of the desktop shows between two screens.
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
}

ScreenStack::~ScreenStack() {
    // Top first: a screen may still refer to the one that opened it.
    while (!entries_.empty()) {
        Form* screen = entries_.back().screen;
        entries_.pop_back();
        screen->stack_ = nullptr;
        delete screen;
    }
}

void ScreenStack::Push(std::unique_ptr<Form> screen, std::function<void()> closed) {
    input_.EndHold();
    if (!entries_.empty()) {
        Entry& below = entries_.back();
        below.focus = below.screen->focusWidget();
        below.screen->hide();
    }
    Form* top = screen.release();
    top->stack_ = this;
    top->setParent(this);
    top->setGeometry(rect());
    entries_.push_back({top, std::move(closed), {}});
    top->show();
    top->setFocus();
    ShowTopTitle();
}

void ScreenStack::ShowTopTitle() {
    const QString application = QCoreApplication::applicationName();
    const QString top = entries_.size() > 1 ? entries_.back().screen->windowTitle() : QString();
    setWindowTitle(top.isEmpty() ? application : top + QStringLiteral(" - ") + application);
}

Form* ScreenStack::Top() const {
    return entries_.empty() ? nullptr : entries_.back().screen;
}

void ScreenStack::CloseDownTo(qsizetype keep) {
    while (Depth() > keep) {
        Form* top = Top();
        top->PressKey(vk::Escape);
        if (Top() == top)
            return;
    }
}

void ScreenStack::Closed(Form* screen) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [screen](const Entry& entry) { return entry.screen == screen; });
    if (it == entries_.end())
        return;
    input_.EndHold();
    // Only the top screen's close brings back the one beneath it.
    const bool wasTop = std::next(it) == entries_.end();
    Entry closing = std::move(*it);
    entries_.erase(it);
    screen->stack_ = nullptr;
    screen->deleteLater();
    if (wasTop && !entries_.empty()) {
        Entry& below = entries_.back();
        below.screen->show();
        QWidget* focus = below.focus ? below.focus.data() : below.screen;
        focus->setFocus();
    }
    ShowTopTitle();
    if (closing.closed)
        closing.closed();
    if (entries_.empty())
        emit emptied();
}

void ScreenStack::PlaceFullScreen() {
    if (!screenChanges_) {
        screenChanges_ = new ScreenChanges(this);
        connect(screenChanges_, &ScreenChanges::removing, this,
                // Told before the window system hides a window left without a screen.
                [this] { shownWhenLost_ = isVisible(); });
        connect(screenChanges_, &ScreenChanges::changed, this, &ScreenStack::PlaceFullScreen);
    }
    QScreen* screen = UsableScreenFor(*this);
    if (!screen) {
        // Nothing to show on: the window keeps its place and its screens their layout.
        if (std::exchange(onScreen_, false))
            emit screenLost();
        return;
    }
    if (windowHandle() && windowHandle()->screen() != screen)
        windowHandle()->setScreen(screen);
    // A Wayland client cannot place itself over the compositor's panels: it asks for full screen.
    setGeometry(screen->geometry());
    // A hidden window hears of its new size only when shown again: its screens are told now.
    FitScreens();
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        setWindowState(windowState() | Qt::WindowFullScreen);
    if (!std::exchange(onScreen_, true)) {
        // A window system may hide a window whose last screen went away.
        if (shownWhenLost_ && !isVisible()) {
            // Hidden by the window system, it still counts as shown for show(): hidden first.
            hide();
            show();
            if (Form* top = Top())
                top->setFocus();
        }
        emit screenBack();
    }
}

void ScreenStack::setVisible(bool visible) {
    // A window cannot be made without a screen to make it on.
    if (visible && QGuiApplication::screens().isEmpty()) {
        shownWhenLost_ = true;
        return;
    }
    QWidget::setVisible(visible);
}

bool ScreenStack::KeyDown(int key, ShiftState shift) {
    Form* top = Top();
    return top && top->KeyDown(key, shift);
}

bool ScreenStack::ScrollsList(int key) const {
    const Form* top = Top();
    return top && top->ScrollsList(key);
}

void ScreenStack::WmInput(const RawInputMessage& message) {
    if (Form* top = Top())
        top->WmInput(message);
}

void ScreenStack::WmAppCommand(int command) {
    if (Form* top = Top())
        top->WmAppCommand(command);
}

void ScreenStack::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitScreens();
}

void ScreenStack::FitScreens() {
    // A screen beneath the top one lays itself out when it is shown again.
    for (const Entry& entry : entries_)
        entry.screen->setGeometry(rect());
}
