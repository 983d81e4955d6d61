#pragma once

#include "dialogs/configuration_dialog.h"
#include "platform/error.h"

#include <QMap>

#include <functional>
#include <stdexcept>

// The settings dialog as the start-up flow sees it: it keeps what it is filled with and closes
// with a chosen result, after letting the test edit it the way the owner would.
class TestConfigurationDialog : public ConfigurationDialog {
public:
    // What the controls hold.
    struct Contents {
        QString exitCode;
        int activeDelay = -1;
        bool phoneRemote = false;
        QMap<int, QString> unlockCodes;
        QMap<int, QString> extensions;
        QMap<int, bool> continueFolder;
        QMap<int, QList<FolderRow>> rows;
    };
    // How dialogs were used, kept beyond their life.
    struct Record {
        int created = 0;
        int shown = 0;
        int destroyed = 0;
        Contents filled;      // as the flow filled the last one shown, before the owner's edits
        QStringList refusals; // messages of OK presses that could not store the contents
    };

    explicit TestConfigurationDialog(Record& record) : record_(record) { ++record_.created; }
    ~TestConfigurationDialog() override { ++record_.destroyed; }

    void SetExitCode(const QString& text) override { contents.exitCode = text; }
    QString ExitCode() const override { return contents.exitCode; }
    void SetActiveDelay(int seconds) override { contents.activeDelay = seconds; }
    int ActiveDelay() const override { return contents.activeDelay; }
    void SetPhoneRemote(bool on) override { contents.phoneRemote = on; }
    bool PhoneRemote() const override { return contents.phoneRemote; }
    void ShowPhoneInvitations(PhoneInvitations next) override { invitations = std::move(next); }
    void SetUnlockCode(int category, const QString& text) override {
        contents.unlockCodes[category] = text;
    }
    QString UnlockCode(int category) const override { return contents.unlockCodes.value(category); }
    void SetExtensions(int category, const QString& text) override {
        contents.extensions[category] = text;
    }
    QString Extensions(int category) const override { return contents.extensions.value(category); }
    void SetContinueFolder(int category, bool on) override {
        contents.continueFolder[category] = on;
    }
    bool ContinueFolder(int category) const override {
        return contents.continueFolder.value(category);
    }
    void AddFolderRow(int category, const FolderRow& row) override {
        contents.rows[category].append(row);
    }
    QList<FolderRow> FolderRows(int category) const override {
        if (failOnRowsOf == category)
            throw std::runtime_error("rows unavailable");
        return contents.rows.value(category);
    }
    // OK runs OnAccept as the real dialog does; when that refuses, the owner gives up with Cancel.
    int ShowModal() override {
        ++record_.shown;
        record_.filled = contents;
        if (edit)
            edit(contents);
        if (result == 1 && OnAccept) {
            try {
                OnAccept();
            } catch (const AppError& error) {
                record_.refusals.append(error.message());
                return 2;
            }
        }
        return result;
    }

    Contents contents;
    int result = 2;
    int failOnRowsOf = 0;
    // The owner's edits while the dialog is shown.
    std::function<void(Contents&)> edit;
    // How a phone pairs, when the dialog was shown it.
    PhoneInvitations invitations;

private:
    Record& record_;
};

// A factory of such dialogs, all closing with `result` after `edit`.
inline ConfigurationDialogFactory
TestConfigurationDialogs(TestConfigurationDialog::Record& record, int result,
                         std::function<void(TestConfigurationDialog::Contents&)> edit = {},
                         int failOnRowsOf = 0) {
    return [&record, result, edit, failOnRowsOf] {
        auto dialog = std::make_unique<TestConfigurationDialog>(record);
        dialog->result = result;
        dialog->edit = edit;
        dialog->failOnRowsOf = failOnRowsOf;
        return dialog;
    };
}
