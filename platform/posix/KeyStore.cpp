#include "platform/posix/KeyStore.h"

#include "platform/MachineDirectory.h"
#include "platform/Paths.h"
#include "platform/WinError.h"
#include "platform/posix/KeyStoreFile.h"
#include "platform/posix/SqliteResult.h"
#include "platform/posix/StatementUse.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr std::int64_t kRootId = 1;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::uint32_t kMaxValueSize = 500'000'000; // below SQLite's largest blob

// Handle layout: bits 0-39 the key's row id, 40-61 the store generation, 62 read, 63 write.
constexpr int kGenerationShift = 40;
constexpr std::uint64_t kIdMask = (std::uint64_t{1} << kGenerationShift) - 1;
constexpr std::uint64_t kGenerationMask = (std::uint64_t{1} << 22) - 1;
constexpr std::uint64_t kReadBit = std::uint64_t{1} << 62;
constexpr std::uint64_t kWriteBit = std::uint64_t{1} << 63;

const char* const kStatementText[] = {
    // The path (bytes, names separated by '\') walked down from the root in one statement: a row per key
    // found, the deepest last.
    "WITH RECURSIVE walk(id, rest, depth) AS (SELECT 1, ?1, 0 UNION ALL"
    " SELECT keys.id,"
    "  CASE WHEN instr(rest, x'5c') > 0 THEN substr(rest, instr(rest, x'5c') + 1) ELSE x'' END,"
    "  depth + 1"
    " FROM walk JOIN keys ON keys.parent = walk.id AND keys.name = CAST("
    "  CASE WHEN instr(rest, x'5c') > 0 THEN substr(rest, 1, instr(rest, x'5c') - 1) ELSE rest END AS TEXT)"
    " WHERE length(rest) > 0)"
    " SELECT id, depth FROM walk",
    "INSERT INTO keys(parent, name) VALUES(?1, ?2)",
    "SELECT 1 FROM keys WHERE id = ?1",
    // A row with a NULL type for a missing value of an existing key; no row when the key is gone.
    "SELECT vals.type, vals.data FROM keys LEFT JOIN vals ON vals.key = keys.id AND vals.name = ?2"
    " WHERE keys.id = ?1",
    "INSERT INTO vals(key, name, seq, type, data)"
    " VALUES(?1, ?2, (SELECT ifnull(max(seq), 0) + 1 FROM vals WHERE key = ?1), ?3, ?4)"
    " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND name = ?2",
    // Windows orders subkeys by their upper-case names.
    "SELECT name FROM keys WHERE parent = ?1 AND id <> ?1 ORDER BY upper(name), name LIMIT 1 OFFSET ?2",
    "SELECT name FROM vals WHERE key = ?1 ORDER BY seq LIMIT 1 OFFSET ?2",
    "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
    " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id WHERE keys.id <> keys.parent)"
    " DELETE FROM keys WHERE id IN tree",
};

bool ValidName(std::string_view name, std::size_t maxLength) {
    return name.size() <= maxLength && name.find('\0') == std::string_view::npos;
}

// Splits "A\B\C" into its key names; a trailing separator is allowed, an empty name inside is not.
bool SplitPath(std::string_view path, std::vector<std::string_view>& parts) {
    parts.clear();
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    if (path.empty())
        return true;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view part =
            path.substr(start, end == std::string_view::npos ? path.size() - start : end - start);
        if (part.empty() || !ValidName(part, kMaxKeyNameLength))
            return false;
        parts.push_back(part);
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

} // namespace

KeyStore::KeyStore() : m_statements(kStatementText, kStatementCount) {}

KeyStore& KeyStore::Instance() {
    // Never destroyed: keys may still be used by other static objects while the program ends, and a call
    // after the connection closed at exit simply opens it again.
    static KeyStore* store = [] {
        KeyStoreTransactions::WatchForks();
        std::atexit([] { Instance().CloseAtExit(); });
        return new KeyStore;
    }();
    return *store;
}

void KeyStore::CloseAtExit() {
    std::lock_guard lock(m_mutex);
    // A forked child leaves its parent's connection alone. A batch still alive at exit (exit() unwinds no
    // stack) is committed: its writes were reported done. The last connection to close moves the log
    // into the store and removes it.
    LeaveParentConnection();
    m_transactions.CommitBatch();
    CloseStore();
}

bool KeyStore::CanWrite(std::uintptr_t handle) {
    return (handle & kWriteBit) != 0;
}

bool KeyStore::CanRead(std::uintptr_t handle) {
    return (handle & kReadBit) != 0;
}

void KeyStore::CloseStore() {
    m_statements.Finalize();
    m_transactions.Detach();
    if (m_db)
        sqlite3_close_v2(m_db); // rolls back a transaction still open
    m_db = nullptr;
}

void KeyStore::LeaveParentConnection() {
    if (m_transactions.LeaveParentConnection()) {
        m_db = nullptr;
        m_statements.Forget();
        m_path.clear();
    }
}

long KeyStore::Ensure() {
    LeaveParentConnection();
    std::string path = JoinPath(MachineDirectory::Path(), KeyStoreFile::kName);
    if (m_db && path == m_path)
        return kErrorSuccess;
    // The writes a batch made in the store being left were reported done: they are committed there.
    m_transactions.CommitBatch();
    CloseStore();
    m_path = std::move(path);
    m_generation = (m_generation + 1) & kGenerationMask;
    long result = OpenStore();
    if (result != kErrorSuccess)
        CloseStore();
    return result;
}

long KeyStore::OpenStore() {
    struct stat st;
    if (::stat(m_path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return kErrorCantOpen;
        std::error_code error;
        std::filesystem::create_directories(MachineDirectory::Path(), error);
        if (error)
            return kErrorCantOpen;
        if (KeyStoreFile::CreateFresh(m_path) != kErrorSuccess)
            return kErrorCantOpen;
        if (::stat(m_path.c_str(), &st) != 0)
            return kErrorCantOpen;
    }
    if (!S_ISREG(st.st_mode))
        return kErrorCantOpen;
    // Root may write anything: the mode bits say whether the store is meant to be written.
    m_readOnly = (st.st_mode & 0222) == 0 || ::access(m_path.c_str(), W_OK) != 0;
    // An empty file is an empty database to SQLite; anything else must look like one before it is opened.
    if (st.st_size != 0 && !KeyStoreFile::HeaderLooksHealthy(m_path, st.st_size))
        return kErrorBadDb;

    int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        long result = SqliteResult::Map(rc);
        return result == SqliteResult::kRetry ? kErrorBusy : result;
    }
    m_statements.Attach(m_db);
    m_transactions.Attach(m_db, m_path);
    // Until the store proved healthy, closing must not write a leftover journal into it.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);

    std::string identity = m_path + "\n" + std::to_string(st.st_dev) + ":" +
                           std::to_string(static_cast<unsigned long long>(st.st_ino));
    if (!m_verified.count(identity)) {
        long result = m_transactions.Retry([&] { return KeyStoreFile::Verify(m_db); });
        if (result != kErrorSuccess)
            return result;
        m_verified.insert(identity);
    }
    long result = m_transactions.Retry([&] { return KeyStoreFile::PrepareSchema(m_db, m_readOnly); });
    if (result != kErrorSuccess)
        return result;
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    return kErrorSuccess;
}

void KeyStore::BeginBatch() {
    std::lock_guard lock(m_mutex);
    m_transactions.BeginBatch();
}

long KeyStore::EndBatch() {
    std::lock_guard lock(m_mutex);
    LeaveParentConnection();
    return m_transactions.EndBatch();
}

// The store open and the handle's key id: the start of every call on an open key.
long KeyStore::EnsureKey(std::uintptr_t handle, std::int64_t* id) {
    const long result = Ensure();
    return result != kErrorSuccess ? result : KeyId(handle, id);
}

long KeyStore::KeyId(std::uintptr_t handle, std::int64_t* id) const {
    if (((handle >> kGenerationShift) & kGenerationMask) != m_generation)
        return kErrorInvalidHandle;
    *id = static_cast<std::int64_t>(handle & kIdMask);
    return *id == 0 ? kErrorInvalidHandle : kErrorSuccess;
}

// A value or subkey that was not found: the key itself may have been deleted meanwhile.
long KeyStore::MissingOrDeleted(std::int64_t id, long missing) {
    StatementUse exists(m_statements.Get(kKeyExists));
    if (!exists)
        return SqliteResult::Map(sqlite3_errcode(m_db));
    sqlite3_bind_int64(exists.get(), 1, id);
    int rc = sqlite3_step(exists.get());
    if (rc == SQLITE_ROW)
        return missing;
    if (rc == SQLITE_DONE)
        return kErrorKeyDeleted;
    return SqliteResult::Map(rc);
}

long KeyStore::ResolvePath(std::string_view path, bool create, std::int64_t* id, bool* created) {
    std::vector<std::string_view> parts;
    if (!SplitPath(path, parts))
        return kErrorInvalidParameter;
    std::int64_t current = kRootId;
    std::size_t depth = 0;
    if (!parts.empty()) {
        StatementUse find(m_statements.Get(kFindPath));
        if (!find)
            return SqliteResult::Map(sqlite3_errcode(m_db));
        std::string_view joined(parts.front().data(),
                                parts.back().data() + parts.back().size() - parts.front().data());
        sqlite3_bind_blob(find.get(), 1, joined.data(), static_cast<int>(joined.size()), SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(find.get())) == SQLITE_ROW) {
            current = sqlite3_column_int64(find.get(), 0);
            depth = static_cast<std::size_t>(sqlite3_column_int64(find.get(), 1));
        }
        if (rc != SQLITE_DONE)
            return SqliteResult::Map(rc);
    }
    if (created)
        *created = depth < parts.size();
    if (depth == parts.size()) {
        *id = current;
        return kErrorSuccess;
    }
    if (!create)
        return kErrorFileNotFound;
    StatementUse insert(m_statements.Get(kInsertKey));
    if (!insert)
        return SqliteResult::Map(sqlite3_errcode(m_db));
    for (; depth < parts.size(); ++depth) {
        sqlite3_bind_int64(insert.get(), 1, current);
        insert.BindText(2, parts[depth]);
        int rc = sqlite3_step(insert.get());
        sqlite3_reset(insert.get());
        if (rc != SQLITE_DONE)
            return SqliteResult::Map(rc);
        current = sqlite3_last_insert_rowid(m_db);
    }
    *id = current;
    return kErrorSuccess;
}

long KeyStore::OpenKey(std::string_view path, bool create, bool read, bool write, bool* created,
                       std::uintptr_t* handle) {
    std::lock_guard lock(m_mutex);
    long result = Ensure();
    if (result != kErrorSuccess)
        return result;
    std::int64_t id = 0;
    bool isNew = false;
    result = m_transactions.Retry([&] { return ResolvePath(path, false, &id, &isNew); });
    if (result == kErrorFileNotFound && create) {
        if (m_readOnly)
            return kErrorAccessDenied;
        // The missing keys and their parents are one write.
        result = m_transactions.Write(true, [&] { return ResolvePath(path, true, &id, &isNew); });
    }
    if (result != kErrorSuccess)
        return result;
    if (created)
        *created = isNew;
    *handle = static_cast<std::uintptr_t>(static_cast<std::uint64_t>(id) |
                                          (std::uint64_t{m_generation} << kGenerationShift) |
                                          (read ? kReadBit : 0) | (write ? kWriteBit : 0));
    return kErrorSuccess;
}

long KeyStore::QueryValue(std::uintptr_t handle, std::string_view name, std::uint32_t* type, void* data,
                          std::uint32_t* size) {
    if (!ValidName(name, kMaxValueNameLength))
        return kErrorInvalidParameter;
    std::lock_guard lock(m_mutex);
    std::int64_t id = 0;
    if (const long result = EnsureKey(handle, &id); result != kErrorSuccess)
        return result;
    return m_transactions.Retry([&]() -> long {
        StatementUse query(m_statements.Get(kQueryValue));
        if (!query)
            return SqliteResult::Map(sqlite3_errcode(m_db));
        sqlite3_bind_int64(query.get(), 1, id);
        query.BindText(2, name);
        int rc = sqlite3_step(query.get());
        if (rc == SQLITE_DONE)
            return kErrorKeyDeleted;
        if (rc != SQLITE_ROW)
            return SqliteResult::Map(rc);
        if (sqlite3_column_type(query.get(), 0) == SQLITE_NULL)
            return kErrorFileNotFound;
        const void* bytes = sqlite3_column_blob(query.get(), 1);
        auto needed = static_cast<std::uint32_t>(sqlite3_column_bytes(query.get(), 1));
        if (type)
            *type = static_cast<std::uint32_t>(sqlite3_column_int64(query.get(), 0));
        if (data && *size < needed) {
            *size = needed;
            return kErrorMoreData;
        }
        if (data && needed)
            std::memcpy(data, bytes, needed);
        if (size)
            *size = needed;
        return kErrorSuccess;
    });
}

long KeyStore::SetValue(std::uintptr_t handle, std::string_view name, std::uint32_t type, const void* data,
                        std::uint32_t size) {
    if (!ValidName(name, kMaxValueNameLength) || size > kMaxValueSize)
        return kErrorInvalidParameter;
    std::lock_guard lock(m_mutex);
    std::int64_t id = 0;
    if (const long result = EnsureKey(handle, &id); result != kErrorSuccess)
        return result;
    if (m_readOnly)
        return kErrorAccessDenied;
    // One statement: the value is either old or new, whatever happens to this process.
    return m_transactions.Write(false, [&]() -> long {
        StatementUse set(m_statements.Get(kSetValue));
        if (!set)
            return SqliteResult::Map(sqlite3_errcode(m_db));
        sqlite3_bind_int64(set.get(), 1, id);
        set.BindText(2, name);
        sqlite3_bind_int64(set.get(), 3, type);
        if (size == 0)
            sqlite3_bind_zeroblob(set.get(), 4, 0); // a blob, never NULL
        else
            sqlite3_bind_blob(set.get(), 4, data, static_cast<int>(size), SQLITE_STATIC);
        int rc = sqlite3_step(set.get());
        if (rc == SQLITE_CONSTRAINT_FOREIGNKEY)
            return kErrorKeyDeleted;
        return SqliteResult::Map(rc);
    });
}

long KeyStore::DeleteValue(std::uintptr_t handle, std::string_view name) {
    if (!ValidName(name, kMaxValueNameLength))
        return kErrorInvalidParameter;
    std::lock_guard lock(m_mutex);
    std::int64_t id = 0;
    if (const long result = EnsureKey(handle, &id); result != kErrorSuccess)
        return result;
    if (m_readOnly)
        return kErrorAccessDenied;
    return m_transactions.Write(false, [&]() -> long {
        StatementUse remove(m_statements.Get(kDeleteValue));
        if (!remove)
            return SqliteResult::Map(sqlite3_errcode(m_db));
        sqlite3_bind_int64(remove.get(), 1, id);
        remove.BindText(2, name);
        int rc = sqlite3_step(remove.get());
        if (rc != SQLITE_DONE)
            return SqliteResult::Map(rc);
        if (sqlite3_changes(m_db) == 0)
            return MissingOrDeleted(id, kErrorFileNotFound);
        return kErrorSuccess;
    });
}

long KeyStore::EnumSubKey(std::uintptr_t handle, std::uint32_t index, std::string& name) {
    return EnumName(kEnumSubKey, handle, index, name);
}

long KeyStore::EnumValue(std::uintptr_t handle, std::uint32_t index, std::string& name) {
    return EnumName(kEnumValue, handle, index, name);
}

// The index-th subkey or value name of a key: both lists are one ordered query with an offset.
long KeyStore::EnumName(Statement which, std::uintptr_t handle, std::uint32_t index, std::string& name) {
    std::lock_guard lock(m_mutex);
    std::int64_t id = 0;
    if (const long result = EnsureKey(handle, &id); result != kErrorSuccess)
        return result;
    return m_transactions.Retry([&]() -> long {
        StatementUse list(m_statements.Get(which));
        if (!list)
            return SqliteResult::Map(sqlite3_errcode(m_db));
        sqlite3_bind_int64(list.get(), 1, id);
        sqlite3_bind_int64(list.get(), 2, index);
        int rc = sqlite3_step(list.get());
        if (rc == SQLITE_DONE)
            return MissingOrDeleted(id, kErrorNoMoreItems);
        if (rc != SQLITE_ROW)
            return SqliteResult::Map(rc);
        const unsigned char* text = sqlite3_column_text(list.get(), 0);
        name.assign(text ? reinterpret_cast<const char*>(text) : "",
                    static_cast<std::size_t>(sqlite3_column_bytes(list.get(), 0)));
        return kErrorSuccess;
    });
}

long KeyStore::DeleteTree(std::string_view path) {
    std::lock_guard lock(m_mutex);
    long result = Ensure();
    if (result != kErrorSuccess)
        return result;
    std::int64_t id = 0;
    result = m_transactions.Retry([&] { return ResolvePath(path, false, &id, nullptr); });
    if (result != kErrorSuccess)
        return result;
    if (m_readOnly || id == kRootId)
        return kErrorAccessDenied;
    return m_transactions.Write(true, [&]() -> long {
        // Someone may have deleted or replaced the key since it was looked up.
        long rc = ResolvePath(path, false, &id, nullptr);
        if (rc != kErrorSuccess)
            return rc;
        StatementUse remove(m_statements.Get(kDeleteKey));
        if (!remove)
            return SqliteResult::Map(sqlite3_errcode(m_db));
        sqlite3_bind_int64(remove.get(), 1, id);
        return SqliteResult::Map(sqlite3_step(remove.get()));
    });
}

} // namespace qv
