#include "settings/store.h"

#include "platform/user_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_map>

namespace {
// Why SQLite failed. On a full disk it says "disk I/O error" when it cannot make its log file: the
// system's own reason tells the owner what to do.
QString ReasonOf(sqlite3* db) {
    const int primary = sqlite3_extended_errcode(db) & 0xff;
    if ((primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN) &&
        sqlite3_system_errno(db) == ENOSPC)
        return QCoreApplication::translate("SettingsStore", "the disk is full");
    return QString::fromUtf8(sqlite3_errmsg(db));
}

constexpr int kSchemaVersion = 1;

const char kCreateSchema[] = R"sql(
CREATE TABLE settings_keys(
    id INTEGER PRIMARY KEY,
    root TEXT NOT NULL,
    parent INTEGER,
    name TEXT NOT NULL,
    path TEXT NOT NULL,
    UNIQUE(root, path));
CREATE INDEX settings_keys_parent ON settings_keys(parent, path);
CREATE TABLE settings_values(
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    kind INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, folded)) WITHOUT ROWID;
)sql";
// What the program knows of the files it has played, by the bytes of their paths; made on every
// writable opening, so a store made before it gains it and an older program just never reads it.
const char kCreatePlaybackIndex[] = R"sql(
CREATE TABLE IF NOT EXISTS playback_index(
    path BLOB PRIMARY KEY,
    duration REAL NOT NULL,
    position REAL NOT NULL,
    play_count INTEGER NOT NULL,
    last_played INTEGER NOT NULL,
    audio TEXT NOT NULL,
    subtitles TEXT NOT NULL) WITHOUT ROWID;
)sql";
// settings_keys.path is the case-folded path below the root ("" for the root key's own row);
// name keeps the spelling of the last component as it was first written.

const char kUserVersion[] = "PRAGMA user_version";
const char kInsertRootKey[] =
    "INSERT OR IGNORE INTO settings_keys(root, parent, name, path) VALUES(?1, NULL, '', '')";
const char kFindKey[] = "SELECT id FROM settings_keys WHERE root = ?1 AND path = ?2";
const char kInsertKey[] =
    "INSERT INTO settings_keys(root, parent, name, path) VALUES(?1, ?2, ?3, ?4)";
const char kSubKeys[] = "SELECT id, name FROM settings_keys WHERE parent = ?1 ORDER BY path";
const char kDeleteKey[] = "DELETE FROM settings_keys WHERE id = ?1 AND parent IS NOT NULL";
const char kReadValue[] = "SELECT v.name, v.kind, v.data FROM settings_keys k "
                          "JOIN settings_values v ON v.key = k.id "
                          "WHERE k.root = ?1 AND k.path = ?2 AND v.folded = ?3";
const char kWriteValue[] =
    "INSERT INTO settings_values(key, name, folded, kind, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, folded) DO UPDATE SET kind = excluded.kind, data = excluded.data";
const char kDeleteValue[] = "DELETE FROM settings_values WHERE key = ?1 AND folded = ?2";
const char kValues[] =
    "SELECT name, kind, data FROM settings_values WHERE key = ?1 ORDER BY folded";
const char kDeleteValuesOfKey[] = "DELETE FROM settings_values WHERE key = ?1";
const char kBegin[] = "BEGIN IMMEDIATE";
const char kCommit[] = "COMMIT";
const char kRollback[] = "ROLLBACK";
const char kSavepoint[] = "SAVEPOINT nested";
const char kRelease[] = "RELEASE nested";
const char kRollbackToSavepoint[] = "ROLLBACK TO nested";

struct RootKeyEntry {
    RootKey root;
    const char* name;
};
constexpr RootKeyEntry kRootKeys[] = {
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT"},     {RootKey::CurrentUser, "HKEY_CURRENT_USER"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"},   {RootKey::Users, "HKEY_USERS"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG"}, {RootKey::DynData, "HKEY_DYN_DATA"},
};

// The components of a key path below its root; nothing for a path with an empty component.
std::optional<QStringList> KeyComponents(const QString& keyPath) {
    const QString path = keyPath.startsWith(u'\\') ? keyPath.mid(1) : keyPath;
    if (path.isEmpty())
        return QStringList{};
    const QStringList components = path.split(u'\\');
    for (const QString& component : components)
        if (component.isEmpty())
            return std::nullopt;
    return components;
}

QString Folded(const QString& text) {
    return text.toCaseFolded();
}

} // namespace

QByteArray StoredText(const QString& text) {
    QByteArray data = text.toUtf8();
    data.append('\0');
    return data;
}

QString TextFromStored(const QByteArray& data) {
    const qsizetype end = data.indexOf('\0');
    return QString::fromUtf8(end < 0 ? data : data.left(end));
}

QList<RootKey> AllRootKeys() {
    QList<RootKey> roots;
    for (const RootKeyEntry& entry : kRootKeys)
        roots.append(entry.root);
    return roots;
}

QString RootKeyName(RootKey root) {
    for (const RootKeyEntry& entry : kRootKeys)
        if (entry.root == root)
            return QString::fromLatin1(entry.name);
    return QString();
}

std::optional<RootKey> RootKeyFromName(const QString& name) {
    for (const RootKeyEntry& entry : kRootKeys)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.root;
    return std::nullopt;
}

// One open SQLite connection with its prepared statements.
class SettingsStore::Connection {
public:
    Connection(const QString& path, Access access, std::chrono::milliseconds lockWait)
        : path_(path) {
        if (access == Access::ReadWrite)
            CreateFile();
        try {
            OpenAs(QFile::encodeName(path), access, lockWait);
        } catch (const SettingsStoreUnavailable&) {
            // A log-keeping store in a folder that cannot be written cannot be read the ordinary
            // way (its shared-memory file cannot be made). When no log of changes lies beside it
            // (a store closed cleanly), the file alone holds everything and is read as fixed.
            if (access == Access::ReadWrite || HasLogOfChanges())
                throw;
            OpenAs("file:" + QUrl::toPercentEncoding(QFile::encodeName(path), "/") + "?immutable=1",
                   access, lockWait);
        }
    }
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3_stmt* Prepared(const char* sql) {
        auto found = statements_.find(sql);
        if (found != statements_.end())
            return found->second;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
            SQLITE_OK)
            throw Failure();
        statements_.emplace(sql, statement);
        return statement;
    }

    SettingsStoreError Failure() const {
        return SettingsStoreError(
            QCoreApplication::translate("SettingsStore", "The settings store %1 failed: %2")
                .arg(path_, ReasonOf(db_)),
            sqlite3_extended_errcode(db_));
    }

    sqlite3* Handle() const { return db_; }
    void SetLockWait(std::chrono::milliseconds wait) {
        sqlite3_busy_timeout(db_, static_cast<int>(wait.count()));
    }

private:
    void OpenAs(const QByteArray& name, Access access, std::chrono::milliseconds lockWait) {
        const int flags =
            (access == Access::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) |
            SQLITE_OPEN_NOMUTEX | (name.startsWith("file:") ? SQLITE_OPEN_URI : 0);
        if (sqlite3_open_v2(name.constData(), &db_, flags, nullptr) != SQLITE_OK) {
            const QString reason =
                db_ ? ReasonOf(db_) : QCoreApplication::translate("SettingsStore", "out of memory");
            Close();
            throw Unavailable(reason);
        }
        SetLockWait(lockWait);
        try {
            PrepareSchema(access);
        } catch (const SettingsStoreError&) {
            const QString reason = ReasonOf(db_);
            Close();
            throw Unavailable(reason);
        } catch (const SettingsStoreUnavailable&) {
            Close();
            throw;
        }
    }

    bool HasLogOfChanges() const { return QFileInfo(path_ + QStringLiteral("-wal")).size() > 0; }

    SettingsStoreUnavailable Unavailable(const QString& reason) const {
        return SettingsStoreUnavailable(
            QCoreApplication::translate("SettingsStore", "Cannot open the settings store %1: %2")
                .arg(path_, reason));
    }

    // The file is made by us so that it is private to the user from its first byte.
    void CreateFile() {
        const QFileInfo info(path_);
        if (!QDir().mkpath(info.absolutePath()))
            throw Unavailable(
                QCoreApplication::translate("SettingsStore", "cannot create the folder %1")
                    .arg(info.absolutePath()));
        const int fd = ::open(QFile::encodeName(path_).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
        else if (errno != EEXIST)
            throw Unavailable(QString::fromLocal8Bit(std::strerror(errno)));
    }

    int SchemaVersion();
    void PrepareSchema(Access access);
    void Execute(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw Failure();
    }

    void Close() {
        for (auto& [sql, statement] : statements_)
            sqlite3_finalize(statement);
        statements_.clear();
        if (db_)
            sqlite3_close_v2(db_);
        db_ = nullptr;
    }

    QString path_;
    sqlite3* db_ = nullptr;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

namespace {

// One run of a kept statement: binds, steps, reads columns and resets it when done.
class Query {
public:
    Query(SettingsStore::Connection& connection, const char* sql)
        : connection_(connection), statement_(connection.Prepared(sql)) {}
    ~Query() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& Bind(int index, qint64 number) {
        sqlite3_bind_int64(statement_, index, number);
        return *this;
    }
    Query& Bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(statement_, index, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Query& Bind(int index, double number) {
        sqlite3_bind_double(statement_, index, number);
        return *this;
    }
    Query& BindBlob(int index, const QByteArray& data) {
        if (data.isEmpty())
            sqlite3_bind_zeroblob(statement_, index, 0);
        else
            sqlite3_bind_blob(statement_, index, data.constData(), static_cast<int>(data.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }

    // True while there is a row to read.
    bool Next() {
        const int status = sqlite3_step(statement_);
        if (status == SQLITE_ROW)
            return true;
        if (status == SQLITE_DONE)
            return false;
        throw connection_.Failure();
    }
    void Run() {
        while (Next()) {
        }
    }

    qint64 Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    QString Text(int column) const {
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement_, column)),
            sqlite3_column_bytes(statement_, column));
    }
    QByteArray Blob(int column) const {
        const void* data = sqlite3_column_blob(statement_, column);
        return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(statement_, column));
    }
    QVariantList Row() const {
        QVariantList row;
        const int columns = sqlite3_column_count(statement_);
        for (int column = 0; column < columns; ++column) {
            switch (sqlite3_column_type(statement_, column)) {
            case SQLITE_INTEGER:
                row.append(Integer(column));
                break;
            case SQLITE_FLOAT:
                row.append(sqlite3_column_double(statement_, column));
                break;
            case SQLITE_TEXT:
                row.append(Text(column));
                break;
            case SQLITE_BLOB:
                row.append(Blob(column));
                break;
            default:
                row.append(QVariant());
                break;
            }
        }
        return row;
    }
    StoredValue Value() const {
        return StoredValue{Text(0), static_cast<ValueKind>(Integer(1)), Blob(2)};
    }

private:
    SettingsStore::Connection& connection_;
    sqlite3_stmt* statement_;
};

} // namespace

int SettingsStore::Connection::SchemaVersion() {
    Query query(*this, kUserVersion);
    return query.Next() ? static_cast<int>(query.Integer(0)) : 0;
}

void SettingsStore::Connection::PrepareSchema(Access access) {
    // With a write-ahead log a reader never waits for a writer in another process, and a read
    // needs no check for a hot journal: it halves the cost of a read.
    if (access == Access::ReadWrite)
        Execute("PRAGMA journal_mode = WAL");
    int version = SchemaVersion();
    if (version == 0 && access == Access::ReadWrite) {
        // A second process may be creating it at the same moment: look again under the lock.
        Execute(kBegin);
        try {
            if (SchemaVersion() == 0) {
                Execute(kCreateSchema);
                for (const RootKeyEntry& entry : kRootKeys)
                    Query(*this, kInsertRootKey).Bind(1, QString::fromLatin1(entry.name)).Run();
                Execute("PRAGMA user_version = 1");
            }
            Execute(kCommit);
        } catch (...) {
            sqlite3_exec(db_, kRollback, nullptr, nullptr, nullptr);
            throw;
        }
        version = SchemaVersion();
    }
    // Said as they are: SQLite has no error of its own to give for these.
    if (version == 0)
        throw Unavailable(QCoreApplication::translate("SettingsStore", "it holds no settings"));
    if (version > kSchemaVersion)
        throw Unavailable(QCoreApplication::translate(
            "SettingsStore", "it was written by a newer version of Couchframe"));
    if (access == Access::ReadWrite)
        Execute(kCreatePlaybackIndex);
}

SettingsStore::SettingsStore() = default;
SettingsStore::~SettingsStore() = default;

QString SettingsStore::DefaultDatabasePath() {
    return UserConfigFolder() + QStringLiteral("/settings.db");
}

void SettingsStore::UseDatabase(const QString& path, Access access) {
    if (transactionDepth_ > 0)
        throw SettingsStoreError(tr("The settings store cannot change files inside a transaction"));
    connection_.reset();
    // What another file refused is no concern of this one.
    held_.clear();
    heldValues_.clear();
    path_ = path;
    access_ = access;
    pathChosen_ = true;
    onDefaults_ = false;
}

void SettingsStore::CheckOpen() {
    Open();
}

void SettingsStore::RunOnDefaults() {
    connection_.reset();
    onDefaults_ = true;
}

QString SettingsStore::DatabasePath() const {
    return pathChosen_ ? path_ : DefaultDatabasePath();
}

SettingsStore::Connection& SettingsStore::Open() {
    if (!connection_) {
        const QString path = DatabasePath();
        const QByteArray file = QFile::encodeName(path);
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        // A store in a folder that cannot be written (a read-only mount, a folder the owner
        // locked) is read as it is: every setting is there, and writes are held.
        const bool readable =
            ::access(file.constData(), F_OK) == 0 &&
            (::access(folder.constData(), W_OK) != 0 || ::access(file.constData(), W_OK) != 0);
        connection_ =
            std::make_unique<Connection>(path, readable ? Access::ReadOnly : access_, lockWait_);
    }
    return *connection_;
}

void SettingsStore::SetLockWait(std::chrono::milliseconds wait) {
    lockWait_ = wait;
    if (connection_)
        connection_->SetLockWait(wait);
}

QString SettingsStore::HeldValueIdentity(RootKey root, const QString& keyPath,
                                         const QString& valueName) {
    const auto components = KeyComponents(keyPath);
    return RootKeyName(root) + u'\\' + Folded(components ? components->join(u'\\') : keyPath) +
           u'\\' + Folded(valueName);
}

void SettingsStore::SetValue(RootKey root, const QString& keyPath, const QString& valueName,
                             ValueKind kind, const QByteArray& data) {
    const QString identity = HeldValueIdentity(root, keyPath, valueName);
    if (WriteOrHold(identity, valueName, [this, root, keyPath, valueName, kind, data] {
            WriteAtomically([&] { WriteValue(CreateKey(root, keyPath), valueName, kind, data); });
        }))
        heldValues_[identity] = StoredValue{valueName, kind, data};
}

bool SettingsStore::WriteOrHold(const QString& identity, const QString& label,
                                const std::function<void()>& write) {
    try {
        if (!HoldsWrites() || transactionDepth_ > 0) {
            write();
            return false;
        }
    } catch (const SettingsStoreError& error) {
        if (!error.Refusal() || transactionDepth_ > 0)
            throw;
        heldReason_ = error.Reason();
    }
    Hold(identity, label, write);
    return true;
}

void SettingsStore::Hold(const QString& identity, const QString& label,
                         std::function<void()> write) {
    const bool first = held_.empty();
    ForgetHeld(identity);
    held_.push_back(HeldWrite{identity, label, std::move(write)});
    if (first && refusalListener_)
        refusalListener_();
}

bool SettingsStore::Holds(const QString& identity) const {
    return std::any_of(held_.begin(), held_.end(),
                       [&](const HeldWrite& entry) { return entry.identity == identity; });
}

void SettingsStore::ForgetHeld(const QString& identity) {
    heldValues_.erase(identity);
    std::erase_if(held_, [&](const HeldWrite& entry) { return entry.identity == identity; });
}

bool SettingsStore::WriteHeld() {
    if (held_.empty())
        return true;
    try {
        WriteAtomically([] {}); // a transaction carries what is held
    } catch (const SettingsStoreError& error) {
        if (!error.Refusal())
            throw;
        heldReason_ = error.Reason();
        return false;
    }
    return true;
}

QStringList SettingsStore::HeldLabels() const {
    QStringList labels;
    for (const HeldWrite& entry : held_)
        labels.append(entry.label);
    return labels;
}

bool SettingsStoreError::Refusal() const {
    switch (code_ & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return true;
    default:
        return false;
    }
}

QString SettingsStoreError::Reason() const {
    switch (code_ & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QCoreApplication::translate("SettingsStore",
                                           "another program is using the settings file");
    case SQLITE_FULL:
        return QCoreApplication::translate("SettingsStore", "the disk is full");
    case SQLITE_READONLY:
        return QCoreApplication::translate("SettingsStore",
                                           "the settings folder cannot be written");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return QCoreApplication::translate("SettingsStore",
                                           "the disk could not write the settings file");
    default:
        return message();
    }
}

std::optional<qint64> SettingsStore::FindKey(RootKey root, const QString& keyPath) {
    const auto components = KeyComponents(keyPath);
    if (!components)
        return std::nullopt;
    Query query(Open(), kFindKey);
    query.Bind(1, RootKeyName(root)).Bind(2, Folded(components->join(u'\\')));
    if (!query.Next())
        return std::nullopt;
    return query.Integer(0);
}

qint64 SettingsStore::CreateKey(RootKey root, const QString& keyPath) {
    if (const auto existing = FindKey(root, keyPath))
        return *existing;
    const auto components = KeyComponents(keyPath);
    if (!components)
        throw SettingsStoreError(tr("Not a valid key path: %1").arg(keyPath));
    Connection& connection = Open();
    qint64 key = *FindKey(root, QString());
    for (qsizetype level = 0; level < components->size(); ++level) {
        const QString path = components->mid(0, level + 1).join(u'\\');
        if (const auto existing = FindKey(root, path)) {
            key = *existing;
            continue;
        }
        Query(connection, kInsertKey)
            .Bind(1, RootKeyName(root))
            .Bind(2, key)
            .Bind(3, components->at(level))
            .Bind(4, Folded(path))
            .Run();
        key = sqlite3_last_insert_rowid(connection.Handle());
    }
    return key;
}

std::optional<StoredValue> SettingsStore::ReadValue(RootKey root, const QString& keyPath,
                                                    const QString& valueName) {
    if (!heldValues_.empty()) {
        const auto held = heldValues_.find(HeldValueIdentity(root, keyPath, valueName));
        if (held != heldValues_.end())
            return held->second;
    }
    const auto components = KeyComponents(keyPath);
    if (!components)
        return std::nullopt;
    Query query(Open(), kReadValue);
    query.Bind(1, RootKeyName(root))
        .Bind(2, Folded(components->join(u'\\')))
        .Bind(3, Folded(valueName));
    if (!query.Next())
        return std::nullopt;
    return query.Value();
}

void SettingsStore::WriteValue(qint64 key, const QString& valueName, ValueKind kind,
                               const QByteArray& data) {
    Query(Open(), kWriteValue)
        .Bind(1, key)
        .Bind(2, valueName)
        .Bind(3, Folded(valueName))
        .Bind(4, static_cast<qint64>(kind))
        .BindBlob(5, data)
        .Run();
}

void SettingsStore::DeleteValue(qint64 key, const QString& valueName) {
    Query(Open(), kDeleteValue).Bind(1, key).Bind(2, Folded(valueName)).Run();
}

QList<QVariantList> SettingsStore::Run(const char* sql, const QVariantList& parameters) {
    Query query(Open(), sql);
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant& parameter = parameters[i];
        switch (parameter.typeId()) {
        case QMetaType::QByteArray:
            query.BindBlob(i + 1, parameter.toByteArray());
            break;
        case QMetaType::QString:
            query.Bind(i + 1, parameter.toString());
            break;
        case QMetaType::Double:
            query.Bind(i + 1, parameter.toDouble());
            break;
        case QMetaType::UnknownType:
            break; // left NULL
        default:
            query.Bind(i + 1, parameter.toLongLong());
            break;
        }
    }
    QList<QVariantList> rows;
    while (query.Next())
        rows.append(query.Row());
    return rows;
}

QList<StoredKey> SettingsStore::SubKeys(qint64 key) {
    QList<StoredKey> subKeys;
    Query query(Open(), kSubKeys);
    query.Bind(1, key);
    while (query.Next())
        subKeys.append(StoredKey{query.Integer(0), query.Text(1)});
    return subKeys;
}

QList<StoredValue> SettingsStore::Values(qint64 key) {
    QList<StoredValue> values;
    Query query(Open(), kValues);
    query.Bind(1, key);
    while (query.Next())
        values.append(query.Value());
    return values;
}

void SettingsStore::EraseKey(qint64 key) {
    const QList<StoredKey> subKeys = SubKeys(key);
    for (auto subKey = subKeys.rbegin(); subKey != subKeys.rend(); ++subKey)
        EraseKey(subKey->id);
    Connection& connection = Open();
    Query(connection, kDeleteValuesOfKey).Bind(1, key).Run();
    Query(connection, kDeleteKey).Bind(1, key).Run();
}

void SettingsStore::Begin() {
    Query(Open(), transactionDepth_ == 0 ? kBegin : kSavepoint).Run();
    ++transactionDepth_;
    if (transactionDepth_ > 1 || held_.empty())
        return;
    // What is held goes first: whatever this transaction writes is newer. It stays held until
    // the transaction is committed.
    try {
        for (const HeldWrite& entry : held_)
            entry.write();
    } catch (...) {
        RollbackLevel();
        throw;
    }
    carriesHeld_ = true;
}

void SettingsStore::CommitLevel() {
    Query(Open(), transactionDepth_ == 1 ? kCommit : kRelease).Run();
    --transactionDepth_;
    if (transactionDepth_ == 0 && std::exchange(carriesHeld_, false)) {
        held_.clear();
        heldValues_.clear();
    }
}

void SettingsStore::RollbackLevel() noexcept {
    --transactionDepth_;
    if (transactionDepth_ == 0)
        carriesHeld_ = false;
    if (!connection_)
        return;
    sqlite3* db = connection_->Handle();
    if (transactionDepth_ == 0) {
        // A failed statement may already have ended the transaction.
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, kRollback, nullptr, nullptr, nullptr);
    } else {
        sqlite3_exec(db, kRollbackToSavepoint, nullptr, nullptr, nullptr);
        sqlite3_exec(db, kRelease, nullptr, nullptr, nullptr);
    }
}

SettingsTransaction::SettingsTransaction(SettingsStore& store) : store_(store) {
    store_.Begin();
}

SettingsTransaction::~SettingsTransaction() {
    if (open_)
        store_.RollbackLevel();
}

void SettingsTransaction::Commit() {
    if (!open_)
        return;
    store_.CommitLevel();
    open_ = false;
}
