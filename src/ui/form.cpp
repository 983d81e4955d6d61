#include "ui/form.h"

#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/input_router.h"
#include "platform/screen_changes.h"
#include "ui/screen_stack.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include <optional>

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

namespace {
// What a key from the display server stands for: a media key its application command, a category
// key its remote report, any other key its virtual-key code (none for a key without one).
std::optional<InputCommand> CommandFromKeyEvent(const QKeyEvent& event) {
    if (const int command = AppCommandFromQtKey(event.key()))
        return InputCommand::Command(command);
    if (const quint32 code = CategoryReportFromQtKey(event.key()))
        return InputCommand::Report(code);
    if (const int key = VirtualKeyFromQt(event))
        return InputCommand::Key(key, ShiftStateFromQt(event.modifiers()));
    return std::nullopt;
}
} // namespace

void Form::TapCommand(int command) {
    const InputCommand tap = InputCommand::Command(command);
    if (stack_)
        stack_->Input().Tap(tap, InputPath::MediaSession, this);
    else
        DeliverTo(*this, tap);
}

void Form::keyPressEvent(QKeyEvent* event) {
    const std::optional<InputCommand> command = CommandFromKeyEvent(*event);
    if (!command) {
        QWidget::keyPressEvent(event);
        return;
    }
    bool taken = true;
    if (event->isAutoRepeat()) {
        if (stack_)
            stack_->Input().Hold(*command, InputPath::DisplayServer);
    } else if (stack_) {
        taken = stack_->Input().Press(*command, InputPath::DisplayServer, this);
    } else {
        taken = DeliverTo(*this, *command);
    }
    if (taken)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void Form::keyReleaseEvent(QKeyEvent* event) {
    const std::optional<InputCommand> command = CommandFromKeyEvent(*event);
    if (command && stack_ && !event->isAutoRepeat())
        stack_->Input().Release(*command, InputPath::DisplayServer);
    QWidget::keyReleaseEvent(event);
}

void Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (shownOnce_ && IsUsableScreenSize(size()))
        FollowNewSize();
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
