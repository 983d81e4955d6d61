#pragma once

#include "phone/phone_setup.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <vector>

// The program's side of the set-up as a test sets it: a known exit code, settings that are what
// was stored last, folders by path. It keeps every save asked of it, and refuses settings whose
// exit code is refusedExitCode with refusal.
class RecordingSetup final : public PhoneSetup {
public:
    bool Unlocks(const QString& code) override {
        return code == settings.value(u"exitCode").toString();
    }
    QJsonObject Settings() override { return settings; }
    std::optional<QString> Save(const QJsonObject& asked) override {
        saves.push_back(asked);
        if (asked.value(u"exitCode").toString() == refusedExitCode)
            return refusal;
        settings = asked;
        return std::nullopt;
    }
    QJsonArray Folders(const QString& path) override {
        browsed.append(path);
        return folders.value(path);
    }

    QJsonObject settings{
        {"exitCode", "81536047"},
        {"activeDelay", 10},
        {"phoneRemote", true},
        {"categories",
         QJsonArray{
             QJsonObject{
                 {"category", 1},
                 {"unlockCode", ""},
                 {"extensions", "avi,mp4"},
                 {"continueFolder", true},
                 {"folders", QJsonArray{QJsonObject{
                                 {"title", "Films"}, {"folder", "/srv/films"}, {"lock", false}}}}},
             QJsonObject{{"category", 2},
                         {"unlockCode", "12"},
                         {"extensions", "mp3,flac"},
                         {"continueFolder", false},
                         {"folders", QJsonArray{}}},
             QJsonObject{{"category", 3},
                         {"unlockCode", ""},
                         {"extensions", "jpg"},
                         {"folders", QJsonArray{}}},
         }},
    };
    QString refusedExitCode = QStringLiteral("0");
    QString refusal = QStringLiteral("\"終了コード\" must be <1 to 32> digits & more.");
    QHash<QString, QJsonArray> folders;
    std::vector<QJsonObject> saves;
    QStringList browsed;
};
