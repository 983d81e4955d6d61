#pragma once

#include "dialogs/configuration_dialog.h"

#include <QString>

#include <optional>

// Why settings as the dialog holds them cannot be stored, the first thing found: the exit code
// must be typeable on a remote's digit keys, an unlock code digits or nothing. The settings dialog
// and the phone's set-up pages refuse with the same words.
struct ConfigurationRefusal {
    int category; // 0: the exit code; 1 to 3: that category's unlock code
    QString message;
};
std::optional<ConfigurationRefusal> RefusalOf(const ConfigurationDialog& settings);

// The name of a category (1 Video, 2 Music, 3 Picture) as the dialog's tabs show it.
QString CategoryName(int category);
