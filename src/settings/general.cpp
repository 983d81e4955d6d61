#include "settings/general.h"

#include "settings/store.h"

#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

AppError CreateKeyError(const QString& keyPath) {
    return AppError(
        QCoreApplication::translate("Settings", "キー %1 の作成に失敗しました").arg(keyPath));
}
AppError ReadDataError(const QString& valueName) {
    return AppError(
        QCoreApplication::translate("Settings", "'%1' の取得に失敗しました").arg(valueName));
}
AppError StoreDataError(const QString& valueName) {
    return AppError(
        QCoreApplication::translate("Settings", "'%1' の設定に失敗しました").arg(valueName));
}
AppError DataTypeError(const QString& valueName) {
    return AppError(
        QCoreApplication::translate("Settings", "'%1' のデータ型が不正です").arg(valueName));
}

QByteArray DwordData(quint32 number) {
    QByteArray data(4, '\0');
    qToLittleEndian(number, data.data());
    return data;
}

// The number a value holds for the number and flag reads, or the default where it holds none.
int StoredNumber(const QString& valueName, const StoredValue& value, int defaultNumber) {
    switch (value.kind) {
    case ValueKind::Sz: {
        bool ok = false;
        const int number = TextFromStored(value.data).toInt(&ok);
        return ok ? number : defaultNumber;
    }
    case ValueKind::Dword: {
        if (value.data.size() > 4)
            throw ReadDataError(valueName);
        // Shorter data fills the low bytes of a zeroed buffer, as a four-byte fetch would.
        char buffer[4] = {};
        std::memcpy(buffer, value.data.constData(), static_cast<size_t>(value.data.size()));
        return qFromLittleEndian<qint32>(buffer);
    }
    case ValueKind::ExpandSz:
    case ValueKind::Binary:
        if (value.data.size() > 4)
            throw ReadDataError(valueName);
        throw DataTypeError(valueName);
    default:
        return defaultNumber;
    }
}

int ReadNumber(SettingsStore& store, int selector, const QString& keyPath, const QString& valueName,
               int defaultNumber) {
    if (store.RunsOnDefaults())
        return defaultNumber;
    const auto value = store.ReadValue(RootKeyFromSelector(selector), keyPath, valueName);
    return value ? StoredNumber(valueName, *value, defaultNumber) : defaultNumber;
}

// A value written into its key; a store that refuses for now holds it (it reads back as written),
// any other failure is reported: a write never fails silently. Text tells a key that could not be
// made apart from a value that could not be written; numbers report the value either way.
void WriteData(SettingsStore& store, int selector, const QString& keyPath, const QString& valueName,
               ValueKind kind, const QByteArray& data) {
    if (store.RunsOnDefaults())
        return;
    const RootKey root = RootKeyFromSelector(selector);
    try {
        store.SetValue(root, keyPath, valueName, kind, data);
    } catch (const SettingsStoreError&) {
        // The write ran as one unit: a key that is not there was never reached.
        if (kind == ValueKind::Sz && !store.FindKey(root, keyPath))
            throw CreateKeyError(keyPath);
        throw StoreDataError(valueName);
    }
}

void WriteDword(SettingsStore& store, int selector, const QString& keyPath,
                const QString& valueName, quint32 number) {
    WriteData(store, selector, keyPath, valueName, ValueKind::Dword, DwordData(number));
}

bool IsRootPath(const QString& keyPath) {
    return keyPath.isEmpty() || keyPath == QStringLiteral("\\");
}

} // namespace

RootKey RootKeyFromSelector(int selector) {
    switch (selector) {
    case 1:
        return RootKey::ClassesRoot;
    case 3:
        return RootKey::LocalMachine;
    case 4:
        return RootKey::Users;
    case 5:
        return RootKey::CurrentConfig;
    case 6:
        return RootKey::DynData;
    default:
        return RootKey::CurrentUser;
    }
}

QString ReadSettingString(SettingsStore& store, int selector, const QString& keyPath,
                          const QString& valueName, const QString& defaultText) {
    if (store.RunsOnDefaults())
        return defaultText;
    const auto value = store.ReadValue(RootKeyFromSelector(selector), keyPath, valueName);
    if (!value)
        return defaultText;
    if (value->data.isEmpty())
        return QString();
    if (value->kind != ValueKind::Sz && value->kind != ValueKind::ExpandSz)
        throw DataTypeError(valueName);
    return TextFromStored(value->data);
}

bool ReadSettingBool(SettingsStore& store, int selector, const QString& keyPath,
                     const QString& valueName, bool defaultFlag) {
    return ReadNumber(store, selector, keyPath, valueName, defaultFlag ? 1 : 0) != 0;
}

int ReadSettingInt(SettingsStore& store, int selector, const QString& keyPath,
                   const QString& valueName, int defaultNumber) {
    return ReadNumber(store, selector, keyPath, valueName, defaultNumber);
}

void WriteSettingString(SettingsStore& store, int selector, const QString& keyPath,
                        const QString& valueName, const QString& text) {
    WriteData(store, selector, keyPath, valueName, ValueKind::Sz, StoredText(text));
}

void WriteSettingBool(SettingsStore& store, int selector, const QString& keyPath,
                      const QString& valueName, bool flag) {
    WriteDword(store, selector, keyPath, valueName, flag ? 1 : 0);
}

void WriteSettingInt(SettingsStore& store, int selector, const QString& keyPath,
                     const QString& valueName, int number) {
    WriteDword(store, selector, keyPath, valueName, static_cast<quint32>(number));
}

void EraseSettingKey(SettingsStore& store, int selector, const QString& keyPath) {
    // An empty path would name the root itself: wiping every setting is never what a caller means.
    if (IsRootPath(keyPath) || store.RunsOnDefaults())
        return;
    try {
        const RootKey root = RootKeyFromSelector(selector);
        store.WriteAtomically([&] {
            if (const auto key = store.FindKey(root, keyPath))
                store.EraseKey(*key);
        });
    } catch (const AppError&) {
        // A key that cannot be erased is left as it is, wholly: the erase ran as one unit.
    }
}

bool SettingKeyExists(SettingsStore& store, const QString& keyPath) {
    return !store.RunsOnDefaults() && store.FindKey(RootKey::CurrentUser, keyPath).has_value();
}

QString ReadSetting(SettingsStore& store, const TextSetting& setting) {
    return ReadSettingString(store, 0, setting.keyPath, setting.valueName, setting.defaultValue);
}

int ReadSetting(SettingsStore& store, const NumberSetting& setting) {
    return ReadSettingInt(store, 0, setting.keyPath, setting.valueName, setting.defaultValue);
}

bool ReadSetting(SettingsStore& store, const FlagSetting& setting) {
    return ReadSettingBool(store, 0, setting.keyPath, setting.valueName, setting.defaultValue);
}

void WriteSetting(SettingsStore& store, const TextSetting& setting, const QString& text) {
    WriteSettingString(store, 0, setting.keyPath, setting.valueName, text);
}

void WriteSetting(SettingsStore& store, const NumberSetting& setting, int number) {
    WriteSettingInt(store, 0, setting.keyPath, setting.valueName, number);
}

void WriteSetting(SettingsStore& store, const FlagSetting& setting, bool flag) {
    WriteSettingBool(store, 0, setting.keyPath, setting.valueName, flag);
}

std::optional<QString> OpenSettingsOrRunOnDefaults(SettingsStore& store) {
    try {
        store.CheckOpen();
        return std::nullopt;
    } catch (const SettingsStoreUnavailable& error) {
        store.RunOnDefaults();
        return error.message();
    }
}

int ReadFolderEntryCount(SettingsStore& store, const QString& categoryKeyPath) {
    return std::clamp(ReadSetting(store, FolderEntryCount(categoryKeyPath)), 0, kMaxFolderEntries);
}
