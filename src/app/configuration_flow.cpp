#include "app/configuration_flow.h"

#include "settings/general.h"
#include "settings/lenient_settings.h"
#include "settings/phone_remote.h"
#include "settings/store.h"

namespace {
const QString kOn = QStringLiteral("On");
const QString kOff = QStringLiteral("Off");

// Pictures step on in the slide show; only the player's categories go on by themselves.
bool PlaysOnThroughFolders(const CategorySettings& schema) {
    return schema.category != 3;
}

} // namespace

void FillConfiguration(ConfigurationDialog& dialog, LenientSettings& reads) {
    dialog.SetExitCode(reads.Read(setting::ExitCode));
    dialog.SetActiveDelay(reads.Read(setting::ActiveDelay));
    dialog.SetPhoneRemote(reads.Read(setting::PhoneRemote));
    for (const CategorySettings& schema : CategorySchemas()) {
        dialog.SetUnlockCode(schema.category, reads.Read(schema.unlockCode));
        dialog.SetExtensions(schema.category, reads.Read(schema.extensions));
        if (PlaysOnThroughFolders(schema))
            dialog.SetContinueFolder(schema.category, reads.Read(schema.continueFolder));
        const int count =
            reads.Value([&] { return ReadFolderEntryCount(reads.Store(), schema.keyPath); }, 0);
        for (int n = 1; n <= count; ++n) {
            FolderRow row;
            row.title = reads.Read(schema.Title(n));
            row.folder = reads.Read(schema.Folder(n));
            row.lock = reads.Read(schema.Lock(n)) ? kOn : kOff;
            dialog.AddFolderRow(schema.category, row);
        }
    }
}

void StoreConfiguration(SettingsStore& store, const ConfigurationDialog& dialog) {
    SettingsTransaction transaction(store);
    WriteSetting(store, setting::ExitCode, dialog.ExitCode());
    WriteSetting(store, setting::ActiveDelay, dialog.ActiveDelay());
    WriteSetting(store, setting::PhoneRemote, dialog.PhoneRemote());
    for (const CategorySettings& schema : CategorySchemas()) {
        // The category key is rewritten whole, so no entry beyond the new count survives.
        EraseSettingKey(store, 0, schema.keyPath);
        WriteSetting(store, schema.unlockCode, dialog.UnlockCode(schema.category));
        WriteSetting(store, schema.extensions, dialog.Extensions(schema.category));
        if (PlaysOnThroughFolders(schema))
            WriteSetting(store, schema.continueFolder, dialog.ContinueFolder(schema.category));
        const QList<FolderRow> rows = dialog.FolderRows(schema.category);
        WriteSetting(store, schema.itemCount, static_cast<int>(rows.size()));
        for (int i = 0; i < rows.size(); ++i) {
            const int n = i + 1;
            WriteSetting(store, schema.Title(n), rows[i].title);
            WriteSetting(store, schema.Folder(n), rows[i].folder);
            WriteSetting(store, schema.Lock(n), rows[i].lock == kOn);
        }
    }
    transaction.Commit();
}

void RunConfigurationFlow(const ConfigurationDialogFactory& makeDialog, LenientSettings& reads) {
    // Without a settings dialog there is nothing to edit; the store keeps what it has.
    const std::unique_ptr<ConfigurationDialog> dialog = makeDialog ? makeDialog() : nullptr;
    if (!dialog)
        return;
    FillConfiguration(*dialog, reads);
    // Written while the dialog is still open, so that a store that refuses (locked by another
    // program, read-only) costs the owner no edit. Erasing a category and rewriting it must never
    // leave the owner with lost folders: either every value lands or the store stays as it was.
    dialog->OnAccept = [&dialog, &store = reads.Store()] { StoreConfiguration(store, *dialog); };
    dialog->OnForgetPhones = [&store = reads.Store()] { ForgetPairedPhones(store); };
    dialog->ShowModal();
}

void RunConfigurationFlow(const ConfigurationDialogFactory& makeDialog, SettingsStore& store) {
    LenientSettings reads(store);
    RunConfigurationFlow(makeDialog, reads);
}
