#include "settings/lenient_settings.h"

#include "platform/application.h"
#include "settings/general.h"

QString LenientSettings::Read(const TextSetting& setting) {
    return Value([&] { return ReadSetting(store_, setting); }, setting.defaultValue);
}

int LenientSettings::Read(const NumberSetting& setting) {
    return Value([&] { return ReadSetting(store_, setting); }, setting.defaultValue);
}

bool LenientSettings::Read(const FlagSetting& setting) {
    return Value([&] { return ReadSetting(store_, setting); }, setting.defaultValue);
}

void LenientSettings::Report(const AppError& error) {
    if (shown_.contains(error.message()))
        return;
    shown_.append(error.message());
    ReportError(error);
}
