#pragma once

#include "platform/screen_changes.h"
#include "platform/screen_input.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class Form;
class InputRouter;

// The program's one full-screen window. Its screens stand on it as a stack: the top one fills the
// window and takes every key and remote input; the ones beneath wait hidden, exactly as they were,
// until the screens above them have closed.
class ScreenStack : public QWidget, public ScreenInput {
    Q_OBJECT

public:
    explicit ScreenStack(InputRouter& input);
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

    // Where the screens' keys, remote input and media keys go through.
    InputRouter& Input() const { return input_; }

    // Frameless at the screen's full geometry (a kiosk X server has no window manager to do it);
    // on Wayland full screen through the compositor. From then on the window follows: a screen
    // that changes its size, another screen, a screen that goes (the TV switched off) and one
    // that comes back each place it again, on the screen it is on if that one is usable, else on
    // the first usable one; while there is none it stays as it is.
    void PlaceFullScreen();
    // Whether the window stands on a usable screen now.
    bool OnScreen() const { return onScreen_; }
    // Shown while there is no screen at all (a PC switched on with the TV off), the window waits
    // for one and shows itself on it.
    void setVisible(bool visible) override;

    // Input that reaches the window is the top screen's.
    bool KeyDown(int key, ShiftState shift) override;
    bool ScrollsList(int key) const override;
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;

signals:
    // The last screen has closed.
    void emptied();
    // The last usable screen went away, and one is back (the window is on it again).
    void screenLost();
    void screenBack();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class Form;
    // Called by a screen of this stack whose close went through.
    void Closed(Form* screen);
    // The window is named after the screen on top, so that a task list or a test can tell which
    // screen is shown.
    void ShowTopTitle();
    // Every screen at the window's size.
    void FitScreens();

    struct Entry {
        Form* screen;
        std::function<void()> closed;
        // Where the keyboard focus was in the screen when another was put over it.
        QPointer<QWidget> focus;
    };
    InputRouter& input_;
    ScreenChanges* screenChanges_ = nullptr;
    bool onScreen_ = true;
    bool shownWhenLost_ = false;
    std::vector<Entry> entries_;
};
