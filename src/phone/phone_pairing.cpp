#include "phone/phone_pairing.h"

#include "settings/phone_remote.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace {
// 256 bits from the system's cryptographic generator, base64url without padding.
QByteArray RandomSecret() {
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.data()), sizeof(words))
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QString RandomCode() {
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10,
                                    QLatin1Char('0'));
}

// Takes as long whatever the first difference, so that the time of a refusal tells nothing.
bool SameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

QByteArray SessionHash(const QByteArray& secret) {
    return QCryptographicHash::hash(secret, QCryptographicHash::Sha256);
}
} // namespace

PhonePairing::PhonePairing(Clock& clock, SettingsStore& store, QObject* parent)
    : QObject(parent), clock_(clock), store_(store), throttle_(clock) {}

PhoneInvitation PhonePairing::Invite() {
    invitation_ = PhoneInvitation{QString::fromLatin1(RandomSecret()), RandomCode(),
                                  clock_.Now() + kInvitationLife};
    wrongTries_ = 0;
    return *invitation_;
}

PairingResult PhonePairing::Redeem(const PairingProof& proof, const QHostAddress& peer) {
    if (throttle_.TurnsAway(peer))
        return {PairingResult::Outcome::TurnedAway, {}};
    if (!Admits(proof)) {
        throttle_.CountWrongTry(peer);
        if (invitation_ && ++wrongTries_ >= kWrongTriesPerInvitation)
            invitation_.reset();
        return {PairingResult::Outcome::Refused, {}};
    }
    invitation_.reset();
    const QByteArray secret = RandomSecret();
    AddPairedPhoneHash(store_, SessionHash(secret));
    emit PhoneConnected();
    return {PairingResult::Outcome::Paired, secret};
}

bool PhonePairing::Admits(const PairingProof& proof) const {
    if (!invitation_ || clock_.Now() >= invitation_->expires)
        return false;
    const QString& expected =
        proof.kind == PairingProof::Kind::Token ? invitation_->token : invitation_->code;
    return SameBytes(proof.value.toUtf8(), expected.toUtf8());
}

bool PhonePairing::IsSession(const QByteArray& secret) const {
    if (secret.isEmpty())
        return false;
    const QByteArray hash = SessionHash(secret);
    bool paired = false;
    for (const QByteArray& known : PairedPhoneHashes(store_))
        paired |= SameBytes(hash, known);
    return paired;
}

void PhonePairing::ForgetPhones() {
    ForgetPairedPhones(store_);
    emit PhonesForgotten();
}
