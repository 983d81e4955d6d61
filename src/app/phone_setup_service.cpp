#include "app/phone_setup_service.h"

#include "app/configuration_flow.h"
#include "dialogs/configuration_rules.h"
#include "platform/background_job.h"
#include "platform/error.h"
#include "settings/general.h"
#include "settings/lenient_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonValue>
#include <QStandardPaths>

#include <future>
#include <map>
#include <memory>

namespace {
const QString kOn = QStringLiteral("On");
const QString kOff = QStringLiteral("Off");
constexpr int kCategories = 3;
// As the dialog's field takes it.
constexpr int kMaxActiveDelay = 999;
// A folder on a share that does not answer lists nothing rather than holding the TV up.
constexpr std::chrono::seconds kListingWait{1};

// The settings dialog's contents without the dialog: what travels to and from the phone.
class SettingsContents : public ConfigurationDialog {
public:
    void SetExitCode(const QString& text) override { exitCode = text; }
    QString ExitCode() const override { return exitCode; }
    void SetActiveDelay(int seconds) override { activeDelay = seconds; }
    int ActiveDelay() const override { return activeDelay; }
    void SetPhoneRemote(bool on) override { phoneRemote = on; }
    bool PhoneRemote() const override { return phoneRemote; }
    void SetUnlockCode(int category, const QString& text) override {
        categories[category].unlockCode = text;
    }
    QString UnlockCode(int category) const override { return Of(category).unlockCode; }
    void SetExtensions(int category, const QString& text) override {
        categories[category].extensions = text;
    }
    QString Extensions(int category) const override { return Of(category).extensions; }
    void SetContinueFolder(int category, bool on) override {
        categories[category].continueFolder = on;
    }
    bool ContinueFolder(int category) const override { return Of(category).continueFolder; }
    void AddFolderRow(int category, const FolderRow& row) override {
        categories[category].rows.append(row);
    }
    QList<FolderRow> FolderRows(int category) const override { return Of(category).rows; }
    void ShowPhoneInvitations(PhoneInvitations /*invitations*/) override {}
    int ShowModal() override { return 0; }

    struct Category {
        QString unlockCode;
        QString extensions;
        bool continueFolder = false;
        QList<FolderRow> rows;
    };
    QString exitCode;
    int activeDelay = 0;
    bool phoneRemote = true;
    std::map<int, Category> categories;

private:
    Category Of(int category) const {
        const auto it = categories.find(category);
        return it == categories.end() ? Category{} : it->second;
    }
};

QJsonObject ToJson(const SettingsContents& contents) {
    QJsonArray categories;
    for (int category = 1; category <= kCategories; ++category) {
        QJsonArray folders;
        for (const FolderRow& row : contents.FolderRows(category))
            folders.append(QJsonObject{
                {"title", row.title}, {"folder", row.folder}, {"lock", row.lock == kOn}});
        QJsonObject entry{{"category", category},
                          {"name", CategoryName(category)},
                          {"unlockCode", contents.UnlockCode(category)},
                          {"extensions", contents.Extensions(category)},
                          {"folders", folders}};
        if (category != 3)
            entry.insert(QStringLiteral("continueFolder"), contents.ContinueFolder(category));
        categories.append(entry);
    }
    return {{"exitCode", contents.exitCode},
            {"activeDelay", contents.activeDelay},
            {"phoneRemote", contents.phoneRemote},
            {"categories", categories}};
}

// The contents the phone sent, or nothing when they are not settings as sent out.
std::optional<SettingsContents> FromJson(const QJsonObject& json) {
    const QJsonValue exitCode = json.value(u"exitCode");
    const QJsonValue activeDelay = json.value(u"activeDelay");
    const QJsonValue phoneRemote = json.value(u"phoneRemote");
    const QJsonArray categories = json.value(u"categories").toArray();
    if (!exitCode.isString() || !activeDelay.isDouble() || activeDelay.toInt(-1) < 0 ||
        activeDelay.toInt(-1) > kMaxActiveDelay || !phoneRemote.isBool() ||
        categories.size() != kCategories)
        return std::nullopt;
    SettingsContents contents;
    contents.exitCode = exitCode.toString();
    contents.activeDelay = activeDelay.toInt(-1);
    contents.phoneRemote = phoneRemote.toBool();
    for (const QJsonValue& value : categories) {
        const QJsonObject entry = value.toObject();
        const int category = entry.value(u"category").toInt();
        if (category < 1 || category > kCategories || contents.categories.contains(category) ||
            !entry.value(u"unlockCode").isString() || !entry.value(u"extensions").isString() ||
            !entry.value(u"folders").isArray())
            return std::nullopt;
        SettingsContents::Category& fields = contents.categories[category];
        fields.unlockCode = entry.value(u"unlockCode").toString();
        fields.extensions = entry.value(u"extensions").toString();
        fields.continueFolder = entry.value(u"continueFolder").toBool(true);
        for (const QJsonValue& folder : entry.value(u"folders").toArray()) {
            const QJsonObject row = folder.toObject();
            if (!row.value(u"title").isString() || !row.value(u"folder").isString())
                return std::nullopt;
            fields.rows.append({row.value(u"title").toString(), row.value(u"folder").toString(),
                                row.value(u"lock").toBool() ? kOn : kOff});
        }
    }
    return contents;
}

QJsonObject FolderEntry(const QString& name, const QString& path) {
    return {{"name", name}, {"path", path}};
}

// Where a folder is looked for first: the owner's home and media folders, and the drives mounted
// for them.
QJsonArray StartingPlaces() {
    QJsonArray places;
    for (const auto location : {QStandardPaths::HomeLocation, QStandardPaths::MoviesLocation,
                                QStandardPaths::MusicLocation, QStandardPaths::PicturesLocation}) {
        const QString path = QStandardPaths::writableLocation(location);
        if (!path.isEmpty() && QDir(path).exists())
            places.append(FolderEntry(QStandardPaths::displayName(location), path));
    }
    const QString user = qEnvironmentVariable("USER");
    for (const QString& mounts : {QStringLiteral("/media/") + user,
                                  QStringLiteral("/run/media/") + user, QStringLiteral("/mnt")}) {
        for (const QFileInfo& drive :
             QDir(mounts).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            places.append(FolderEntry(drive.fileName(), drive.absoluteFilePath()));
    }
    return places;
}

QJsonArray SubFolders(const QString& path) {
    QJsonArray folders;
    for (const QFileInfo& folder : QDir(path).entryInfoList(
             QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware))
        folders.append(FolderEntry(folder.fileName(), folder.absoluteFilePath()));
    return folders;
}
} // namespace

bool PhoneSetupService::Unlocks(const QString& exitCode) {
    try {
        return !exitCode.isEmpty() && exitCode == ReadSetting(store_, setting::ExitCode);
    } catch (const AppError&) {
        return false; // a store that cannot say opens nothing
    }
}

QJsonObject PhoneSetupService::Settings() {
    SettingsContents contents;
    LenientSettings reads(store_);
    FillConfiguration(contents, reads);
    return ToJson(contents);
}

std::optional<QString> PhoneSetupService::Save(const QJsonObject& settings) {
    const std::optional<SettingsContents> contents = FromJson(settings);
    if (!contents)
        return QCoreApplication::translate("PhoneSetupService",
                                           "The settings sent are incomplete; nothing was saved.");
    if (const std::optional<ConfigurationRefusal> refusal = RefusalOf(*contents))
        return refusal->message;
    try {
        StoreConfiguration(store_, *contents);
    } catch (const AppError& error) {
        return error.message();
    }
    if (saved)
        saved();
    return std::nullopt;
}

QJsonArray PhoneSetupService::Folders(const QString& path) {
    // Listed on a worker (a mounted drive is looked at too): a share that does not answer keeps
    // only the worker.
    auto listing = std::make_shared<std::promise<QJsonArray>>();
    std::future<QJsonArray> folders = listing->get_future();
    BackgroundJob::RunDetached([listing, path] {
        listing->set_value(path.isEmpty() ? StartingPlaces() : SubFolders(path));
    });
    if (folders.wait_for(kListingWait) != std::future_status::ready)
        return {};
    return folders.get();
}
