#pragma once

#include "settings/general.h"
#include "settings/store.h"
#include "test_store.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every test gets a store file of its own in a fresh folder; the process's store points at it.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        TestStore().UseDatabase(DatabasePath());
    }
    void TearDown() override { TestStore().UseDatabase(SettingsStore::DefaultDatabasePath()); }

    QString DatabasePath() const { return folder.filePath(QStringLiteral("settings.db")); }

    QTemporaryDir folder;
};

// Stores a value of any kind, as an import or another program could.
inline void WriteRaw(const QString& keyPath, const QString& name, ValueKind kind,
                     const QByteArray& data, RootKey root = RootKey::CurrentUser) {
    SettingsStore& store = TestStore();
    store.WriteAtomically(
        [&] { store.WriteValue(store.CreateKey(root, keyPath), name, kind, data); });
}

// The message an operation raised, or an empty text when it raised nothing.
template <typename Operation> QString RaisedMessage(Operation&& operation) {
    try {
        operation();
    } catch (const AppError& error) {
        return error.message();
    }
    return QString();
}
