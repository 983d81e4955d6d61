#include "app/phone_setup_service.h"
#include "settings/general.h"
#include "test_store.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QString kVideo = QStringLiteral("Software\\Quor\\Couchframe\\Video");
const QString kSystem = QStringLiteral("Software\\Quor\\Couchframe\\System");

// The set-up a phone does, on the real store: the dialog's flow, rules and transaction.
class PhoneSetupServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        EraseSettingKey(TestStore(), 0, settingskey::Root);
        setup.saved = [this] { ++saves; };
    }
    void TearDown() override { EraseSettingKey(TestStore(), 0, settingskey::Root); }

    PhoneSetupService setup{TestStore()};
    int saves = 0;
};

TEST_F(PhoneSetupServiceTest, TheSettingsGoOutAsTheDialogIsFilledAndComeBackWhole) {
    WriteSettingString(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), QStringLiteral("42"));
    QJsonObject settings = setup.Settings();
    EXPECT_EQ(settings.value(u"exitCode").toString(), QStringLiteral("42"));
    EXPECT_EQ(settings.value(u"activeDelay").toInt(), 10);
    EXPECT_TRUE(settings.value(u"phoneRemote").toBool());
    QJsonArray categories = settings.value(u"categories").toArray();
    ASSERT_EQ(categories.size(), 3);
    EXPECT_EQ(categories.at(1).toObject().value(u"name").toString(), QStringLiteral("my Music"));
    EXPECT_FALSE(categories.at(2).toObject().contains(u"continueFolder")); // pictures step on

    QJsonObject video = categories.at(0).toObject();
    video.insert(QStringLiteral("unlockCode"), QStringLiteral("7"));
    video.insert(
        QStringLiteral("folders"),
        QJsonArray{QJsonObject{{"title", "Films"}, {"folder", "/srv/films"}, {"lock", true}},
                   QJsonObject{{"title", "Kids"}, {"folder", "/srv/kids"}, {"lock", false}}});
    categories.replace(0, video);
    settings.insert(QStringLiteral("categories"), categories);
    settings.insert(QStringLiteral("exitCode"), QStringLiteral("1234"));
    EXPECT_EQ(setup.Save(settings), std::nullopt);
    EXPECT_EQ(saves, 1);

    EXPECT_EQ(ReadSettingString(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), {}),
              QStringLiteral("1234"));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), -1), 2);
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kVideo, QStringLiteral("Lock001"), false));
    EXPECT_EQ(setup.Settings(), settings);
    EXPECT_TRUE(setup.Unlocks(QStringLiteral("1234")));
    EXPECT_FALSE(setup.Unlocks(QStringLiteral("42")));
    EXPECT_FALSE(setup.Unlocks(QString()));
}

TEST_F(PhoneSetupServiceTest, ARefusedOrBrokenSaveStoresNothingAndSaysWhyAsTheDialogWould) {
    QJsonObject settings = setup.Settings();
    QJsonArray categories = settings.value(u"categories").toArray();
    QJsonObject music = categories.at(1).toObject();
    music.insert(QStringLiteral("unlockCode"), QStringLiteral("12a"));
    categories.replace(1, music);
    settings.insert(QStringLiteral("categories"), categories);
    settings.insert(QStringLiteral("exitCode"), QStringLiteral("99"));
    const std::optional<QString> refusal = setup.Save(settings);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->contains(QStringLiteral("my Music"))) << refusal->toStdString();

    settings = setup.Settings();
    settings.insert(QStringLiteral("exitCode"), QString());
    EXPECT_TRUE(setup.Save(settings)->contains(QStringLiteral("終了コード")));
    settings.insert(QStringLiteral("exitCode"), QStringLiteral("99"));
    settings.insert(QStringLiteral("activeDelay"), 100000);
    EXPECT_TRUE(setup.Save(settings));
    settings.insert(QStringLiteral("activeDelay"), 5);
    settings.remove(QStringLiteral("categories"));
    EXPECT_TRUE(setup.Save(settings));

    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(SettingKeyExists(TestStore(), settingskey::Root));
}

TEST_F(PhoneSetupServiceTest, FoldersListTheSubFoldersByNameAndNothingForAFolderThatCannotBeRead) {
    QTemporaryDir root;
    for (const char* name : {"beta", "Alpha", ".hidden", "gamma"})
        ASSERT_TRUE(QDir(root.path()).mkdir(QString::fromLatin1(name)));
    const QJsonArray folders = setup.Folders(root.path());
    QStringList names;
    for (const QJsonValue& folder : folders)
        names << folder.toObject().value(u"name").toString();
    EXPECT_EQ(names, (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(folders.at(0).toObject().value(u"path").toString(), root.filePath("Alpha"));
    EXPECT_TRUE(setup.Folders(root.filePath("missing")).isEmpty());
    // Without a folder: the starting places, the home folder first.
    const QJsonArray places = setup.Folders(QString());
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(places.at(0).toObject().value(u"path").toString(), QDir::homePath());
}
} // namespace
