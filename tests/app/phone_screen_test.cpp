#include "app/phone_form.h"
#include "app/phone_remote.h"
#include "manual_clock.h"
#include "phone/phone_pairing.h"
#include "phone/phone_server.h"
#include "settings/general.h"
#include "test_store.h"

#include <QHostAddress>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {
using namespace std::chrono_literals;

// The pairing screen over a real server on the loopback, on a clock the test moves.
class PhoneScreen : public ::testing::Test {
protected:
    void SetUp() override {
        EraseSettingKey(TestStore(), 0, settingskey::Root);
        ASSERT_TRUE(server.Listen({QHostAddress::LocalHost}, 0));
        screen.resize(1920, 1080);
        screen.show();
    }
    void TearDown() override { EraseSettingKey(TestStore(), 0, settingskey::Root); }

    ManualClock clock;
    PhonePairing pairing{clock, TestStore()};
    PhoneServer server{pairing, clock};
    TPhone_Form screen{pairing, [this] { return InvitationOf(pairing, server, clock); }, clock};
};

TEST_F(PhoneScreen, ShowsTheAddressAndASixDigitCodeThatPairsOnce) {
    EXPECT_EQ(screen.Address(), QStringLiteral("http://127.0.0.1:%1/").arg(server.Port()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]{6}$")).match(screen.Code()).hasMatch());
    EXPECT_FALSE(screen.Connected());
    const QString first = screen.Code();

    const PairingResult paired =
        pairing.Redeem({PairingProof::Kind::Code, first}, QHostAddress::LocalHost);
    ASSERT_EQ(paired.outcome, PairingResult::Outcome::Paired);
    EXPECT_TRUE(screen.Connected());
    // The used code is gone from the screen; the next phone pairs with a fresh one.
    EXPECT_NE(screen.Code(), first);
    EXPECT_EQ(pairing.Redeem({PairingProof::Kind::Code, first}, QHostAddress::LocalHost).outcome,
              PairingResult::Outcome::Refused);
    EXPECT_EQ(
        pairing.Redeem({PairingProof::Kind::Code, screen.Code()}, QHostAddress::LocalHost).outcome,
        PairingResult::Outcome::Paired);
}

TEST_F(PhoneScreen, TheCodeIsRenewedBeforeItExpires) {
    const QString first = screen.Code();
    clock.Advance(PhonePairing::kInvitationLife - 30s);
    EXPECT_EQ(screen.Code(), first);
    clock.Advance(15s);
    const QString renewed = screen.Code();
    EXPECT_NE(renewed, first);
    // The code on the screen works up to the time the one before it would have expired, and on.
    clock.Advance(20s);
    EXPECT_EQ(pairing.Redeem({PairingProof::Kind::Code, renewed}, QHostAddress::LocalHost).outcome,
              PairingResult::Outcome::Paired);
}

TEST_F(PhoneScreen, BackEscOrF1CloseIt) {
    for (const int key : {vk::Escape, vk::F1}) {
        screen.show();
        EXPECT_TRUE(screen.PressKey(key));
        EXPECT_FALSE(screen.isVisible());
    }
}
} // namespace
