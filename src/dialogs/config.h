#pragma once

#include "dialogs/configuration_dialog.h"
#include "dialogs/dialog_kit.h"

#include <QCoreApplication>
#include <QDialog>

#include <array>
#include <memory>
#include <tuple>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class SpinEdit;
class TFolder_Form;

// The settings dialog: exit code, foreground delay, and per category the unlock code, the
// extensions and the registered folders. It reads and writes no settings itself: its opener fills
// it, shows it and, after OK (1), reads it back; Cancel (2) discards every change.
class TConfig_Form : public QDialog, public ConfigurationDialog {
    Q_DECLARE_TR_FUNCTIONS(TConfig_Form)

public:
    explicit TConfig_Form(QWidget* parent = nullptr);

    // Runs at the first showing: the dialog always opens on its first tab.
    void FormShow();
    // Shared by the Add, Edit and Delete buttons of the three category tabs; the sender's tag
    // (1 Video, 2 Music, 3 Picture) picks the folder list.
    void Add_Click(QObject* Sender);
    void Edit_Click(QObject* Sender);
    void Delete_Click(QObject* Sender);
    void ForgetPhones_Click();
    void ShowPhoneInvitation();

    // OK: refused with a message naming the field while a code cannot be typed on the remote
    // (the exit code 1 to 32 digits, an unlock code digits or empty); then OnAccept stores the
    // contents, and only when that succeeds does the dialog close with OK.
    void Button4_Click();
    // Esc and the close box give Cancel.
    void reject() override;

    void SetExitCode(const QString& text) override;
    QString ExitCode() const override;
    void SetActiveDelay(int seconds) override;
    int ActiveDelay() const override;
    void SetPhoneRemote(bool on) override;
    bool PhoneRemote() const override;
    void ShowPhoneInvitations(PhoneInvitations invitations) override;
    void SetUnlockCode(int category, const QString& text) override;
    QString UnlockCode(int category) const override;
    void SetExtensions(int category, const QString& text) override;
    QString Extensions(int category) const override;
    void SetContinueFolder(int category, bool on) override;
    bool ContinueFolder(int category) const override;
    void AddFolderRow(int category, const FolderRow& row) override;
    QList<FolderRow> FolderRows(int category) const override;
    int ShowModal() override;

    QTabWidget* PC1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* Panel1;
    QPushButton* Button4;
    QPushButton* Button5;

    QLabel* Label1;
    QLineEdit* ED01;
    QLabel* Label2;
    SpinEdit* SE01;
    QCheckBox* CHB01;
    QPushButton* BTN01;
    QLabel* IMG01; // the phone's QR code
    QLabel* LBL01; // its address and code

    QLabel* Label3;
    QLineEdit* ED101;
    QLabel* Label4;
    QLineEdit* ED102;
    QLabel* Label5;
    QTreeWidget* LV1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QCheckBox* CHB101;

    QLabel* Label6;
    QLineEdit* ED201;
    QLabel* Label7;
    QLineEdit* ED202;
    QLabel* Label8;
    QTreeWidget* LV2;
    QPushButton* Button6;
    QPushButton* Button7;
    QPushButton* Button8;
    QCheckBox* CHB201;

    QLabel* Label9;
    QLineEdit* ED301;
    QLabel* Label10;
    QLineEdit* ED302;
    QLabel* Label11;
    QTreeWidget* LV3;
    QPushButton* Button9;
    QPushButton* Button10;
    QPushButton* Button11;

protected:
    void showEvent(QShowEvent* event) override;

private:
    using CategoryTab = std::tuple<QLabel*, QLineEdit*, QLabel*, QLineEdit*, QLabel*, QTreeWidget*,
                                   QPushButton*, QPushButton*, QPushButton*>;
    CategoryTab BuildCategoryTab(QWidget* sheet, int tag);
    void BuildGeneralTab();
    QCheckBox* MakeContinueBox(QWidget* sheet);
    void ChainTabOrder();
    // Lays the dialog out for the screen it stands on, as if it were opened there.
    void LayOut();
    // Makes room for labels wider than the layout's and for a tall tab bar in the font at hand:
    // measured once the dialog is shown, when its font is final.
    void FitToFont(const DialogUnits& units);
    int RunFolderDialog(TFolder_Form& folder);

    struct CategoryFields {
        QWidget* sheet;
        QLineEdit* unlock;
        QLineEdit* extensions;
        QTreeWidget* folders;
        QCheckBox* continueFolder; // null on the Picture tab
    };
    const CategoryFields& Category(int category) const;
    // Shows the message and puts the focus into the field, on its tab.
    void RefuseField(QWidget* sheet, QLineEdit* field, const QString& message);
    bool CodesCanBeTyped();
    QTreeWidget* ListOf(QObject* sender) const;

    std::array<CategoryFields, 3> categories_{};
    bool shownOnce_ = false;
    PhoneInvitations invitations_;
    QImage phoneQr_;
    // The pending renewal of the invitation; dropped with it.
    QObject* renewal_ = nullptr;
};

// The settings dialog behind the interface the start-up configuration flow uses.
std::unique_ptr<ConfigurationDialog> MakeConfigurationDialog();
