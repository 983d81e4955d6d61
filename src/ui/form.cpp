#include "ui/form.h"

#include "input/remote_dispatch.h"
#include "ui/screen_stack.h"

#include <QCloseEvent>
#include <QKeyEvent>

Form::Form(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

Form::~Form() {
    if (stack_)
        stack_->Closed(this);
}

void Form::FormKeyDown(int& /*key*/, ShiftState /*shift*/) {}
void Form::WmInput(const RawInputMessage& /*message*/) {}
void Form::WmAppCommand(int /*command*/) {}

bool Form::PressKey(int key, ShiftState shift) {
    if (key == vk::BrowserHome) {
        if (stack_)
            stack_->CloseDownTo(1);
        return true;
    }
    FormKeyDown(key, shift);
    return key == 0;
}

void Form::keyPressEvent(QKeyEvent* event) {
    const bool mediaKey = stack_ ? stack_->Input().DeliverMediaKey(event->key(), this)
                                 : DeliverMediaKeyTo(event->key(), *this);
    if (mediaKey) {
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
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void Form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && stack_)
        stack_->ShowTopTitle();
}

void Form::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        FormClose();
        closing_ = false;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted() && stack_)
        stack_->Closed(this);
}
