#pragma once

#include "dialogs/configuration_dialog.h"
#include "ui/form.h"

#include <QCoreApplication>
#include <QImage>
#include <QString>

class Clock;
class ImageWidget;
class PhonePairing;
class QLabel;
class TPGradation;

// The screen that pairs a phone: a QR code of the remote control page with a one-time token, the
// same address as text, and a six-digit code for a phone without a camera. The invitation is
// renewed before it expires, and once more after a phone has used it. Back, Esc or F1 close it.
class TPhone_Form : public Form {
    Q_DECLARE_TR_FUNCTIONS(TPhone_Form)

public:
    // invitations: a new one each time it is called.
    TPhone_Form(PhonePairing& pairing, PhoneInvitations invitations, Clock& clock);

    void FormShow() override;
    void FormKeyDown(int& key, ShiftState shift) override;

    // What the screen shows now, for whoever checks it.
    QString Address() const { return address_; }
    QString Code() const { return code_; }
    bool Connected() const { return connected_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void FollowNewSize() override;

private:
    void Invite();
    void ShowConnected();
    void LayOut(int screenWidth, int screenHeight);

    PhoneInvitations invitations_;
    Clock& clock_;
    ImageWidget* Image1;
    TPGradation* PG1;
    QLabel* LBLTitle;
    QLabel* IMGCode;
    QLabel* LBLHelp;
    QLabel* LBLAddress;
    QLabel* LBLCode;
    QLabel* LBLStatus;
    QImage qr_;
    QString address_;
    QString code_;
    bool connected_ = false;
    // Renewals before this one are dropped when it is made.
    QObject* renewal_ = nullptr;
};
