#include "app/configuration_flow.h"

#include "settings/general.h"
#include "settings/lenient_settings.h"
#include "settings/store.h"

namespace {
struct CategorySchema {
    int category;
    QString keyName;
    QString defaultUnlockCode;
    QString defaultExtensions;
};

const CategorySchema kCategories[] = {
    {1, QStringLiteral("Video"), QStringLiteral("58203714"), QStringLiteral("mpg,mpeg,avi,wpl")},
    {2, QStringLiteral("Music"), QStringLiteral("69314825"), QStringLiteral("wav,wma,mp3,m3u,mid")},
    {3, QStringLiteral("Picture"), QStringLiteral("70425936"),
     QStringLiteral("bmp,wmf,emf,jpg,jpeg")},
};

const QString kOn = QStringLiteral("On");
const QString kOff = QStringLiteral("Off");

void FillDialog(ConfigurationDialog& dialog, LenientSettings& reads) {
    dialog.SetExitCode(
        reads.String(settingskey::System, QStringLiteral("ExitCode"), QStringLiteral("81536047")));
    dialog.SetActiveDelay(reads.Int(settingskey::System, QStringLiteral("ActiveDelay"), 10));
    for (const CategorySchema& schema : kCategories) {
        const QString key = settingskey::Category(schema.keyName);
        dialog.SetUnlockCode(schema.category, reads.String(key, QStringLiteral("UnLockCode"),
                                                           schema.defaultUnlockCode));
        dialog.SetExtensions(schema.category, reads.String(key, QStringLiteral("Extention"),
                                                           schema.defaultExtensions));
        const int count = reads.Value([&] { return ReadFolderEntryCount(key); }, 0);
        for (int n = 1; n <= count; ++n) {
            FolderRow row;
            row.title = reads.String(key, EntryValueName("Title", n), QString());
            row.folder = reads.String(key, EntryValueName("Folder", n), QString());
            row.lock = reads.Bool(key, EntryValueName("Lock", n), false) ? kOn : kOff;
            dialog.AddFolderRow(schema.category, row);
        }
    }
}

void WriteBack(const ConfigurationDialog& dialog) {
    WriteSettingString(0, settingskey::System, QStringLiteral("ExitCode"), dialog.ExitCode());
    WriteSettingInt(0, settingskey::System, QStringLiteral("ActiveDelay"), dialog.ActiveDelay());
    for (const CategorySchema& schema : kCategories) {
        // The category key is rewritten whole, so no entry beyond the new count survives.
        const QString key = settingskey::Category(schema.keyName);
        EraseSettingKey(0, key);
        WriteSettingString(0, key, QStringLiteral("UnLockCode"),
                           dialog.UnlockCode(schema.category));
        WriteSettingString(0, key, QStringLiteral("Extention"), dialog.Extensions(schema.category));
        const QList<FolderRow> rows = dialog.FolderRows(schema.category);
        WriteSettingInt(0, key, QStringLiteral("ItemCount"), int(rows.size()));
        for (int i = 0; i < rows.size(); ++i) {
            const int n = i + 1;
            WriteSettingString(0, key, EntryValueName("Title", n), rows[i].title);
            WriteSettingString(0, key, EntryValueName("Folder", n), rows[i].folder);
            WriteSettingBool(0, key, EntryValueName("Lock", n), rows[i].lock == kOn);
        }
    }
}
} // namespace

void RunConfigurationFlow(const ConfigurationDialogFactory& makeDialog, LenientSettings& reads) {
    // Without a settings dialog there is nothing to edit; the store keeps what it has.
    const std::unique_ptr<ConfigurationDialog> dialog = makeDialog ? makeDialog() : nullptr;
    if (!dialog)
        return;
    FillDialog(*dialog, reads);
    // Written while the dialog is still open, so that a store that refuses (locked by another
    // program, read-only) costs the owner no edit. Erasing a category and rewriting it must never
    // leave the owner with lost folders: either every value lands or the store stays as it was.
    dialog->OnAccept = [&dialog] {
        SettingsTransaction transaction;
        WriteBack(*dialog);
        transaction.Commit();
    };
    dialog->ShowModal();
}

void RunConfigurationFlow(const ConfigurationDialogFactory& makeDialog) {
    LenientSettings reads;
    RunConfigurationFlow(makeDialog, reads);
}
