#include "manual_clock.h"
#include "phone/phone_pairing.h"
#include "settings/general.h"
#include "settings/phone_remote.h"
#include "settings/store.h"
#include "test_store.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
using namespace std::chrono_literals;
using Outcome = PairingResult::Outcome;

const QHostAddress kPhone(QStringLiteral("192.168.1.20"));
const QHostAddress kOtherPhone(QStringLiteral("192.168.1.21"));

PairingProof Token(const PhoneInvitation& invitation) {
    return {PairingProof::Kind::Token, invitation.token};
}
PairingProof Code(const PhoneInvitation& invitation) {
    return {PairingProof::Kind::Code, invitation.code};
}
PairingProof WrongCode(const PhoneInvitation& invitation) {
    return {PairingProof::Kind::Code, invitation.code == u"000000" ? "000001" : "000000"};
}

class PhonePairingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        TestStore().UseDatabase(folder.filePath(QStringLiteral("settings.db")));
    }
    void TearDown() override { TestStore().UseDatabase(SettingsStore::DefaultDatabasePath()); }

    QTemporaryDir folder;
    ManualClock clock;
    PhonePairing pairing{clock, TestStore()};
};

TEST_F(PhonePairingTest, InvitationsAreFreshTokensAndSixDigitCodes) {
    QSet<QString> tokens;
    bool leadingZero = false;
    // One code in ten begins with 0: two hundred invitations miss it once in 10^9 runs.
    for (int i = 0; i < 200; ++i) {
        const PhoneInvitation invitation = pairing.Invite();
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^[0-9]{6}$")).match(invitation.code).hasMatch());
        leadingZero |= invitation.code.startsWith(u'0');
        const QByteArray bits =
            QByteArray::fromBase64(invitation.token.toLatin1(), QByteArray::Base64UrlEncoding);
        EXPECT_GE(bits.size(), 16);
        tokens.insert(invitation.token);
    }
    EXPECT_TRUE(leadingZero);
    EXPECT_EQ(tokens.size(), 200);
}

TEST_F(PhonePairingTest, AnInvitationPairsOnePhoneOnceWithinFiveMinutes) {
    QSignalSpy connected(&pairing, &PhonePairing::PhoneConnected);
    const PhoneInvitation replaced = pairing.Invite();
    const PhoneInvitation invitation = pairing.Invite();
    EXPECT_EQ(pairing.Redeem(Token(replaced), kPhone).outcome, Outcome::Refused);
    EXPECT_EQ(pairing.Redeem(WrongCode(invitation), kPhone).outcome, Outcome::Refused);

    clock.Advance(PhonePairing::kInvitationLife - 1ms);
    const PairingResult paired = pairing.Redeem(Code(invitation), kPhone);
    ASSERT_EQ(paired.outcome, Outcome::Paired);
    EXPECT_GE(paired.sessionSecret.size(), 22); // 128 bits in base64
    EXPECT_TRUE(pairing.IsSession(paired.sessionSecret));
    EXPECT_EQ(connected.count(), 1);
    // Neither its code nor its token pairs again.
    EXPECT_EQ(pairing.Redeem(Code(invitation), kOtherPhone).outcome, Outcome::Refused);
    EXPECT_EQ(pairing.Redeem(Token(invitation), kOtherPhone).outcome, Outcome::Refused);

    const PhoneInvitation expired = pairing.Invite();
    clock.Advance(PhonePairing::kInvitationLife);
    EXPECT_EQ(pairing.Redeem(Token(expired), kPhone).outcome, Outcome::Refused);
    EXPECT_EQ(connected.count(), 1);
}

TEST_F(PhonePairingTest, APeerWithFiveWrongTriesWaitsAMinute) {
    const PhoneInvitation invitation = pairing.Invite();
    for (int i = 0; i < PairingThrottle::kWrongTriesPerMinute; ++i) {
        clock.Advance(1s);
        EXPECT_EQ(pairing.Redeem(WrongCode(invitation), kPhone).outcome, Outcome::Refused);
    }
    // Not even the right code is tried now; another phone is not held back.
    EXPECT_EQ(pairing.Redeem(Code(invitation), kPhone).outcome, Outcome::TurnedAway);
    EXPECT_EQ(pairing.Redeem(WrongCode(invitation), kOtherPhone).outcome, Outcome::Refused);
    // A minute after its first wrong try the peer may try again.
    clock.Advance(PairingThrottle::kWindow - 5s);
    EXPECT_EQ(pairing.Redeem(Code(invitation), kPhone).outcome, Outcome::TurnedAway);
    clock.Advance(1s);
    EXPECT_EQ(pairing.Redeem(Code(invitation), kPhone).outcome, Outcome::Paired);
}

TEST_F(PhonePairingTest, TenWrongTriesInAllVoidTheInvitation) {
    const PhoneInvitation invitation = pairing.Invite();
    for (int i = 0; i < PhonePairing::kWrongTriesPerInvitation; ++i) {
        const QHostAddress peer(QStringLiteral("192.168.1.%1").arg(100 + i));
        EXPECT_EQ(pairing.Redeem(WrongCode(invitation), peer).outcome, Outcome::Refused);
    }
    EXPECT_EQ(pairing.Redeem(Token(invitation), kPhone).outcome, Outcome::Refused);
    EXPECT_EQ(pairing.Redeem(Token(pairing.Invite()), kPhone).outcome, Outcome::Paired);
}

TEST_F(PhonePairingTest, PhonesStayPairedAcrossRunsUntilForgotten) {
    std::vector<QByteArray> secrets;
    for (qsizetype i = 0; i <= kMaxPairedPhones; ++i)
        secrets.push_back(pairing.Redeem(Token(pairing.Invite()), kPhone).sessionSecret);
    // The store holds hashes, never a secret; the oldest phone beyond the most kept is gone.
    EXPECT_EQ(PairedPhoneHashes(TestStore()).back(),
              QCryptographicHash::hash(secrets.back(), QCryptographicHash::Sha256));
    PhonePairing nextRun(clock, TestStore());
    EXPECT_FALSE(nextRun.IsSession(secrets.front()));
    EXPECT_TRUE(nextRun.IsSession(secrets[1]));
    EXPECT_TRUE(nextRun.IsSession(secrets.back()));
    EXPECT_FALSE(
        nextRun.IsSession(secrets.back().chopped(1) + (secrets.back().endsWith('A') ? 'B' : 'A')));
    EXPECT_FALSE(nextRun.IsSession(PairedPhoneHashes(TestStore()).back()));
    EXPECT_FALSE(nextRun.IsSession({}));

    QSignalSpy forgotten(&nextRun, &PhonePairing::PhonesForgotten);
    nextRun.ForgetPhones();
    EXPECT_EQ(forgotten.count(), 1);
    EXPECT_FALSE(pairing.IsSession(secrets.back()));
    EXPECT_TRUE(ReadSetting(TestStore(), setting::PhoneRemote)); // the switch is another matter
}

} // namespace
