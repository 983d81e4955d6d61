#pragma once

#include "dialogs/dialog_kit.h"

#include <QCoreApplication>
#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TEllipsesEdit;

// The folder entry dialog: title, folder path (with a button to browse for it) and lock flag of one
// registered folder. Its opener fills and reads the three fields; the dialog keeps nothing.
// Enter and Esc do not close it: only its buttons (Enter presses a focused one), its close box and
// a remote's Back do.
class TFolder_Form : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TFolder_Form)

public:
    explicit TFolder_Form(QWidget* parent = nullptr);

    // Browses for the folder, opened on the typed one; a cancelled browse leaves the text alone.
    void EE_Click(QObject* Sender);

    // The close box gives Cancel.
    void reject() override;

    QFrame* Bevel1;
    QLineEdit* ED01;
    TEllipsesEdit* EE01;
    QCheckBox* CHB01;
    QLabel* Label3;
    QLabel* Label1;
    QPushButton* Button4;
    QPushButton* Button5;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Lays the dialog out for the screen it stands on, as if it were opened there.
    void LayOut();
    // Makes room for labels wider than the layout's in the font at hand: measured once the dialog
    // is shown, when its font is final.
    void FitToFont(const DialogUnits& units);

    bool shownOnce_ = false;
};
