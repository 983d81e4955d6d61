#pragma once

#include <QString>

#include <array>

// Where every setting lives, its name, its kind and its default: each reader and writer takes
// them from here, so that a default is written in one place only.

// Key paths.
namespace settingskey {
inline const QString Root = QStringLiteral("Software\\Quor\\Couchframe");
inline const QString System = QStringLiteral("Software\\Quor\\Couchframe\\System");
inline const QString Player = QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Player");
inline const QString Viewer = QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Viewer");
// Where each played item was left, with "Order" below it.
inline const QString Resume = QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Resume");
// The phones paired as remote controls.
inline const QString Phones = QStringLiteral("Software\\Quor\\Couchframe\\Phones");
inline const QString SusiePlugins = QStringLiteral("\\Software\\Ralowend\\Susie\\Plug-in");
// "Software\Quor\Couchframe\" followed by "Video", "Music" or "Picture".
QString Category(const QString& categoryKeyName);
} // namespace settingskey

// One value: its key, its name and what a read gives while it is missing. The type is the kind it
// is written as: text as REG_SZ, numbers and flags as REG_DWORD.
template <typename T> struct Setting {
    QString keyPath;
    QString valueName;
    T defaultValue;
};
using TextSetting = Setting<QString>;
using NumberSetting = Setting<int>;
using FlagSetting = Setting<bool>;

namespace setting {
inline const TextSetting ExitCode{settingskey::System, QStringLiteral("ExitCode"),
                                  QStringLiteral("81536047")};
// Seconds before the main menu takes the foreground.
inline const NumberSetting ActiveDelay{settingskey::System, QStringLiteral("ActiveDelay"), 10};
// Whether a phone's browser may serve as the remote control.
inline const FlagSetting PhoneRemote{settingskey::System, QStringLiteral("PhoneRemote"), true};

inline const FlagSetting PlayerShowProgress{settingskey::Player, QStringLiteral("ShowProgress"),
                                            false};
inline const NumberSetting PlayerVolume{settingskey::Player, QStringLiteral("Volume"), 80};
inline const FlagSetting PlayerSkipFlg{settingskey::Player, QStringLiteral("SkipFlg"), false};
inline const NumberSetting PlayerSkipSecond{settingskey::Player, QStringLiteral("SkipSecond"), 2};

inline const NumberSetting ViewerDispTime{settingskey::Viewer, QStringLiteral("DispTime"), 3};
inline const FlagSetting ViewerShowProgress{settingskey::Viewer, QStringLiteral("ShowProgress"),
                                            false};

// The plug-in folder shared with other programs that host the same plug-ins.
inline const TextSetting SusiePath{settingskey::SusiePlugins, QStringLiteral("Path"), QString()};
} // namespace setting

// Names of a registered folder entry's values: "Title001", "Folder012", "Lock1000".
QString EntryValueName(const char* prefix, int entryNumber);
// "ItemCount" of a category key: how many registered folder entries follow, numbered from 1.
NumberSetting FolderEntryCount(const QString& categoryKeyPath);

// The key of a file category (1 Video, 2 Music, 3 Picture) and its values.
struct CategorySettings {
    int category;
    QString keyPath;
    TextSetting unlockCode;
    TextSetting extensions;
    NumberSetting itemCount;
    // A file chosen in a folder list is followed by the next one of that folder when it ends
    // (Video and Music).
    FlagSetting continueFolder;

    TextSetting Title(int entryNumber) const;
    TextSetting Folder(int entryNumber) const;
    FlagSetting Lock(int entryNumber) const;
};

constexpr int kFirstCategory = 1;
constexpr int kLastCategory = 3;
bool IsFileCategory(int category);
const std::array<CategorySettings, 3>& CategorySchemas();
// Raises AppError for a number outside 1..3.
const CategorySettings& CategorySchema(int category);
