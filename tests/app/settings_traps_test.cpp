#include "app/configuration_flow.h"
#include "app/mainmenu.h"
#include "dialogs/config.h"
#include "modal_hook_scope.h"
#include "platform/modal.h"
#include "platform/timer.h"
#include "settings/general.h"
#include "settings/store.h"
#include "spi/spis.h"
#include "test_store.h"
#include "ui/panel.h"

#include "message_capture.h"
#include "test_configuration_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>

#include <ostream>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {
const QString kSystem = QStringLiteral("Software\\Quor\\Couchframe\\System");
const QString kMusic = QStringLiteral("Software\\Quor\\Couchframe\\Music");
const QString kNothingSaved =
    QStringLiteral("Couchframe runs on its default settings; nothing will be saved.");

// The main menu over a store file of the test's own, with folder lists and settings dialogs that
// are only counted.
class SettingsTraps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        TestStore().UseDatabase(DatabasePath());
        modal_.emplace([](QDialog&) { return 0; });
    }
    void TearDown() override {
        menu.reset();
        modal_.reset();
        TestStore().UseDatabase(SettingsStore::DefaultDatabasePath());
    }

    QString ConfigFolder() const { return folder.filePath(QStringLiteral("couchframe")); }
    QString DatabasePath() const { return ConfigFolder() + QStringLiteral("/settings.db"); }

    Tmain_form& Show(QStringList arguments = {}) {
        menu = std::make_unique<Tmain_form>(
            TestConfigurationDialogs(dialogs, 2), [](int) { return std::make_unique<Form>(); },
            std::move(arguments), plugins, TestStore());
        menu->show();
        return *menu;
    }

    // The whole menu: every panel where the layout puts it, the foreground timer armed.
    void ExpectWholeMenu() const {
        const QSize screen = QApplication::primaryScreen()->geometry().size();
        const MainMenuLayout layout = ComputeMainMenuLayout(screen.width(), screen.height());
        const std::array<Panel*, 4> panels{menu->PNL001, menu->PNL002, menu->PNL003, menu->PNL004};
        for (size_t i = 0; i < panels.size(); ++i)
            EXPECT_EQ(panels[i]->geometry(),
                      QRect(layout.left, layout.panelTops[i], layout.width, layout.height))
                << i;
        EXPECT_EQ(menu->PNL001->Color(), kPanelSelectedColor);
        EXPECT_TRUE(menu->Timer1->enabled());
        EXPECT_EQ(menu->Timer1->interval(), 10000);
    }

    void TypeDefaultExitCodeAndEnter() const {
        for (QChar c : QStringLiteral("81536047"))
            menu->PressKey(c.unicode());
        menu->PressKey(vk::Return);
    }

    QTemporaryDir folder;
    TestConfigurationDialog::Record dialogs;
    TSPIs plugins;
    std::unique_ptr<Tmain_form> menu;

private:
    std::optional<ModalHookScope> modal_;
};

// What makes a store unusable.
struct UnusableCase {
    const char* name;
    std::function<void(const QString& configFolder)> spoil;
    bool needsPermissions; // root ignores file permissions
};

void PrintTo(const UnusableCase& c, std::ostream* out) {
    *out << c.name;
}

class UnusableStore : public SettingsTraps, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(UnusableStore, GivesOneMessageAndTheWholeMenuRunsOnTheDefaults) {
    if (GetParam().needsPermissions && geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    GetParam().spoil(ConfigFolder());
    MessageCapture messages;
    Show({QStringLiteral("/CONFIG")});
    ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join('|').toStdString();
    EXPECT_THAT(messages.texts[0].toStdString(), HasSubstr("Cannot open the settings store"));
    EXPECT_TRUE(messages.texts[0].endsWith(kNothingSaved));
    EXPECT_EQ(dialogs.shown, 0); // nothing it holds could be saved
    EXPECT_EQ(menu->ExitCodeText(), QStringLiteral("81536047"));
    ExpectWholeMenu();
    // The player and viewer store their preferences when they close: nothing fails, nothing more
    // is said.
    EXPECT_NO_THROW(WriteSettingInt(TestStore(), 0,
                                    QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Player"),
                                    QStringLiteral("Volume"), 10));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0,
                             QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Player"),
                             QStringLiteral("Volume"), 80),
              80);
    TypeDefaultExitCodeAndEnter();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(messages.texts.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableStore,
    ::testing::Values(UnusableCase{"CorruptFile",
                                   [](const QString& config) {
                                       ASSERT_TRUE(QDir().mkpath(config));
                                       QFile file(config + QStringLiteral("/settings.db"));
                                       ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                       file.write(QByteArray(8192, 'x'));
                                   },
                                   false},
                      UnusableCase{"ConfigFolderCannotBeMade",
                                   [](const QString& config) {
                                       // A file where the folder should be: no folder can be made
                                       // there.
                                       QFile file(config);
                                       ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                   },
                                   false},
                      UnusableCase{"ReadOnlyConfigFolder",
                                   [](const QString& config) {
                                       ASSERT_TRUE(QDir().mkpath(config));
                                       ASSERT_EQ(chmod(QFile::encodeName(config).constData(), 0500),
                                                 0);
                                   },
                                   true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTraps, AValueOfTheWrongKindIsReportedOnceAndItsDefaultFillsTheDialog) {
    WriteSettingInt(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), 5);
    WriteSettingInt(TestStore(), 0, kMusic, QStringLiteral("UnLockCode"), 7);
    MessageCapture messages;
    Show({QStringLiteral("/CONFIG")});
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_EQ(dialogs.filled.exitCode, QStringLiteral("81536047"));
    EXPECT_EQ(dialogs.filled.unlockCodes.value(2), QStringLiteral("69314825"));
    EXPECT_EQ(dialogs.filled.extensions.value(2), QStringLiteral("wav,wma,mp3,m3u,mid"));
    // Read twice (for the dialog, then as the exit code), said once.
    EXPECT_THAT(messages.texts, ElementsAre(QStringLiteral("'ExitCode' のデータ型が不正です"),
                                            QStringLiteral("'UnLockCode' のデータ型が不正です")));
    EXPECT_EQ(menu->ExitCodeText(), QStringLiteral("81536047"));
    ExpectWholeMenu();
    TypeDefaultExitCodeAndEnter();
    EXPECT_FALSE(menu->isVisible());
}

// Another program holds the store's write lock while the owner presses OK in the settings dialog.
TEST_F(SettingsTraps, ALockedStoreKeepsTheDialogOpenWithEveryEdit) {
    WriteSettingString(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), QStringLiteral("1111"));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(DatabasePath()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    MessageCapture messages;
    int presses = 0;
    std::optional<ModalHookScope> pressing;
    pressing.emplace([&](QDialog& dialog) {
        auto& config = dynamic_cast<TConfig_Form&>(dialog);
        config.show();
        config.ED01->setText(QStringLiteral("4711"));
        config.ED201->setText(QStringLiteral("2468"));
        QTest::mouseClick(config.Button4, Qt::LeftButton);
        ++presses;
        EXPECT_TRUE(config.isVisible());
        EXPECT_EQ(config.ED01->text(), QStringLiteral("4711"));
        // The other program is done; OK again.
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        QTest::mouseClick(config.Button4, Qt::LeftButton);
        ++presses;
        EXPECT_FALSE(config.isVisible());
        return config.result();
    });
    RunConfigurationFlow(MakeConfigurationDialog, TestStore());
    pressing.reset();
    sqlite3_close(other);

    EXPECT_EQ(presses, 2);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_THAT(messages.texts[0].toStdString(), HasSubstr("Nothing was saved"));
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), QString()),
              QStringLiteral("4711"));
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kMusic, QStringLiteral("UnLockCode"), QString()),
              QStringLiteral("2468"));
}

} // namespace
