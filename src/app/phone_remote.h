#pragma once

#include "app/phone_setup_service.h"
#include "dialogs/configuration_dialog.h"
#include "phone/phone_pairing.h"
#include "phone/phone_server.h"
#include "phone/served_addresses.h"

#include <QHostAddress>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class Clock;
class Form;
class InputRouter;
class MediaSessions;
class SettingsStore;

// A new invitation as the TV shows it, on the first of the served addresses (the likeliest for a
// phone).
PhoneInvitationView InvitationOf(PhonePairing& pairing, const PhoneServer& server,
                                 const Clock& clock);

// The phone remote of one run: pairing, the server, the phones' buttons into the input router and
// what is playing out to the phones. Built in main(); it serves nothing until Start, which the
// main menu calls after its first paint so that start-up does not pay for it.
class PhoneRemote : public QObject {
public:
    // Where to serve, asked at every Start: the machine's addresses by default, or fewer (a test
    // that stays on the loopback).
    using AddressSource = std::function<QList<QHostAddress>()>;

    PhoneRemote(Clock& clock, SettingsStore& store, InputRouter& input, MediaSessions& sessions,
                quint16 port = PhoneServer::kDefaultPort, AddressSource addresses = LanAddresses);
    ~PhoneRemote() override;
    PhoneRemote(const PhoneRemote&) = delete;
    PhoneRemote& operator=(const PhoneRemote&) = delete;

    // Serves the page on the loopback and the home network, unless the owner turned the phone
    // remote off. Again after a wake-up: the network addresses may have changed.
    void Start();
    bool Serving() const { return !server_.ServedAddresses().isEmpty(); }

    // The pairing screen.
    std::unique_ptr<Form> MakeScreen();
    // The settings dialog, showing how a phone pairs while the phone remote is on: the first run
    // is set up from a phone too, so the phones are served from then on.
    std::unique_ptr<ConfigurationDialog>
    MakeConfigurationDialog(const ConfigurationDialogFactory& makeDialog);

    PhonePairing& Pairing() { return pairing_; }
    PhoneSetupService& Setup() { return setup_; }
    PhoneServer& Server() { return server_; }

private:
    void TellPhonesWhatPlays();
    bool On() const;

    Clock& clock_;
    SettingsStore& store_;
    MediaSessions& sessions_;
    quint16 port_;
    AddressSource addresses_;
    PhonePairing pairing_;
    // Before the server, which asks it until the server is gone.
    PhoneSetupService setup_;
    PhoneServer server_;
    // While something plays the phones are told its position now and then; nothing else wakes.
    QObject* positionRefresh_ = nullptr;
    qint64 coverKey_ = 0;
    QByteArray cover_;
};
