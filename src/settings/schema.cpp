#include "settings/schema.h"

#include "platform/error.h"

#include <QCoreApplication>

namespace {
CategorySettings MakeCategory(int category, const char* keyName, const char* unlockCode,
                              const char* extensions) {
    const QString key = settingskey::Category(QString::fromLatin1(keyName));
    return {category,
            key,
            TextSetting{key, QStringLiteral("UnLockCode"), QString::fromLatin1(unlockCode)},
            TextSetting{key, QStringLiteral("Extention"), QString::fromLatin1(extensions)},
            FolderEntryCount(key),
            FlagSetting{key, QStringLiteral("ContinueFolder"), true}};
}
} // namespace

namespace settingskey {
QString Category(const QString& categoryKeyName) {
    return Root + QLatin1Char('\\') + categoryKeyName;
}
} // namespace settingskey

QString EntryValueName(const char* prefix, int entryNumber) {
    return QString::asprintf("%s%.3d", prefix, entryNumber);
}

NumberSetting FolderEntryCount(const QString& categoryKeyPath) {
    return {categoryKeyPath, QStringLiteral("ItemCount"), 0};
}

TextSetting CategorySettings::Title(int entryNumber) const {
    return {keyPath, EntryValueName("Title", entryNumber), QString()};
}

TextSetting CategorySettings::Folder(int entryNumber) const {
    return {keyPath, EntryValueName("Folder", entryNumber), QString()};
}

FlagSetting CategorySettings::Lock(int entryNumber) const {
    return {keyPath, EntryValueName("Lock", entryNumber), false};
}

bool IsFileCategory(int category) {
    return category >= kFirstCategory && category <= kLastCategory;
}

const std::array<CategorySettings, 3>& CategorySchemas() {
    static const std::array<CategorySettings, 3> schemas{
        MakeCategory(1, "Video", "58203714", "mpg,mpeg,avi,wpl"),
        MakeCategory(2, "Music", "69314825", "wav,wma,mp3,m3u,mid"),
        MakeCategory(3, "Picture", "70425936", "bmp,wmf,emf,jpg,jpeg"),
    };
    return schemas;
}

const CategorySettings& CategorySchema(int category) {
    if (!IsFileCategory(category))
        throw AppError(
            QCoreApplication::translate("Settings", "Unknown category %1").arg(category));
    return CategorySchemas()[category - 1];
}
