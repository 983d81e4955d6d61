#include "dialogs/configuration_rules.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
constexpr int kMaxExitCodeLength = 32;

// Text of one or more of the digits 0 to 9: what the remote's digit keys can type.
bool IsDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}
} // namespace

QString CategoryName(int category) {
    switch (category) {
    case 1:
        return QCoreApplication::translate("TConfig_Form", "my Video");
    case 2:
        return QCoreApplication::translate("TConfig_Form", "my Music");
    default:
        return QCoreApplication::translate("TConfig_Form", "my Picture");
    }
}

std::optional<ConfigurationRefusal> RefusalOf(const ConfigurationDialog& settings) {
    const QString exitCode = settings.ExitCode();
    if (!IsDigits(exitCode) || exitCode.size() > kMaxExitCodeLength) {
        return ConfigurationRefusal{
            0, QCoreApplication::translate(
                   "TConfig_Form",
                   "\"終了コード\" must be 1 to %1 digits (0 to 9): it is typed on the remote's "
                   "digit keys, and an empty one would quit at every Enter.")
                   .arg(kMaxExitCodeLength)};
    }
    for (int category = 1; category <= 3; ++category) {
        const QString code = settings.UnlockCode(category);
        if (!code.isEmpty() && !IsDigits(code)) {
            return ConfigurationRefusal{
                category, QCoreApplication::translate("TConfig_Form",
                                                      "\"ロック解除コード\" of \"%1\" may hold "
                                                      "only digits (0 to 9), or nothing for no "
                                                      "lock.")
                              .arg(CategoryName(category))};
        }
    }
    return std::nullopt;
}
