#pragma once

#include "platform/keys.h"
#include "platform/screen_input.h"

#include <QDialog>

// Base of every full-screen screen. Qt's events are only translated here (a media or category key
// becomes the remote input it stands for); each screen's handlers (FormShow, FormKeyDown, WmInput,
// WmAppCommand, FormClose) carry the behaviour.
class Form : public QDialog, public ScreenInput {
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // The screen shown last, focused or not; null when none is shown.
    static Form* Topmost();
    // Closes the shown screens from the topmost down, each as its Esc key closes it, until `keep`
    // remain; a screen that Esc does not close ends the walk (the main menu closes on no key).
    static void CloseScreensInOrder(qsizetype keep);

    // Runs once, at the first show of the screen object.
    virtual void FormShow() {}
    // Sees every key first; setting key to 0 consumes it, otherwise it continues on its normal way
    // (never to QDialog's own Esc/Enter handling: only the keys a screen names close it).
    virtual void FormKeyDown(int& key, ShiftState shift);
    void WmInput(const RawInputMessage& message) override;
    // Application commands are never passed on, whether or not the screen acts on them.
    void WmAppCommand(int command) override;
    // Runs when the screen closes, whichever way it is closed.
    virtual void FormClose() {}

    // Frameless at the screen's full geometry (a kiosk X server has no window manager to do it);
    // on Wayland full screen through the compositor.
    void PlaceFullScreen();
    // Feeds a key through the screen as the keyboard would; returns whether it was consumed. The
    // Home button goes to no screen: it closes every screen above the main menu.
    bool PressKey(int key, ShiftState shift = {});

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool shownOnce_ = false;
    bool closing_ = false;
};
