#include "settings/lenient_settings.h"

#include "platform/application.h"
#include "settings/general.h"

QString LenientSettings::String(const QString& keyPath, const QString& valueName,
                                const QString& defaultText) {
    return Value([&] { return ReadSettingString(0, keyPath, valueName, defaultText); },
                 defaultText);
}

int LenientSettings::Int(const QString& keyPath, const QString& valueName, int defaultNumber) {
    return Value([&] { return ReadSettingInt(0, keyPath, valueName, defaultNumber); },
                 defaultNumber);
}

bool LenientSettings::Bool(const QString& keyPath, const QString& valueName, bool defaultFlag) {
    return Value([&] { return ReadSettingBool(0, keyPath, valueName, defaultFlag); }, defaultFlag);
}

void LenientSettings::Report(const AppError& error) {
    if (shown_.contains(error.message()))
        return;
    shown_.append(error.message());
    ReportError(error);
}
