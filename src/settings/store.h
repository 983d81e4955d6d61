#pragma once

#include "platform/error.h"
#include "settings/general.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// The per-user hierarchical store behind the settings operations: one SQLite file, one connection
// per process with its prepared statements kept, nothing cached. Keys live below one of the root
// keys; key paths and value names compare case-insensitively (through a case-folded column) and
// keep the spelling they were first written with.

// Stored kinds of a value, numbered as the registry numbers them so .reg files map one to one.
enum class ValueKind : quint32 {
    None = 0,
    Sz = 1,       // REG_SZ: text, UTF-8 with one terminating NUL
    ExpandSz = 2, // REG_EXPAND_SZ: text as REG_SZ, variables left unexpanded
    Binary = 3,   // REG_BINARY
    Dword = 4,    // REG_DWORD: 32-bit little-endian
    MultiSz = 7,  // REG_MULTI_SZ
    Qword = 11,   // REG_QWORD
};

struct StoredValue {
    QString name; // as first written; empty for a key's default value
    ValueKind kind = ValueKind::None;
    QByteArray data;
};

struct StoredKey {
    qint64 id = 0;
    QString name; // the last component, as first written
};

// Text as the store keeps it for REG_SZ and REG_EXPAND_SZ: UTF-8 followed by one NUL.
QByteArray StoredText(const QString& text);
// The characters up to the first NUL.
QString TextFromStored(const QByteArray& data);

// Every root key in the order an export lists them, with its registry name.
QList<RootKey> AllRootKeys();
QString RootKeyName(RootKey root); // "HKEY_CURRENT_USER"
std::optional<RootKey> RootKeyFromName(const QString& name);

// The store file cannot be opened or created (missing or unwritable folder, corrupt file).
class SettingsStoreUnavailable : public AppError {
public:
    using AppError::AppError;
};

// A statement on an opened store failed (read-only file, lock held too long, disk full, bad path).
class SettingsStoreError : public AppError {
public:
    // code: SQLite's result code; 0 for a failure of the program's own (a bad key path).
    explicit SettingsStoreError(const QString& message, int code = 0)
        : AppError(message), code_(code) {}
    // The store says no for now (locked by another program, disk full, read-only, a disk error):
    // the same write may succeed later.
    bool Refusal() const;
    // Why, in the owner's words ("the disk is full").
    QString Reason() const;

private:
    int code_;
};

class SettingsStore {
    Q_DECLARE_TR_FUNCTIONS(SettingsStore)

public:
    enum class Access { ReadWrite, ReadOnly };
    class Connection; // the open SQLite connection, private to store.cpp

    // Made once in main() and handed down; it opens its file (DefaultDatabasePath() unless
    // UseDatabase chose another) at the first operation.
    SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    // $XDG_CONFIG_HOME/couchframe/settings.db, else ~/.config/couchframe/settings.db.
    static QString DefaultDatabasePath();

    // Points the store at another file (tests, other profiles). The current connection
    // is closed; the new file is opened by the next operation. Not allowed inside a transaction.
    void UseDatabase(const QString& path, Access access = Access::ReadWrite);
    QString DatabasePath() const;

    // Opens the file now; raises SettingsStoreUnavailable when it cannot be opened.
    void CheckOpen();
    // From now on the store is not used at all: the settings operations read their defaults and
    // drop their writes. UseDatabase ends it.
    void RunOnDefaults();
    bool RunsOnDefaults() const { return onDefaults_; }

    // The key's id, or nothing when the key (or a level above it) does not exist or the path is
    // not a valid key path. An empty path is the root key itself.
    std::optional<qint64> FindKey(RootKey root, const QString& keyPath);
    // Creates every missing level and returns the key's id; an existing key is left as it is.
    qint64 CreateKey(RootKey root, const QString& keyPath);

    std::optional<StoredValue> ReadValue(RootKey root, const QString& keyPath,
                                         const QString& valueName);
    // Writes a value of any kind; an existing value of the same name (ignoring case) is replaced
    // and keeps its spelling.
    void WriteValue(qint64 key, const QString& valueName, ValueKind kind, const QByteArray& data);
    void DeleteValue(qint64 key, const QString& valueName);

    // Sub-keys and values of a key, ordered by their case-folded names.
    QList<StoredKey> SubKeys(qint64 key);
    QList<StoredValue> Values(qint64 key);
    // Deletes the key with its values and every sub-key, depth first (the last sub-key first).
    // A root key keeps its row and loses only its contents.
    void EraseKey(qint64 key);

    // Runs one statement on the store's tables beyond the settings keys (the playback index) with
    // its parameters bound in order (QByteArray as a blob, QString as text, integers, doubles, an
    // invalid QVariant as NULL) and answers its rows, each column as the same kinds. sql names the
    // kept statement: it must be a string that lives as long as the program.
    QList<QVariantList> Run(const char* sql, const QVariantList& parameters = {});

    // Runs a multi-statement change as one unit: a write transaction of its own, or a savepoint
    // inside the transaction already open.
    template <typename Change> void WriteAtomically(Change&& change);

    // How long a write waits for another program's lock before it is refused. The user interface
    // must never wait long: a refused write is held (below) instead.
    void SetLockWait(std::chrono::milliseconds wait);
    std::chrono::milliseconds LockWait() const { return lockWait_; }

    // Writes a value into its key (made when missing) as one unit. Refused for now outside a
    // transaction, it is held instead of failing; within one, the refusal fails the whole.
    void SetValue(RootKey root, const QString& keyPath, const QString& valueName, ValueKind kind,
                  const QByteArray& data);
    // Held writes: what the store refuses for now (outside a transaction) is kept in memory, a
    // later write of the same identity replacing it; while writes are held, the next ones wait
    // with them rather than each waiting for a lock again. The first refusal of a run is told to
    // the listener; WriteHeld(), and any transaction that commits, writes them all first. Runs the
    // write, or holds it: true when it is held (label names it for the owner). Any failure but a
    // refusal outside a transaction is raised.
    bool WriteOrHold(const QString& identity, const QString& label,
                     const std::function<void()>& write);
    bool Holds(const QString& identity) const;
    // Writes what is held as one unit (so does any transaction that commits); true when nothing
    // is held any more.
    bool WriteHeld();
    bool HoldsWrites() const { return !held_.empty(); }
    // What is held, as the owner knows it ("Volume", "where film.mkv was left"), and why.
    QStringList HeldLabels() const;
    QString HeldReason() const { return heldReason_; }
    // Told at the first refusal of a run of them (after the held writes are written, a refusal
    // is told again).
    void SetRefusalListener(std::function<void()> listener) {
        refusalListener_ = std::move(listener);
    }

    ~SettingsStore();

private:
    friend class SettingsTransaction;

    Connection& Open();
    void Begin();
    void CommitLevel();
    void RollbackLevel() noexcept;

    struct HeldWrite {
        QString identity;
        QString label;
        std::function<void()> write;
    };
    static QString HeldValueIdentity(RootKey root, const QString& keyPath,
                                     const QString& valueName);
    void Hold(const QString& identity, const QString& label, std::function<void()> write);
    // Drops a held write (one of the same identity is held in its place).
    void ForgetHeld(const QString& identity);

    // In the order first held; held values by identity too, for reading back.
    std::vector<HeldWrite> held_;
    std::map<QString, StoredValue> heldValues_;
    QString heldReason_;
    bool carriesHeld_ = false; // the open transaction wrote what is held
    std::function<void()> refusalListener_;
    std::chrono::milliseconds lockWait_{5000};
    QString path_;
    Access access_ = Access::ReadWrite;
    bool pathChosen_ = false;
    bool onDefaults_ = false;
    int transactionDepth_ = 0;
    std::unique_ptr<Connection> connection_;
};

// A write transaction of a store: every operation until Commit() lands together or not at all.
// Destroyed without Commit(), it rolls back. Transactions nest (as savepoints).
class SettingsTransaction {
public:
    explicit SettingsTransaction(SettingsStore& store);
    ~SettingsTransaction();
    SettingsTransaction(const SettingsTransaction&) = delete;
    SettingsTransaction& operator=(const SettingsTransaction&) = delete;

    void Commit();

private:
    SettingsStore& store_;
    bool open_ = true;
};

template <typename Change> void SettingsStore::WriteAtomically(Change&& change) {
    SettingsTransaction transaction(*this);
    change();
    transaction.Commit();
}
