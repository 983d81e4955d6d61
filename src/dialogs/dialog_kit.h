#pragma once

#include <QString>

class QDialog;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QRect;
class QPoint;
class QSize;
class QWidget;

// Results the settings dialogs close with.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A fixed-size dialog with the given caption and client size, the dialogs' Japanese-capable
// 12-pixel font, centred on the desktop.
void SetUpFixedDialog(QDialog& dialog, const QString& caption, const QSize& clientSize);

// A label at a position; its accelerator moves the focus to buddy.
QLabel* MakeLabel(QWidget* parent, const QString& caption, const QPoint& at, QWidget* buddy);

// A one-line edit for codes and paths: the input method stays off, text is typed as is.
QLineEdit* MakeEdit(QWidget* parent, const QRect& bounds);

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QRect& bounds);

// The tag a shared handler tells its senders apart by.
void SetTag(QWidget* widget, int tag);
int TagOf(const QObject* sender);
