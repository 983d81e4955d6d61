#pragma once

#include "platform/ten_foot.h"

#include <QRect>
#include <QString>

#include <functional>
#include <initializer_list>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;

// Results the settings dialogs close with.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A fixed-size dialog with the given caption, the dialogs' ten-foot look, usable with a remote's
// arrows, OK and Back. layOut lays it out for the screen it stands on; it runs again whenever the
// screens change under the dialog, so that the dialog looks as if opened at the new size.
void SetUpFixedDialog(QDialog& dialog, const QString& caption, std::function<void()> layOut);
// The part of a layout every fixed-size dialog shares: the 12-unit Japanese-capable font, the focus
// frame, the client size (in units), centred on its screen.
void SizeFixedDialog(QDialog& dialog, const QSize& clientSize, const DialogUnits& units);
// Grows a fixed-size dialog by extra pixels and centres it again.
void GrowFixedDialog(QDialog& dialog, const QSize& extra);

// Sizes the labels to their text in their present font and tells how many pixels they need
// beyond the column of controls that starts at controlsLeft, so that none reaches its control;
// 0 or less when all fit.
int FitLabels(std::initializer_list<QLabel*> labels, int controlsLeft);
// Moves the widgets right by the given pixels.
void MoveRight(std::initializer_list<QWidget*> widgets, int pixels);
// Makes the widgets wider by the given pixels.
void Widen(std::initializer_list<QWidget*> widgets, int pixels);

// A label whose accelerator moves the focus to buddy.
QLabel* MakeLabel(QWidget* parent, const QString& caption, QWidget* buddy);
// Puts a label at a position (in pixels), as wide as its text.
void PlaceLabel(QLabel* label, const QPoint& at);

// A one-line edit for codes and paths: the input method stays off, text is typed as is.
QLineEdit* MakeEdit(QWidget* parent);

QPushButton* MakeButton(QWidget* parent, const QString& caption);

// A check box whose box is as large as the dialog's text (set by PlaceCheckBox).
QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption);
void PlaceCheckBox(QCheckBox* box, const QRect& bounds, const DialogUnits& units);

// The tag a shared handler tells its senders apart by.
void SetTag(QWidget* widget, int tag);
int TagOf(const QObject* sender);
