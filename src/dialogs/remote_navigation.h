#pragma once

#include <QObject>

class QDialog;
class QKeyEvent;
class QWidget;

// Lets a dialog be used with a remote's arrows, OK and Back alone: Up and Down move between the
// fields (inside a list, between its rows until the first or last), Left and Right between the
// tabs on the tab bar, between the buttons, and out of a field from either end of its text; OK
// presses the focused button or turns the focused check box; Back cancels. Digits are typed into
// the focused field as they come, from the digit row, the keypad or the remote.
class RemoteNavigation : public QObject {
public:
    // Watches the dialog's controls, present and future.
    explicit RemoteNavigation(QDialog& dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Navigate(QWidget* control, const QKeyEvent& key);

    QDialog& dialog_;
};
