#pragma once

#include "phone/phone_setup.h"

#include <functional>

class SettingsStore;

// The phone's set-up, done as the settings dialog does it: filled from the store by the same
// flow, checked by the same rules, stored by the same transaction.
class PhoneSetupService : public PhoneSetup {
public:
    explicit PhoneSetupService(SettingsStore& store) : store_(store) {}

    bool Unlocks(const QString& exitCode) override;
    QJsonObject Settings() override;
    std::optional<QString> Save(const QJsonObject& settings) override;
    QJsonArray Folders(const QString& path) override;

    // Runs after settings from a phone were stored (the main menu reads its own again).
    std::function<void()> saved;

private:
    SettingsStore& store_;
};
