#include "headless_chromium.h"
#include "input/app_command.h"
#include "phone_fixture.h"

namespace {

// The page in a real browser, on a Japanese phone, against the real server.
class PhonePageTest : public PhoneServerTest {
protected:
    void SetUp() override {
        if (HeadlessChromium::Program().isEmpty())
            GTEST_SKIP() << "chromium is not installed";
        PhoneServerTest::SetUp();
    }

    bool Shows(const char* id, const QString& text) {
        return browser.WaitFor(QStringLiteral("document.getElementById('%1').textContent === '%2'")
                                   .arg(QLatin1String(id), text));
    }
    // A mouse event in the middle of the page's button.
    void Mouse(const char* type, const QString& button) {
        const QJsonArray centre =
            browser
                .Evaluate(QStringLiteral("(() => { const b = document.querySelector("
                                         "'[data-button=\"%1\"]'); b.scrollIntoView(); const r = "
                                         "b.getBoundingClientRect(); return [r.x + r.width / 2, "
                                         "r.y + r.height / 2]; })()")
                              .arg(button))
                .toArray();
        browser.Call("Input.dispatchMouseEvent", {{"type", type},
                                                  {"x", centre.at(0)},
                                                  {"y", centre.at(1)},
                                                  {"button", "left"},
                                                  {"clickCount", 1}});
    }
    // The accessible names of the page's buttons, as a screen reader hears them.
    QStringList ButtonNames() {
        QStringList names;
        for (const QJsonValue node :
             browser.Call("Accessibility.getFullAXTree").value(u"nodes").toArray()) {
            const QJsonObject ax = node.toObject();
            if (ax.value(u"role").toObject().value(u"value").toString() == u"button" &&
                !ax.value(u"ignored").toBool())
                names.append(ax.value(u"name").toObject().value(u"value").toString());
        }
        return names;
    }

    HeadlessChromium browser{QStringLiteral("ja")};
};

TEST_F(PhonePageTest, TheQrCodesPageIsARemoteControl) {
    QSignalSpy connected(&pairing, &PhonePairing::PhoneConnected);
    server.SetNowPlaying({true,
                          QStringLiteral("Blue in Green"),
                          QStringLiteral("Miles Davis"),
                          QStringLiteral("Jazz"),
                          61000,
                          337000,
                          true,
                          {}});
    clock.Advance(PhoneServer::kPushDelay);
    ASSERT_TRUE(browser.Open(
        server.PairingUrl(QHostAddress(QHostAddress::LocalHost), pairing.Invite().token)));

    // What only the WebSocket brings: the session cookie went with it from the page's origin.
    ASSERT_TRUE(Shows("np-title", QStringLiteral("Blue in Green")));
    EXPECT_EQ(connected.count(), 1);
    EXPECT_TRUE(Shows("np-detail", QStringLiteral("Miles Davis")));
    EXPECT_TRUE(Shows("np-time", QStringLiteral("1:01 / 5:37")));
    EXPECT_TRUE(Shows("np-state", QStringLiteral("一時停止中")));
    // The token is off the address, and the session out of the script's reach.
    EXPECT_EQ(browser.Evaluate(QStringLiteral("location.href")).toString(),
              QString::fromLatin1(Origin() + '/'));
    EXPECT_EQ(browser.Evaluate(QStringLiteral("document.cookie")).toString(), u"");
    EXPECT_EQ(ButtonNames(), (QStringList{"戻る",  "上",   "ホーム", "左",    "決定",
                                          "右",    "下",   "前へ",   "戻す",  "再生/一時停止",
                                          "送る",  "次へ", "停止",   "音量-", "消音",
                                          "音量+", "1",    "2",      "3",     "4",
                                          "5",     "6",    "7",      "8",     "9",
                                          "0"}));

    // Held down: a press, keep-alives every 200 ms, a release when let go.
    Mouse("mousePressed", QStringLiteral("Down"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return held.size() >= 2; }, 5000));
    Mouse("mouseReleased", QStringLiteral("Down"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !released.empty(); }, 5000));
    EXPECT_EQ(pressed, std::vector<InputCommand>{InputCommand::Key(vk::Down)});
    EXPECT_EQ(released, std::vector<InputCommand>{InputCommand::Key(vk::Down)});
    // Enter on a focused button presses and lets go.
    browser.Evaluate(QStringLiteral("document.querySelector('[data-button=\"Next\"]').focus()"));
    for (const char* type : {"keyDown", "keyUp"})
        browser.Call(
            "Input.dispatchKeyEvent",
            {{"type", type}, {"key", "Enter"}, {"windowsVirtualKeyCode", 13}, {"text", "\r"}});
    ASSERT_TRUE(QTest::qWaitFor([this] { return released.size() == 2; }, 5000));
    EXPECT_EQ(released.back(), InputCommand::Command(appcommand::NextTrack));

    // The TV away and back: the page connects again by itself.
    const quint16 port = server.Port();
    server.Close();
    server.SetNowPlaying(
        {true, QStringLiteral("So What"), {}, QStringLiteral("Jazz"), 0, 1, false, {}});
    ASSERT_TRUE(Shows("status", QStringLiteral("接続が切れました。再接続中…")));
    ASSERT_TRUE(server.Listen({QHostAddress(QHostAddress::LocalHost)}, port));
    ASSERT_TRUE(Shows("np-title", QStringLiteral("So What")));
    EXPECT_TRUE(Shows("np-detail", QStringLiteral("Jazz")));

    // Unpaired, it asks for the code, which pairs it again.
    pairing.ForgetPhones();
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("!document.getElementById('pairing').hidden")));
    EXPECT_EQ(browser.Evaluate(QStringLiteral("document.querySelector('h1').textContent")),
              QStringLiteral("テレビに表示されたコードを入力してください"));
    browser.Evaluate(QStringLiteral("document.getElementById('code').value = '%1';"
                                    "document.getElementById('pair-form').requestSubmit()")
                         .arg(pairing.Invite().code));
    EXPECT_TRUE(Shows("np-title", QStringLiteral("So What")));
    EXPECT_EQ(connected.count(), 2);
}

} // namespace
