#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

// One row of a category's folder list in the settings dialog: its caption and two sub-items.
struct FolderRow {
    QString title;
    QString folder;
    QString lock; // "On" or "Off"
};

// How a phone pairs, as the TV shows it: the QR code of the page with its one-time token, the
// page's address to type, and the six-digit code. No address while nothing is served.
struct PhoneInvitationView {
    QImage qr; // one pixel per module: scale it up without smoothing
    QString address;
    QString code;
    // When it expires; a fresh one is asked for a little before.
    std::chrono::milliseconds life{0};
};
using PhoneInvitations = std::function<PhoneInvitationView()>;

// What the start-up configuration flow needs of the settings dialog, so that the flow can run
// against any dialog that keeps these contents. Categories are 1 (Video),
// 2 (Music) and 3 (Picture).
class ConfigurationDialog {
public:
    virtual ~ConfigurationDialog() = default;

    virtual void SetExitCode(const QString& text) = 0; // ED01
    virtual QString ExitCode() const = 0;
    virtual void SetActiveDelay(int seconds) = 0; // SE01
    virtual int ActiveDelay() const = 0;
    // Whether phones may pair and steer the program (CHB01).
    virtual void SetPhoneRemote(bool on) = 0;
    virtual bool PhoneRemote() const = 0;
    virtual void SetUnlockCode(int category, const QString& text) = 0; // ED101, ED201, ED301
    virtual QString UnlockCode(int category) const = 0;
    virtual void SetExtensions(int category, const QString& text) = 0; // ED102, ED202, ED302
    virtual QString Extensions(int category) const = 0;
    // Whether a file chosen in a folder list is followed by the next one of its folder; Video and
    // Music only (CHB101, CHB201).
    virtual void SetContinueFolder(int category, bool on) = 0;
    virtual bool ContinueFolder(int category) const = 0;
    virtual void AddFolderRow(int category, const FolderRow& row) = 0; // LV1, LV2, LV3
    virtual QList<FolderRow> FolderRows(int category) const = 0;
    // Shows how a phone pairs, renewed before each invitation expires, so that a new owner can
    // set up from the phone; never called while the phone remote is off.
    virtual void ShowPhoneInvitations(PhoneInvitations invitations) = 0;
    // Shows the dialog modally; 1 means accepted.
    virtual int ShowModal() = 0;

    // Runs when OK is pressed, before the dialog closes: it stores what the dialog holds. When it
    // raises AppError, the message is shown and the dialog stays open with every edit, for another
    // OK or Cancel.
    std::function<void()> OnAccept;
    // Runs at once when the owner asks for every paired phone to be forgotten (BTN01); raises
    // AppError when they cannot be.
    std::function<void()> OnForgetPhones;
};

using ConfigurationDialogFactory = std::function<std::unique_ptr<ConfigurationDialog>()>;
