#include "phone/setup_requests.h"
#include "phone_fixture.h"
#include "recording_setup.h"
#include "settings/phone_remote.h"

#include <QCryptographicHash>
#include <QJsonDocument>

namespace {
using namespace std::chrono_literals;

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A paired phone's set-up on the real server, as the page's script reaches it.
class PhoneSetupTest : public PhoneServerTest {
protected:
    void SetUp() override {
        PhoneServerTest::SetUp();
        server.SetSetup(&setup);
    }

    QByteArray Cookie() { return "Cookie: " + PairedCookie(); }
    HttpAnswer Unlock(const QByteArray& cookie, const QString& code) {
        return Post("/setup/unlock", Json({{"exitCode", code}}), {cookie, "Origin: " + Origin()});
    }
    HttpAnswer UnlockedCookie(QByteArray& cookie) {
        cookie = Cookie();
        return Unlock(cookie, setup.settings.value(u"exitCode").toString());
    }
    HttpAnswer Store(const QByteArray& cookie, const QByteArray& body) {
        return Post("/setup/settings", body, {cookie, "Origin: " + Origin()});
    }

    RecordingSetup setup;
};

TEST_F(PhoneSetupTest, TheExitCodeOpensTheSettings) {
    const QByteArray cookie = Cookie();
    EXPECT_EQ(Get("/setup/settings", {cookie}).status, 403);
    EXPECT_EQ(Get("/setup/folders?path=", {cookie}).status, 403);
    EXPECT_EQ(Store(cookie, Json(setup.settings)).status, 403);
    EXPECT_EQ(Unlock(cookie, QStringLiteral("81536048")).status, 403);
    EXPECT_EQ(Get("/setup/settings", {cookie}).status, 403);
    // Not to a phone that is not paired, whatever it knows.
    EXPECT_EQ(Unlock("Cookie: couchframe_phone=forged", QStringLiteral("81536047")).status, 403);

    EXPECT_EQ(Unlock(cookie, QStringLiteral("81536047")).status, 204);
    const HttpAnswer settings = Get("/setup/settings", {cookie});
    EXPECT_EQ(settings.status, 200);
    EXPECT_EQ(settings.Header("Content-Type"), "application/json");
    EXPECT_EQ(QJsonDocument::fromJson(settings.body).object(), setup.settings);
    EXPECT_TRUE(setup.saves.empty());
    EXPECT_EQ(Get("/setup/settings").status, 403);
}

TEST_F(PhoneSetupTest, WrongExitCodesAreThrottled) {
    const QByteArray cookie = Cookie();
    for (int i = 0; i < PairingThrottle::kWrongTriesPerMinute; ++i)
        EXPECT_EQ(Unlock(cookie, QString::number(i)).status, 403);
    EXPECT_EQ(Unlock(cookie, QStringLiteral("81536047")).status, 429);
    EXPECT_EQ(Get("/setup/settings", {cookie}).status, 403);
    clock.Advance(PairingThrottle::kWindow);
    EXPECT_EQ(Unlock(cookie, QStringLiteral("81536047")).status, 204);
}

TEST_F(PhoneSetupTest, AnUnlockLastsTenMinutesForItsSessionOnly) {
    QByteArray cookie, other = Cookie();
    ASSERT_EQ(UnlockedCookie(cookie).status, 204);
    EXPECT_EQ(Get("/setup/settings", {other}).status, 403);
    EXPECT_EQ(Get("/setup/folders?path=", {other}).status, 403);

    clock.Advance(10min - 1s);
    EXPECT_EQ(Get("/setup/settings", {cookie}).status, 200);
    clock.Advance(1s);
    EXPECT_EQ(Get("/setup/settings", {cookie}).status, 403);
    EXPECT_EQ(Store(cookie, Json(setup.settings)).status, 403);
    EXPECT_TRUE(setup.saves.empty());
}

TEST_F(PhoneSetupTest, ForgettingPhonesLocksTheSetUp) {
    QByteArray cookie;
    ASSERT_EQ(UnlockedCookie(cookie).status, 204);
    pairing.ForgetPhones();
    // The phone known again, as from a restored settings file: paired, but locked.
    const QByteArray secret = cookie.mid(cookie.indexOf('=') + 1);
    AddPairedPhoneHash(TestStore(), QCryptographicHash::hash(secret, QCryptographicHash::Sha256));
    ASSERT_EQ(Get("/session", {cookie}).status, 204);
    EXPECT_EQ(Get("/setup/settings", {cookie}).status, 403);
}

TEST_F(PhoneSetupTest, SettingsAreStoredWholeOrRefusedWithTheProgramsMessage) {
    QByteArray cookie;
    ASSERT_EQ(UnlockedCookie(cookie).status, 204);
    QJsonObject edited = setup.settings;
    edited.insert(u"exitCode", QStringLiteral("2468"));
    edited.insert(u"activeDelay", 30);
    EXPECT_EQ(Store(cookie, Json(edited)).status, 204);
    ASSERT_EQ(setup.saves.size(), 1U);
    EXPECT_EQ(setup.saves.back(), edited);
    EXPECT_EQ(QJsonDocument::fromJson(Get("/setup/settings", {cookie}).body).object(), edited);

    edited.insert(u"exitCode", setup.refusedExitCode);
    const HttpAnswer refused = Store(cookie, Json(edited));
    EXPECT_EQ(refused.status, 422);
    EXPECT_EQ(refused.Header("Content-Type"), "application/json");
    EXPECT_EQ(QJsonDocument::fromJson(refused.body).object().value(u"message").toString(),
              setup.refusal);

    EXPECT_EQ(Store(cookie, "[1, 2]").status, 400);
    EXPECT_EQ(Store(cookie, "{\"exitCode\":").status, 400);
    EXPECT_EQ(setup.saves.size(), 2U);
}

TEST_F(PhoneSetupTest, LargeBodiesAndOtherSitesAreRefused) {
    QByteArray cookie;
    ASSERT_EQ(UnlockedCookie(cookie).status, 204);
    QByteArray large = Json(setup.settings);
    large += QByteArray(SetupRequests::kMaxBody + 1 - large.size(), ' ');
    EXPECT_EQ(Store(cookie, large).status, 413);

    const QByteArray foreign = "Origin: http://attacker.example";
    EXPECT_EQ(Post("/setup/settings", Json(setup.settings), {cookie, foreign}).status, 403);
    EXPECT_EQ(Get("/setup/settings", {cookie, foreign}).status, 403);
    EXPECT_EQ(Get("/setup/settings", {"Host: attacker.example", cookie}).status, 421);
    EXPECT_TRUE(setup.saves.empty());

    // Nor does another site's page unlock a session.
    const QByteArray other = Cookie();
    EXPECT_EQ(Post("/setup/unlock", Json({{"exitCode", "81536047"}}), {other, foreign}).status,
              403);
    EXPECT_EQ(Get("/setup/settings", {other}).status, 403);
}

TEST_F(PhoneSetupTest, FolderListingsPassThePathThrough) {
    const QString path = QStringLiteral("/srv/映画 & more/a+b");
    setup.folders.insert(path, QJsonArray{QJsonObject{{"name", "2024"}, {"path", path + "/2024"}}});
    QByteArray cookie;
    ASSERT_EQ(UnlockedCookie(cookie).status, 204);
    const HttpAnswer listing =
        Get("/setup/folders?path=" + QUrl::toPercentEncoding(path), {cookie});
    EXPECT_EQ(listing.status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(listing.body).array(), setup.folders.value(path));
    EXPECT_EQ(Get("/setup/folders", {cookie}).body, "[]");
    EXPECT_EQ(setup.browsed, (QStringList{path, QString()}));
}

TEST_F(PhoneSetupTest, WithoutASetUpThereIsNone) {
    QByteArray cookie;
    ASSERT_EQ(UnlockedCookie(cookie).status, 204);
    server.SetSetup(nullptr);
    for (const char* path : {"/setup/unlock", "/setup/settings", "/setup/folders"})
        EXPECT_EQ(Get(path, {cookie}).status, 404) << path;
    EXPECT_EQ(Unlock(cookie, QStringLiteral("81536047")).status, 404);
}

} // namespace
