#include "headless_chromium.h"
#include "input/app_command.h"
#include "phone_fixture.h"
#include "recording_setup.h"

namespace {
using namespace std::chrono_literals;

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
    bool Visible(const char* id) {
        return browser.WaitFor(
            QStringLiteral("document.getElementById('%1').offsetParent !== null").arg(id));
    }
    // A mouse event in the middle of the element the selector finds.
    void Mouse(const char* type, const QString& selector) { browser.Mouse(type, selector); }
    void Click(const QString& selector) {
        Mouse("mousePressed", selector);
        Mouse("mouseReleased", selector);
    }
    // Types the text over what the field held, as a phone's keyboard does.
    void Type(const QString& selector, const QString& text) {
        browser.Evaluate(QStringLiteral("{ const field = document.querySelector('%1'); "
                                        "field.focus(); field.select(); }")
                             .arg(selector));
        browser.Call("Input.insertText", {{"text", text}});
    }
    bool PickerLists(const QString& names) {
        return browser.WaitFor(
            QStringLiteral("[...document.querySelectorAll('#picker-folders "
                           "button')].map(b => b.textContent).join('|') === '%1'")
                .arg(names));
    }
    // The accessible names of the page's buttons, as a screen reader hears them, in the tree's
    // order: the buttons of a group after those beside it.
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
    // The set-up's button is beside the groups, not in one.
    EXPECT_EQ(ButtonNames(), (QStringList{"設定"} +
                              QStringList{"戻る",  "上",   "ホーム", "左",    "決定",
                                          "右",    "下",   "前へ",   "戻す",  "再生/一時停止",
                                          "送る",  "次へ", "停止",   "音量-", "消音",
                                          "音量+", "1",    "2",      "3",     "4",
                                          "5",     "6",    "7",      "8",     "9",
                                          "0"}));

    // Held down: a press, keep-alives every 200 ms, a release when let go.
    Mouse("mousePressed", QStringLiteral("[data-button=\"Down\"]"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return held.size() >= 2; }, 5000));
    Mouse("mouseReleased", QStringLiteral("[data-button=\"Down\"]"));
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

TEST_F(PhonePageTest, TheOwnerSetsTheProgramUpBehindTheExitCode) {
    RecordingSetup setup;
    const QJsonObject music{{"name", "Music"}, {"path", "/home/owner/Music"}};
    setup.folders.insert({}, QJsonArray{QJsonObject{{"name", "owner"}, {"path", "/home/owner"}},
                                        QJsonObject{{"name", "media"}, {"path", "/media"}}});
    setup.folders.insert(
        QStringLiteral("/home/owner"),
        QJsonArray{QJsonObject{{"name", "Films"}, {"path", "/home/owner/Films"}}, music});
    server.SetSetup(&setup);
    QJsonObject expected = setup.settings;
    ASSERT_TRUE(browser.Open(
        server.PairingUrl(QHostAddress(QHostAddress::LocalHost), pairing.Invite().token)));
    ASSERT_TRUE(Visible("remote"));

    Click(QStringLiteral("#setup-button"));
    ASSERT_TRUE(Visible("unlock-code"));
    EXPECT_EQ(browser.Evaluate(QStringLiteral("document.getElementById('unlock-code').inputMode")),
              QStringLiteral("numeric"));
    Type(QStringLiteral("#unlock-code"), QStringLiteral("81536047"));
    Click(QStringLiteral("#unlock-button"));
    ASSERT_TRUE(Visible("settings-form"));
    EXPECT_EQ(browser.Evaluate(QStringLiteral("[...document.querySelectorAll('legend')].map(l => "
                                              "l.textContent).join('|')")),
              QStringLiteral("全般|my Video|my Music|my Picture"));

    Type(QStringLiteral("#exit-code"), QStringLiteral("2468"));
    Click(QStringLiteral("#categories > :nth-child(2) .add-folder"));
    ASSERT_TRUE(PickerLists(QStringLiteral("owner|media")));
    Click(QStringLiteral("#picker-folders li:nth-child(1) button"));
    ASSERT_TRUE(PickerLists(QStringLiteral("Films|Music")));
    Click(QStringLiteral("#picker-folders li:nth-child(2) button"));
    ASSERT_TRUE(Visible("picker-empty"));
    EXPECT_TRUE(Shows("picker-path", QStringLiteral("/home/owner/Music")));
    Click(QStringLiteral("#picker-choose"));
    ASSERT_TRUE(Visible("settings-form"));
    Click(QStringLiteral("#save"));

    ASSERT_TRUE(Shows("setup-message", QStringLiteral("保存しました")));
    expected.insert(u"exitCode", QStringLiteral("2468"));
    QJsonArray categories = expected.value(u"categories").toArray();
    QJsonObject musicCategory = categories.at(1).toObject();
    musicCategory.insert(u"folders", QJsonArray{QJsonObject{{"title", "Music"},
                                                            {"folder", music.value(u"path")},
                                                            {"lock", false}}});
    categories.replace(1, musicCategory);
    expected.insert(u"categories", categories);
    ASSERT_EQ(setup.saves.size(), 1U);
    EXPECT_EQ(setup.saves.back(), expected);
    EXPECT_EQ(setup.browsed, (QStringList{{}, "/home/owner", "/home/owner/Music"}));

    // A refusal is shown in the program's words, whatever they hold.
    Type(QStringLiteral("#exit-code"), setup.refusedExitCode);
    Click(QStringLiteral("#save"));
    EXPECT_TRUE(Shows("setup-message", setup.refusal));
    EXPECT_EQ(setup.saves.size(), 2U);

    // Ten minutes on, the exit code is asked again, and the edits wait for it.
    clock.Advance(10min);
    Click(QStringLiteral("#save"));
    ASSERT_TRUE(Visible("unlock-form"));
    Type(QStringLiteral("#unlock-code"), QStringLiteral("2468"));
    Click(QStringLiteral("#unlock-button"));
    ASSERT_TRUE(Visible("settings-form"));
    EXPECT_EQ(browser.Evaluate(QStringLiteral("document.getElementById('exit-code').value")),
              setup.refusedExitCode);
    EXPECT_EQ(setup.saves.size(), 2U);

    // Back on the remote, the buttons work again.
    Click(QStringLiteral("#setup-back"));
    ASSERT_TRUE(Visible("remote"));
    EXPECT_TRUE(
        browser.WaitFor(QStringLiteral("document.getElementById('status').textContent === ''")));
    Click(QStringLiteral("[data-button=\"OK\"]"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !released.empty(); }, 5000));
    EXPECT_EQ(pressed, std::vector<InputCommand>{InputCommand::Key(vk::Return)});
}

} // namespace
