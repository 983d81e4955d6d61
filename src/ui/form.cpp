#include "ui/form.h"

#include "input/remote_dispatch.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QList>
#include <QScreen>

namespace {
// Shown screens, oldest first.
QList<Form*>& ShownForms() {
    static QList<Form*> forms;
    return forms;
}
} // namespace

Form::Form(QWidget* parent) : QDialog(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

Form::~Form() {
    ShownForms().removeAll(this);
}

Form* Form::Topmost() {
    return ShownForms().isEmpty() ? nullptr : ShownForms().last();
}

void Form::CloseScreensInOrder(qsizetype keep) {
    while (ShownForms().size() > keep) {
        Form* top = ShownForms().last();
        top->PressKey(vk::Escape);
        if (ShownForms().contains(top))
            return;
    }
}

void Form::FormKeyDown(int& /*key*/, ShiftState /*shift*/) {}
void Form::WmInput(const RawInputMessage& /*message*/) {}
void Form::WmAppCommand(int /*command*/) {}

void Form::PlaceFullScreen() {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->geometry());
    // A Wayland client cannot place itself over the compositor's panels: it asks for full screen.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        setWindowState(windowState() | Qt::WindowFullScreen);
}

bool Form::PressKey(int key, ShiftState shift) {
    if (key == vk::BrowserHome) {
        CloseScreensInOrder(1);
        return true;
    }
    FormKeyDown(key, shift);
    return key == 0;
}

void Form::keyPressEvent(QKeyEvent* event) {
    if (DeliverMediaKey(event->key(), this)) {
        event->accept();
        return;
    }
    const int key = VirtualKeyFromQt(*event);
    if (key != 0 && PressKey(key, ShiftStateFromQt(event->modifiers()))) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ShownForms().removeAll(this);
    ShownForms().append(this);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void Form::hideEvent(QHideEvent* event) {
    ShownForms().removeAll(this);
    QDialog::hideEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        FormClose();
        closing_ = false;
    }
    QDialog::closeEvent(event);
}
