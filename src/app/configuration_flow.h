#pragma once

#include "dialogs/configuration_dialog.h"

class LenientSettings;
class SettingsStore;

// Fills the dialog from the store. A value that cannot be read fills its field with the default,
// and its message is shown once through reads.
void FillConfiguration(ConfigurationDialog& dialog, LenientSettings& reads);
// Writes everything the dialog holds back as one transaction of the settings store: all of it
// lands or none of it (AppError says why).
void StoreConfiguration(SettingsStore& store, const ConfigurationDialog& dialog);

// Fills a new dialog from the store, shows it and, when OK is pressed, writes everything back as
// one transaction of the settings store: all of it lands or none of it. A value that cannot be
// read fills its field with the default, and its message is shown once through reads.
void RunConfigurationFlow(const ConfigurationDialogFactory& makeDialog, LenientSettings& reads);
void RunConfigurationFlow(const ConfigurationDialogFactory& makeDialog, SettingsStore& store);
