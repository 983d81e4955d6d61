#pragma once

#include "settings/schema.h"

#include <QString>

#include <optional>

class SettingsStore;

// Typed access to the per-user settings store, made once in main() and handed to whoever reads or
// writes settings. Every call goes to the store (nothing is cached);
// a missing key or value yields the caller's default. Failures raise AppError with the message the
// user sees. Key paths are "\"-separated, with or without a leading "\"; names compare ignoring
// case.

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };
RootKey RootKeyFromSelector(int selector);

QString ReadSettingString(SettingsStore& store, int selector, const QString& keyPath,
                          const QString& valueName, const QString& defaultText);
bool ReadSettingBool(SettingsStore& store, int selector, const QString& keyPath,
                     const QString& valueName, bool defaultFlag);
int ReadSettingInt(SettingsStore& store, int selector, const QString& keyPath,
                   const QString& valueName, int defaultNumber);
void WriteSettingString(SettingsStore& store, int selector, const QString& keyPath,
                        const QString& valueName, const QString& text);
void WriteSettingBool(SettingsStore& store, int selector, const QString& keyPath,
                      const QString& valueName, bool flag);
void WriteSettingInt(SettingsStore& store, int selector, const QString& keyPath,
                     const QString& valueName, int number);
// Deletes the key with all its values and sub-keys; never raises.
void EraseSettingKey(SettingsStore& store, int selector, const QString& keyPath);
bool SettingKeyExists(SettingsStore& store, const QString& keyPath);

// The same operations on a value of the schema.
QString ReadSetting(SettingsStore& store, const TextSetting& setting);
int ReadSetting(SettingsStore& store, const NumberSetting& setting);
bool ReadSetting(SettingsStore& store, const FlagSetting& setting);
void WriteSetting(SettingsStore& store, const TextSetting& setting, const QString& text);
void WriteSetting(SettingsStore& store, const NumberSetting& setting, int number);
void WriteSetting(SettingsStore& store, const FlagSetting& setting, bool flag);

// Opens the settings store. One that cannot be opened (a corrupt file, a configuration folder that
// is missing and cannot be made, or that cannot be written) leaves the process on defaults: every
// read gives its default, and every write and erase is dropped. Returns the reason it could not be
// opened, or nothing when it is usable.
std::optional<QString> OpenSettingsOrRunOnDefaults(SettingsStore& store);

// The number of registered folder entries of a category key ("ItemCount"), kept within
// [0, kMaxFolderEntries]. The count is stored data that an import or a damaged file can set to
// anything, and every reader loops over it reading three values per entry and building a row for
// each: an unbounded count (2,000,000,000) would hang the screen and exhaust memory. 9999 is the
// largest four-digit entry number and far more folders than a ten-row-a-page list can be walked
// through; a negative count means no entries. Every reader of "ItemCount" goes through here.
inline constexpr int kMaxFolderEntries = 9999;
int ReadFolderEntryCount(SettingsStore& store, const QString& categoryKeyPath);
