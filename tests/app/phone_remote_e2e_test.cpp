#include "app/phone_form.h"
#include "app/phone_remote.h"
#include "headless_chromium.h"
#include "main_menu_fixture.h"
#include "manual_clock.h"
#include "show_focused.h"

#include <QHostAddress>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString ZbarImg() {
    return QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
}

// The QR code in the picture as a phone's camera app reads it; empty when none is read.
QString ReadQrCode(const QImage& picture) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("screen.png"));
    if (!picture.save(file, "PNG"))
        return {};
    QProcess zbar;
    zbar.start(ZbarImg(), {"-q", "--raw", "-Sdisable", "-Sqrcode.enable", file});
    if (!zbar.waitForFinished(30000) || zbar.exitCode() != 0)
        return {};
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

// A button of the page tapped: pressed and let go.
void Tap(HeadlessChromium& browser, const QString& button) {
    const QString selector = QStringLiteral("[data-button=\"%1\"]").arg(button);
    browser.Mouse("mousePressed", selector);
    browser.Mouse("mouseReleased", selector);
}

// Holds the clock of the run's services ahead of them. It moves only when the test moves it, so
// that a tap on the page repeats only if its release is lost, however slow the machine.
struct ManualTime {
    ManualClock clock;
};

// The phone remote as its owner meets it: the pairing screen opened from the main menu, its QR
// code read off the TV's picture and opened in a real browser, and the page's buttons working
// the menu, all on the loopback.
class PhoneRemoteEndToEnd : protected ManualTime, public MainMenu {
protected:
    PhoneRemoteEndToEnd() : MainMenu(&clock) {}

    void SetUp() override {
        if (HeadlessChromium::Program().isEmpty())
            GTEST_SKIP() << "chromium is not installed";
        if (ZbarImg().isEmpty())
            GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
        MainMenu::SetUp();
        Configure(QStringLiteral("1"), 0);
        makePhoneScreen = [this] { return phone.MakeScreen(); };
    }

    PhoneRemote phone{clock, TestStore(), services.input, services.sessions, 0, [] {
                          return QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)};
                      }};
    HeadlessChromium browser{QStringLiteral("en")};
};

TEST_F(PhoneRemoteEndToEnd, TheQrCodeOnTheTvPairsAPhoneWhoseButtonsWorkTheMenu) {
    Tmain_form& form = Show();
    ASSERT_TRUE(ShowFocused(services.window));
    phone.Start();
    ASSERT_TRUE(phone.Serving());
    const QString page = QStringLiteral("http://127.0.0.1:%1/").arg(phone.Server().Port());

    QTest::keyClick(services.window.focusWidget(), Qt::Key_F1);
    const QPointer<TPhone_Form> pairing = dynamic_cast<TPhone_Form*>(services.window.Top());
    ASSERT_NE(pairing.data(), nullptr);
    EXPECT_EQ(pairing->Address(), page);

    // The one address served is the one in the code, with the invitation's token.
    const QUrl scanned(ReadQrCode(services.window.grab().toImage()));
    ASSERT_TRUE(scanned.isValid()) << "no QR code on the screen";
    EXPECT_EQ(scanned.adjusted(QUrl::RemoveFragment).toString(), page);
    EXPECT_FALSE(scanned.fragment().isEmpty());

    ASSERT_TRUE(browser.Open(scanned));
    ASSERT_TRUE(
        browser.WaitFor(QStringLiteral("!document.getElementById('remote').hidden && "
                                       "document.getElementById('status').textContent === ''")))
        << "the page did not connect";
    ASSERT_TRUE(QTest::qWaitFor([&pairing] { return pairing && pairing->Connected(); }));

    // Each tap's release is the last the page sends of it: once it is in, the tap has acted.
    QSignalSpy released(&phone.Server(), &PhoneServer::Released);
    Tap(browser, QStringLiteral("Back"));
    ASSERT_TRUE(QTest::qWaitFor([&released] { return released.count() == 1; }));
    EXPECT_EQ(services.window.Top(), &form);

    Tap(browser, QStringLiteral("Down"));
    ASSERT_TRUE(QTest::qWaitFor([&released] { return released.count() == 2; }));
    // Let go, it is one step however long the TV waits after it.
    clock.Advance(std::chrono::seconds(1));
    EXPECT_EQ(form.CurTag, 101);
    EXPECT_EQ(ColorOfTag(101), kPanelSelectedColor);
    Tap(browser, QStringLiteral("OK"));
    ASSERT_TRUE(QTest::qWaitFor([&released] { return released.count() == 3; }));
    EXPECT_EQ(openedCategories, std::vector<int>{2});
    ASSERT_EQ(folderLists.size(), 1u);
    EXPECT_EQ(services.window.Top(), folderLists.front().data());
}
} // namespace
