#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TEllipsesEdit;

// The folder entry dialog: title, folder path (with a button to browse for it) and lock flag of one
// registered folder. Its opener fills and reads the three fields; the dialog keeps nothing.
// Enter and Esc do not close it: only its buttons and its close box do.
class TFolder_Form : public QDialog {
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
    void keyPressEvent(QKeyEvent* event) override;
};
