#include "main_menu_fixture.h"
#include "message_capture.h"
#include "platform/error.h"
#include "platform/image_widget.h"
#include "platform/timer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

TEST(MainMenuLayout, FullHdScreen) {
    const MainMenuLayout layout = ComputeMainMenuLayout(1920, 1080);
    EXPECT_EQ(layout.height, 81);
    EXPECT_EQ(layout.width, 960);
    EXPECT_EQ(layout.left, 480);
    EXPECT_EQ(layout.panelTops, (std::array<int, 4>{358, 479, 600, 721}));
    EXPECT_EQ(layout.labelTop, 237);
    EXPECT_EQ(layout.fontHeight, -69);
}

TEST(MainMenuLayout, XgaScreen) {
    const MainMenuLayout layout = ComputeMainMenuLayout(1024, 768);
    EXPECT_EQ(layout.height, 57);
    EXPECT_EQ(layout.width, 512);
    EXPECT_EQ(layout.left, 256);
    EXPECT_EQ(layout.panelTops, (std::array<int, 4>{256, 341, 426, 511}));
    EXPECT_EQ(layout.labelTop, 171);
    EXPECT_EQ(layout.fontHeight, -45);
}

TEST_F(MainMenu, LayOutPlacesPanelsAndTitle) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    form.LayOut(1920, 1080);
    EXPECT_EQ(form.PNL001->geometry(), QRect(480, 358, 960, 81));
    EXPECT_EQ(form.PNL004->geometry(), QRect(480, 721, 960, 81));
    EXPECT_EQ(form.LBL001->geometry(), QRect(480, 237, 960, 81));
    EXPECT_EQ(form.PNL003->font().pixelSize(), 69);
    EXPECT_EQ(form.LBL001->font().pixelSize(), 69);
    form.LayOut(1024, 768);
    EXPECT_EQ(form.PNL002->geometry(), QRect(256, 341, 512, 57));
    EXPECT_EQ(form.LBL001->geometry(), QRect(256, 171, 512, 57));
    EXPECT_EQ(form.PNL002->font().pixelSize(), 45);
}

TEST_F(MainMenu, FirstShowSetsUpTheScreen) {
    Configure(QStringLiteral("12"), 7);
    Tmain_form& form = Show();
    EXPECT_EQ(dialogs.created, 0);
    EXPECT_EQ(form.ExitCodeText(), QStringLiteral("12"));
    EXPECT_TRUE(form.window()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.window()->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BlankCursor);
    EXPECT_EQ(ColorOfTag(100), kPanelSelectedColor);
    EXPECT_EQ(ColorOfTag(101), kPanelUnselectedColor);
    EXPECT_EQ(form.Timer1->interval(), 7000);
    EXPECT_TRUE(form.Timer1->isArmed());
    // The gradient is painted over the whole screen: blue at the top, the end colour below.
    const QSize screen = QApplication::primaryScreen()->geometry().size();
    const QImage& picture = form.Image1->Picture();
    EXPECT_EQ(picture.size(), screen);
    EXPECT_EQ(FromQColor(picture.pixelColor(0, 0)), 0xFE0101u);
    EXPECT_EQ(FromQColor(picture.pixelColor(screen.width() - 1, screen.height() - 1)), 0xF0CAA6u);
    delete menu.data();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainMenu, ActiveDelayZeroNeverGrabsTheForeground) {
    Configure(QStringLiteral("1"), 0);
    Tmain_form& form = Show();
    EXPECT_FALSE(form.Timer1->isArmed());
}

TEST_F(MainMenu, AnOversizedActiveDelayWaitsAsLongAsTheTimerCan) {
    Configure(QStringLiteral("1"), 3000000);
    Tmain_form& form = Show();
    EXPECT_EQ(form.Timer1->interval(), std::numeric_limits<int>::max());
}

TEST_F(MainMenu, TheForegroundGrabHappensOnce) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    form.Timer1Timer();
    EXPECT_FALSE(form.Timer1->enabled());
}

TEST_F(MainMenu, UpAndDownStopAtTheEndsLeftAndRightNeverMove) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    Press({vk::Up});
    EXPECT_EQ(form.CurTag, 100);
    Press({vk::Down, vk::Down});
    EXPECT_EQ(form.CurTag, 102);
    EXPECT_EQ(form.PrevTag, 101);
    EXPECT_EQ(ColorOfTag(100), kPanelUnselectedColor);
    EXPECT_EQ(ColorOfTag(101), kPanelUnselectedColor);
    EXPECT_EQ(ColorOfTag(102), kPanelSelectedColor);
    Press({vk::Down, vk::Down, vk::Left, vk::Right});
    EXPECT_EQ(form.CurTag, 103);
    EXPECT_EQ(ColorOfTag(103), kPanelSelectedColor);
    EXPECT_EQ(ColorOfTag(102), kPanelUnselectedColor);
    EXPECT_FALSE(form.PressKey(vk::Down)); // keys go on their normal way
}

TEST_F(MainMenu, EscapeDoesNotCloseTheMainMenu) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
}

struct ExitCodeCase {
    const char* name;
    QString exitCode;
    std::vector<int> keys;
    int matched;
    bool enterCloses;
};

void PrintTo(const ExitCodeCase& c, std::ostream* out) {
    *out << c.name;
}

class ExitCodeMatching : public MainMenu, public ::testing::WithParamInterface<ExitCodeCase> {};

TEST_P(ExitCodeMatching, CountsTypedDigitsAndEnterQuitsOnlyOnTheWholeCode) {
    const ExitCodeCase& c = GetParam();
    Configure(c.exitCode);
    Tmain_form& form = Show();
    for (int key : c.keys)
        form.PressKey(key);
    EXPECT_EQ(form.CodeMatched(), c.matched);
    form.PressKey(vk::Return);
    EXPECT_EQ(services.window.Depth() == 0, c.enterCloses);
    EXPECT_EQ(openedCategories.size(), c.enterCloses ? 0u : 1u);
}

constexpr int D(char digit) {
    return vk::Digit0 + (digit - '0');
}
constexpr int K(char digit) {
    return vk::Numpad0 + (digit - '0');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitCodeMatching,
    ::testing::Values(
        ExitCodeCase{"WholeCode", "8153", {D('8'), D('1'), D('5'), D('3')}, 4, true},
        ExitCodeCase{"KeypadDigits", "8153", {K('8'), K('1'), K('5'), K('3')}, 4, true},
        ExitCodeCase{"RowAndKeypadMixed", "8153", {D('8'), K('1'), D('5'), K('3')}, 4, true},
        ExitCodeCase{"PartialCode", "8153", {D('8'), D('1')}, 2, false},
        ExitCodeCase{
            "WrongDigitResets", "8153", {D('8'), D('1'), D('9'), D('5'), D('3')}, 0, false},
        ExitCodeCase{
            "WrongDigitIsNoNewStart", "8153", {D('8'), D('1'), D('8'), D('1'), D('5')}, 0, false},
        ExitCodeCase{"RetypedAfterAMistake",
                     "8153",
                     {D('8'), D('2'), D('8'), D('1'), D('5'), D('3')},
                     4,
                     true},
        ExitCodeCase{"OneDigitTooMany", "8153", {D('8'), D('1'), D('5'), D('3'), D('3')}, 0, false},
        ExitCodeCase{"OneMoreMatchingDigitToo", "11", {D('1'), D('1'), D('1')}, 0, false},
        ExitCodeCase{
            "OtherKeysDoNotInterrupt", "81", {D('8'), vk::LetterA, vk::Down, D('1')}, 2, true},
        ExitCodeCase{"EmptyCodeQuitsAtOnce", "", {}, 0, true},
        ExitCodeCase{"EmptyCodeAfterDigits", "", {D('1'), D('2')}, 0, true},
        ExitCodeCase{"LettersCanNeverMatch", "12A", {D('1'), D('2'), vk::LetterA}, 2, false},
        ExitCodeCase{"LetterSlotResets", "12A", {D('1'), D('2'), D('1')}, 0, false}),
    [](const ::testing::TestParamInfo<ExitCodeCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(MainMenu, EnterWithAPartialCodeOpensTheSelectedCategoryAndClearsTheCount) {
    Configure(QStringLiteral("8153"));
    Tmain_form& form = Show();
    Press({D('8'), D('1'), vk::Down, vk::Return});
    EXPECT_EQ(openedCategories, std::vector<int>{2});
    EXPECT_EQ(form.CodeMatched(), 0);
    ASSERT_EQ(folderLists.size(), 1u);
    EXPECT_EQ(services.window.Top(), folderLists[0]);
    EXPECT_FALSE(form.isVisible()); // waits beneath
    CloseFolderList();
    EXPECT_TRUE(folderLists[0].isNull()); // destroyed when it closed
    EXPECT_EQ(services.window.Top(), &form);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(MainMenu, OpeningACategoryCancelsTheForegroundGrabForGood) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    ASSERT_TRUE(form.Timer1->isArmed());
    Press({vk::Return});
    EXPECT_EQ(openedCategories, std::vector<int>{1});
    EXPECT_FALSE(form.Timer1->enabled());
    EXPECT_EQ(form.CurTag, 100);
}

TEST_F(MainMenu, OpeningACategoryLeavesTheExitCodeCountAlone) {
    Configure(QStringLiteral("8153"));
    Tmain_form& form = Show();
    Press({D('8'), D('1')});
    form.OpenCategory(102);
    EXPECT_EQ(openedCategories, std::vector<int>{3});
    EXPECT_EQ(form.CodeMatched(), 2);
}

TEST_F(MainMenu, MyFilesStopsTheTimerAndOpensNothing) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    Press({vk::Down, vk::Down, vk::Down, vk::Return});
    EXPECT_EQ(form.CurTag, 103);
    EXPECT_FALSE(form.Timer1->enabled());
    QTest::mouseClick(form.PNL004, Qt::LeftButton, {}, QPoint(5, 5));
    form.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("0000042000")));
    EXPECT_TRUE(openedCategories.empty());
    EXPECT_EQ(services.window.Depth(), 1);
    EXPECT_EQ(ColorOfTag(103), kPanelSelectedColor);
}

TEST_F(MainMenu, RemoteCategoryButtonsSelectAndOpen) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    form.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("0000040800")));
    EXPECT_EQ(form.CurTag, 101);
    EXPECT_EQ(form.PrevTag, 100);
    EXPECT_EQ(ColorOfTag(101), kPanelSelectedColor);
    EXPECT_EQ(ColorOfTag(100), kPanelUnselectedColor);
    form.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("0000041000")));
    form.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("0000048000")));
    form.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("0003000002"))); // not a category
    EXPECT_EQ(openedCategories, (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(form.CurTag, 100);
    EXPECT_FALSE(form.Timer1->enabled());
}

TEST_F(MainMenu, MousePressSelectsAtOnceAndClickOpens) {
    Configure(QStringLiteral("1"));
    Tmain_form& form = Show();
    const QPoint home = form.PNL003->pos();
    QTest::mousePress(form.PNL003, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form.CurTag, 102);
    EXPECT_EQ(ColorOfTag(102), kPanelSelectedColor);
    EXPECT_EQ(ColorOfTag(100), kPanelUnselectedColor);
    EXPECT_EQ(form.PNL003->pos(), home + QPoint(1, 1));
    EXPECT_TRUE(openedCategories.empty());
    QTest::mouseRelease(form.PNL003, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form.PNL003->pos(), home);
    EXPECT_EQ(openedCategories, std::vector<int>{3});
}

TEST_F(MainMenu, TheMenuIsBackAsItWasWhenTheFolderListCloses) {
    Configure(QStringLiteral("8153"));
    Tmain_form& form = Show();
    Press({vk::Down, D('8')});
    QTest::mouseClick(form.PNL003, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(services.window.Depth(), 2);
    // Keys reach the screen on top only.
    QTest::keyClick(&services.window, Qt::Key_Down);
    EXPECT_EQ(form.CurTag, 102);
    CloseFolderList();
    EXPECT_EQ(services.window.Depth(), 1);
    EXPECT_EQ(form.CurTag, 102);
    EXPECT_EQ(form.CodeMatched(), 1);
    EXPECT_EQ(ColorOfTag(102), kPanelSelectedColor);
    EXPECT_EQ(services.window.focusWidget(), &form);
    Press({vk::Down});
    EXPECT_EQ(form.CurTag, 103);
}

TEST_F(MainMenu, TheExitCodeEmptiesTheWindow) {
    Configure(QStringLiteral("1"));
    Show();
    QSignalSpy emptied(&services.window, &ScreenStack::emptied);
    Press({D('1'), vk::Return});
    EXPECT_EQ(emptied.count(), 1);
    EXPECT_EQ(services.window.Depth(), 0);
}

TEST_F(MainMenu, FirstRunShowsTheSettingsDialog) {
    Show();
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_EQ(dialogs.destroyed, 1);
    EXPECT_EQ(menu->ExitCodeText(), QStringLiteral("81536047")); // cancelled: the defaults
}

TEST_F(MainMenu, ConfigArgumentShowsTheSettingsDialogOnAConfiguredStore) {
    Configure(QStringLiteral("1"));
    Show({QStringLiteral("/Config")});
    EXPECT_EQ(dialogs.shown, 1);
}

struct ConfigArgumentCase {
    QStringList arguments;
    bool asks;
};

void PrintTo(const ConfigArgumentCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.arguments);
}

class ConfigArgument : public ::testing::TestWithParam<ConfigArgumentCase> {};

TEST_P(ConfigArgument, OnlyTheFirstArgumentCountsInAnyCase) {
    EXPECT_EQ(AsksForConfiguration(GetParam().arguments), GetParam().asks)
        << GetParam().arguments.join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigArgument,
                         ::testing::Values(ConfigArgumentCase{{"/CONFIG"}, true},
                                           ConfigArgumentCase{{"/config"}, true},
                                           ConfigArgumentCase{{"/cOnFiG", "more"}, true},
                                           ConfigArgumentCase{{"--config"}, true},
                                           ConfigArgumentCase{{"--Config"}, true},
                                           ConfigArgumentCase{{}, false},
                                           ConfigArgumentCase{{"x", "/CONFIG"}, false},
                                           ConfigArgumentCase{{"/CONFIGURE"}, false},
                                           ConfigArgumentCase{{"CONFIG"}, false},
                                           ConfigArgumentCase{{" /CONFIG"}, false}));

TEST_F(MainMenu, KeepsOnlyThePicturePlugInsItFindsOnceItIsOnTheScreen) {
    // The test program sits beside the shipped plug-ins, as the installed program does.
    Tmain_form& form = Show();
    EXPECT_EQ(form.SPIs1.SearchOptions, spsAllDirs);
    EXPECT_FALSE(form.SPIs1.GraphicPreview);
    EXPECT_EQ(form.SPIs1.Count(), 0) << "searched before the menu was painted";
    ASSERT_TRUE(QTest::qWaitFor([&form] { return form.SPIs1.Count() > 0; }, 10000));
    for (int i = 0; i < form.SPIs1.Count(); ++i)
        EXPECT_TRUE(IsInstanceOf<TInSPI>(*form.SPIs1.Items(i)))
            << form.SPIs1.Items(i)->FileName().toStdString();
}

TEST_F(MainMenu, PlugInsTheSearchRefusedAreNamedInOneMessage) {
    const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + "/couchframe/plugins";
    QDir().mkpath(folder);
    const QString plugin = folder + QStringLiteral("/shared.spi");
    ASSERT_TRUE(QFile::copy(QStringLiteral(COUCHFRAME_PLUGIN_BUILD_DIR "/jpeg.spi"), plugin));
    QFile::setPermissions(plugin, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::WriteGroup | QFile::ReadOther);
    Configure(QStringLiteral("1234"));
    MessageCapture messages;
    Show();
    ASSERT_TRUE(QTest::qWaitFor([&messages] { return !messages.texts.empty(); }, 10000));
    QFile::remove(plugin);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.kinds[0], MessageKind::Warning);
    EXPECT_EQ(messages.texts[0], QStringLiteral("Some picture plug-ins were not loaded:\n") +
                                     plugin +
                                     QStringLiteral(": it is writable by group or others"));
    EXPECT_TRUE(menu->SPIs1.Notices().isEmpty()); // told once
}

TEST_F(MainMenu, F1OpensThePhonePairingNamedInACornerOutsideThePanels) {
    Configure(QStringLiteral("1"), 0);
    Tmain_form& form = Show();
    form.LayOut(1920, 1080);
    ASSERT_TRUE(form.LBLPhone->isVisible());
    EXPECT_EQ(form.LBLPhone->text(), QStringLiteral("Phone remote: F1"));
    const QRect hint = form.LBLPhone->geometry();
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(hint));
    for (Panel* panel : {form.PNL001, form.PNL002, form.PNL003, form.PNL004})
        EXPECT_FALSE(hint.intersects(panel->geometry()));
    EXPECT_GE(hint.width(), form.LBLPhone->sizeHint().width()); // never cut
    // A remote's Menu or Info button is F1 too.
    QKeyEvent info(QEvent::KeyPress, Qt::Key_Info, Qt::NoModifier);
    QApplication::sendEvent(&form, &info);
    ASSERT_EQ(phoneScreens.size(), 1u);
    EXPECT_EQ(services.window.Top(), phoneScreens.front().data());
}

TEST_F(MainMenu, ThePhoneRemoteTurnedOffIsNeitherNamedNorOpened) {
    Configure(QStringLiteral("1"), 0);
    WriteSetting(TestStore(), setting::PhoneRemote, false);
    Tmain_form& form = Show();
    EXPECT_FALSE(form.LBLPhone->isVisible());
    Press({vk::F1});
    EXPECT_TRUE(phoneScreens.empty());
    EXPECT_EQ(services.window.Top(), &form);
}

TEST_F(MainMenu, SettingsStoredFromAPhoneTakeEffectWhileTheMenuIsUp) {
    Configure(QStringLiteral("12"), 0);
    Tmain_form& form = Show();
    WriteSettingString(TestStore(), 0, settingskey::System, QStringLiteral("ExitCode"),
                       QStringLiteral("34"));
    WriteSetting(TestStore(), setting::PhoneRemote, false);
    form.SettingsStoredElsewhere();
    EXPECT_EQ(form.ExitCodeText(), QStringLiteral("34"));
    EXPECT_FALSE(form.LBLPhone->isVisible());
    Press({vk::Digit0 + 3, vk::Digit0 + 4, vk::Return});
    EXPECT_EQ(services.window.Depth(), 0); // the new code quits
}
