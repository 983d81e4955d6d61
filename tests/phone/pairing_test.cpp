#include "manual_clock.h"
#include "phone/phone_pairing.h"
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

PairingProof Token(const QString& token) {
    return {PairingProof::Kind::Token, token};
}
PairingProof Code(const QString& code) {
    return {PairingProof::Kind::Code, code};
}

// Another six digits than the invitation's.
QString WrongCode(const PhoneInvitation& invitation) {
    return invitation.code == u"000000" ? QStringLiteral("000001") : QStringLiteral("000000");
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

TEST_F(PhonePairingTest, InvitationsAreFreshRandomTokensAndSixDigitCodes) {
    const QRegularExpression sixDigits(QStringLiteral("^[0-9]{6}$"));
    QSet<QString> tokens;
    bool leadingZero = false;
    // One code in ten begins with 0; two hundred invitations show one but once in 10^9 runs.
    for (int i = 0; i < 200; ++i) {
        const PhoneInvitation invitation = pairing.Invite();
        EXPECT_TRUE(sixDigits.match(invitation.code).hasMatch()) << qPrintable(invitation.code);
        leadingZero |= invitation.code.startsWith(u'0');
        EXPECT_GE(QByteArray::fromBase64(invitation.token.toLatin1(), QByteArray::Base64UrlEncoding)
                      .size(),
                  16);
        tokens.insert(invitation.token);
        EXPECT_EQ(invitation.expires, clock.Now() + PhonePairing::kInvitationLife);
    }
    EXPECT_TRUE(leadingZero);
    EXPECT_EQ(tokens.size(), 200);
}

TEST_F(PhonePairingTest, AnInvitationPairsOnePhoneOnce) {
    QSignalSpy connected(&pairing, &PhonePairing::PhoneConnected);
    const PhoneInvitation invitation = pairing.Invite();

    const PairingResult paired = pairing.Redeem(Token(invitation.token), kPhone);
    ASSERT_EQ(paired.outcome, Outcome::Paired);
    EXPECT_GE(paired.sessionSecret.size(), 22); // 128 bits in base64
    EXPECT_TRUE(pairing.IsSession(paired.sessionSecret));
    EXPECT_EQ(connected.count(), 1);

    // Neither the token nor the code pairs again.
    EXPECT_EQ(pairing.Redeem(Token(invitation.token), kOtherPhone).outcome, Outcome::Refused);
    EXPECT_EQ(pairing.Redeem(Code(invitation.code), kOtherPhone).outcome, Outcome::Refused);
    EXPECT_EQ(connected.count(), 1);
}

TEST_F(PhonePairingTest, TheCodePairsAsTheTokenDoes) {
    const PhoneInvitation invitation = pairing.Invite();
    EXPECT_EQ(pairing.Redeem(Code(WrongCode(invitation)), kPhone).outcome, Outcome::Refused);
    EXPECT_EQ(pairing.Redeem(Code(invitation.token), kPhone).outcome, Outcome::Refused);
    const PairingResult paired = pairing.Redeem(Code(invitation.code), kPhone);
    EXPECT_EQ(paired.outcome, Outcome::Paired);
    EXPECT_TRUE(pairing.IsSession(paired.sessionSecret));
}

TEST_F(PhonePairingTest, AnInvitationLastsFiveMinutes) {
    const PhoneInvitation first = pairing.Invite();
    clock.Advance(PhonePairing::kInvitationLife);
    EXPECT_EQ(pairing.Redeem(Token(first.token), kPhone).outcome, Outcome::Refused);

    const PhoneInvitation second = pairing.Invite();
    clock.Advance(PhonePairing::kInvitationLife - 1ms);
    EXPECT_EQ(pairing.Redeem(Code(second.code), kPhone).outcome, Outcome::Paired);
}

TEST_F(PhonePairingTest, ANewInvitationReplacesTheOldOne) {
    const PhoneInvitation old = pairing.Invite();
    const PhoneInvitation invitation = pairing.Invite();
    EXPECT_EQ(pairing.Redeem(Token(old.token), kPhone).outcome, Outcome::Refused);
    EXPECT_EQ(pairing.Redeem(Token(invitation.token), kPhone).outcome, Outcome::Paired);
}

TEST_F(PhonePairingTest, APeerWithFiveWrongTriesWaitsAMinute) {
    const PhoneInvitation invitation = pairing.Invite();
    for (int i = 0; i < PairingThrottle::kWrongTriesPerMinute; ++i) {
        clock.Advance(1s);
        EXPECT_EQ(pairing.Redeem(Code(WrongCode(invitation)), kPhone).outcome, Outcome::Refused);
    }
    // Even the right code is not tried now; another phone is not held back.
    EXPECT_EQ(pairing.Redeem(Code(invitation.code), kPhone).outcome, Outcome::TurnedAway);
    EXPECT_EQ(pairing.Redeem(Code(WrongCode(invitation)), kOtherPhone).outcome, Outcome::Refused);

    // A minute after its first wrong try the peer has one try again.
    clock.Advance(PairingThrottle::kWindow - 5s);
    EXPECT_EQ(pairing.Redeem(Code(invitation.code), kPhone).outcome, Outcome::TurnedAway);
    clock.Advance(1s);
    EXPECT_EQ(pairing.Redeem(Code(invitation.code), kPhone).outcome, Outcome::Paired);
}

TEST_F(PhonePairingTest, TenWrongTriesInAllVoidTheInvitation) {
    const PhoneInvitation invitation = pairing.Invite();
    for (int i = 0; i < PhonePairing::kWrongTriesPerInvitation; ++i) {
        const QHostAddress peer(QStringLiteral("192.168.1.%1").arg(100 + i));
        EXPECT_EQ(pairing.Redeem(Code(WrongCode(invitation)), peer).outcome, Outcome::Refused);
    }
    EXPECT_EQ(pairing.Redeem(Token(invitation.token), kPhone).outcome, Outcome::Refused);

    const PhoneInvitation next = pairing.Invite();
    EXPECT_EQ(pairing.Redeem(Code(next.code), kPhone).outcome, Outcome::Paired);
}

TEST_F(PhonePairingTest, TheStoreKeepsOnlyHashesAndPhonesStayPairedAcrossRuns) {
    const QByteArray secret = pairing.Redeem(Token(pairing.Invite().token), kPhone).sessionSecret;
    EXPECT_EQ(PairedPhoneHashes(TestStore()),
              QList<QByteArray>{QCryptographicHash::hash(secret, QCryptographicHash::Sha256)});

    PhonePairing nextRun(clock, TestStore());
    EXPECT_TRUE(nextRun.IsSession(secret));
    EXPECT_FALSE(nextRun.IsSession(secret.left(secret.size() - 1) + 'x'));
    EXPECT_FALSE(nextRun.IsSession({}));
    EXPECT_FALSE(nextRun.IsSession(PairedPhoneHashes(TestStore()).front()));
}

TEST_F(PhonePairingTest, OnlyTheMostRecentPhonesAreKept) {
    std::vector<QByteArray> secrets;
    for (qsizetype i = 0; i <= kMaxPairedPhones; ++i)
        secrets.push_back(pairing.Redeem(Token(pairing.Invite().token), kPhone).sessionSecret);
    EXPECT_FALSE(pairing.IsSession(secrets.front()));
    EXPECT_TRUE(pairing.IsSession(secrets[1]));
    EXPECT_TRUE(pairing.IsSession(secrets.back()));
}

TEST_F(PhonePairingTest, ForgettingPhonesEndsEverySession) {
    QSignalSpy forgotten(&pairing, &PhonePairing::PhonesForgotten);
    const QByteArray first = pairing.Redeem(Token(pairing.Invite().token), kPhone).sessionSecret;
    const QByteArray second = pairing.Redeem(Code(pairing.Invite().code), kPhone).sessionSecret;
    pairing.ForgetPhones();
    EXPECT_FALSE(pairing.IsSession(first));
    EXPECT_FALSE(pairing.IsSession(second));
    EXPECT_EQ(forgotten.count(), 1);
}

// The switch the settings dialog shows is on until it is turned off, and stays as it was set.
TEST_F(PhonePairingTest, TheSwitchIsOnByDefault) {
    EXPECT_TRUE(PhoneRemoteOn(TestStore()));
    SetPhoneRemoteOn(TestStore(), false);
    EXPECT_FALSE(PhoneRemoteOn(TestStore()));
    SetPhoneRemoteOn(TestStore(), true);
    EXPECT_TRUE(PhoneRemoteOn(TestStore()));
}

} // namespace
