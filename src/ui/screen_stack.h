#pragma once

#include "platform/screen_input.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class Form;
class RemoteDispatch;

// The program's one full-screen window. Its screens stand on it as a stack: the top one fills the
// window and takes every key and remote input; the ones beneath wait hidden, exactly as they were,
// until the screens above them have closed.
class ScreenStack : public QWidget, public ScreenInput {
    Q_OBJECT

public:
    explicit ScreenStack(RemoteDispatch& input);
    ~ScreenStack() override;
    ScreenStack(const ScreenStack&) = delete;
    ScreenStack& operator=(const ScreenStack&) = delete;

    // Puts the screen on top with the keyboard focus. `closed` runs once the screen has closed and
    // the one beneath is back; the screen itself is destroyed when control returns to the event
    // loop, so that its own handlers can finish.
    void Push(std::unique_ptr<Form> screen, std::function<void()> closed = {});
    // The top screen; null when none stands.
    Form* Top() const;
    qsizetype Depth() const { return static_cast<qsizetype>(entries_.size()); }
    // Closes the screens from the top down, each as its Esc key closes it, until `keep` remain; a
    // screen that Esc does not close ends the walk (the main menu closes on no key).
    void CloseDownTo(qsizetype keep);

    // Where the screens' remote input and media keys go through.
    RemoteDispatch& Input() const { return input_; }

    // Frameless at the screen's full geometry (a kiosk X server has no window manager to do it);
    // on Wayland full screen through the compositor.
    void PlaceFullScreen();

    // Device input that reaches the window is the top screen's.
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;

signals:
    // The last screen has closed.
    void emptied();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class Form;
    // Called by a screen of this stack whose close went through.
    void Closed(Form* screen);
    // The window is named after the screen on top, so that a task list or a test can tell which
    // screen is shown.
    void ShowTopTitle();

    struct Entry {
        Form* screen;
        std::function<void()> closed;
        // Where the keyboard focus was in the screen when another was put over it.
        QPointer<QWidget> focus;
    };
    RemoteDispatch& input_;
    std::vector<Entry> entries_;
};
