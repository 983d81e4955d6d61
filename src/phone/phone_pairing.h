#pragma once

#include "phone/pairing_throttle.h"
#include "platform/clock.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class SettingsStore;

// An invitation to pair, shown on the TV: the token goes into the QR code's URL, the code is for
// typing. Either pairs one phone, once, until it expires.
struct PhoneInvitation {
    QString token; // 128 random bits and more, base64url
    QString code;  // six digits, leading zeros kept
    Clock::TimePoint expires;
};

// What a phone presents to pair.
struct PairingProof {
    enum class Kind { Token, Code };
    Kind kind = Kind::Token;
    QString value;
};

struct PairingResult {
    enum class Outcome { Paired, Refused, TurnedAway };
    Outcome outcome = Outcome::Refused;
    QByteArray sessionSecret; // when paired: what the phone presents from now on
};

// Pairs phones with the program and knows the paired ones. A paired phone holds a session secret
// of its own; the store keeps only its hash (settings/phone_remote.h), so phones stay paired
// across runs. Secrets, tokens and codes are compared in constant time. A six-digit code could be
// guessed by trying: a peer gets kWrongTriesPerMinute wrong tries a minute (PairingThrottle), and
// kWrongTriesPerInvitation in all void the invitation.
class PhonePairing : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::minutes kInvitationLife{5};
    static constexpr int kWrongTriesPerInvitation = 10;

    PhonePairing(Clock& clock, SettingsStore& store, QObject* parent = nullptr);

    // A new invitation, in place of any earlier one.
    PhoneInvitation Invite();
    PairingResult Redeem(const PairingProof& proof, const QHostAddress& peer);
    bool IsSession(const QByteArray& secret) const;
    // Unpairs every phone: the connected ones are let go at once (PhonesForgotten).
    void ForgetPhones();

signals:
    void PhoneConnected();
    void PhonesForgotten();

private:
    bool Admits(const PairingProof& proof) const;

    Clock& clock_;
    SettingsStore& store_;
    PairingThrottle throttle_;
    std::optional<PhoneInvitation> invitation_;
    int wrongTries_ = 0; // against the current invitation
};
