#pragma once

#include "platform/keys.h"
#include "platform/screen_input.h"

#include <QWidget>

class ScreenStack;

// Base of every full-screen screen. Qt's events are only translated here (a media or category key
// becomes the remote input it stands for); each screen's handlers (FormShow, FormKeyDown, WmInput,
// WmAppCommand, FormClose) carry the behaviour. A screen runs on a ScreenStack; shown on its own
// (a test driving it) it is a window of its own.
class Form : public QWidget, public ScreenInput {
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Runs once, at the first show of the screen object.
    virtual void FormShow() {}
    // Sees every key first; setting key to 0 consumes it, otherwise it continues on its normal way
    // (only the keys a screen names close it).
    virtual void FormKeyDown(int& key, ShiftState shift);
    void WmInput(const RawInputMessage& message) override;
    // Application commands are never passed on, whether or not the screen acts on them.
    void WmAppCommand(int command) override;
    // Runs when the screen closes, whichever way it is closed.
    virtual void FormClose() {}

    // The stack the screen stands on; null while it stands on none.
    ScreenStack* Stack() const { return stack_; }
    // Feeds a key through the screen as the keyboard would; returns whether it was consumed. The
    // Home button goes to no screen: it closes every screen above the main menu.
    bool PressKey(int key, ShiftState shift = {});
    bool KeyDown(int key, ShiftState shift) override { return PressKey(key, shift); }
    // An application command from the desktop's media controls, which know no press or release:
    // through the stack's router as a button pressed and let go, like any other source's.
    void TapCommand(int command);

protected:
    // Shown at least once (FormShow has run): later sizes are the window's, laid out anew.
    bool ShownOnce() const { return shownOnce_; }
    // Lays the screen out for a new size of the window, once it has been shown: a new resolution
    // looks as a fresh start at it would. The first show lays the screen out itself, and the
    // placeholder of a TV switched off is not laid out at all.
    virtual void FollowNewSize() {}
    void resizeEvent(QResizeEvent* event) override;
    // Keys go through the stack's input router, which makes the repeats of a held key: the display
    // server's own repeats are left out.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class ScreenStack;
    ScreenStack* stack_ = nullptr;
    bool shownOnce_ = false;
    bool closing_ = false;
};
