#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// What the phone's set-up pages may do with the program's settings, behind the owner's exit code.
// The settings travel as the settings dialog holds them:
//   {"exitCode": "81536047", "activeDelay": 10, "phoneRemote": true,
//    "categories": [{"category": 1, "unlockCode": "", "extensions": "avi,mp4",
//                    "continueFolder": true,
//                    "folders": [{"title": "Films", "folder": "/srv/films", "lock": false}]},
//                   ... 2 (Music), 3 (Picture: no "continueFolder")]}
class PhoneSetup {
public:
    virtual ~PhoneSetup() = default;

    // Whether the text is the owner's exit code.
    virtual bool Unlocks(const QString& exitCode) = 0;
    // The settings as the dialog would be filled with them.
    virtual QJsonObject Settings() = 0;
    // Stores the settings whole, with the dialog's checks, or nothing at all: the message that
    // says why not, as the dialog would show it.
    virtual std::optional<QString> Save(const QJsonObject& settings) = 0;
    // The folders in a folder of the PC, by name ({"name", "path"} each); the starting places
    // (home, media folders, mounted drives) for an empty path. Nothing for a folder that cannot
    // be read.
    virtual QJsonArray Folders(const QString& path) = 0;
};
