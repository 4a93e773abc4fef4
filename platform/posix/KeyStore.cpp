#include "platform/posix/KeyStore.h"

#include "platform/MachineDirectory.h"
#include "platform/Paths.h"
#include "platform/WinError.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr const char* kStoreName = "registry.db";
constexpr int kApplicationId = 0x51565247; // "QVRG"
constexpr int kFormatVersion = 2;
constexpr std::int64_t kRootId = 1;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::uint32_t kMaxValueSize = 500'000'000; // below SQLite's largest blob

// Set in a forked child: the connection belongs to the parent.
std::atomic<bool> g_forked{false};
// Whether the process holds the store's write lock; in a forked child, whether its parent held it.
std::atomic<bool> g_writing{false};

// Internal result: the store was locked by another program; the whole operation is tried again.
constexpr long kRetry = -1;
// How long an operation keeps trying while other programs hold the store.
constexpr auto kBusyDeadline = std::chrono::seconds(60);
// How long a batch's transaction may hold the write lock before a write commits it and begins anew.
constexpr auto kBatchSlice = std::chrono::milliseconds(50);

// Handle layout: bits 0-39 the key's row id, 40-61 the store generation, 62 read, 63 write.
constexpr int kGenerationShift = 40;
constexpr std::uint64_t kIdMask = (std::uint64_t{1} << kGenerationShift) - 1;
constexpr std::uint64_t kGenerationMask = (std::uint64_t{1} << 22) - 1;
constexpr std::uint64_t kReadBit = std::uint64_t{1} << 62;
constexpr std::uint64_t kWriteBit = std::uint64_t{1} << 63;

const char* const kSchema = "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " parent INTEGER NOT NULL REFERENCES keys(id),"
                            " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name));"
                            // One b-tree for the values: a write touches as few pages as it can.
                            "CREATE TABLE vals(key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,"
                            " name TEXT NOT NULL COLLATE NOCASE, seq INTEGER NOT NULL, type INTEGER NOT NULL,"
                            " data BLOB NOT NULL, PRIMARY KEY(key, name)) WITHOUT ROWID;"
                            "INSERT INTO keys(id, parent, name) VALUES(1, 1, '');"
                            "PRAGMA application_id = 1364611655;"
                            "PRAGMA user_version = 2;";

static_assert(kApplicationId == 1364611655 && kFormatVersion == 2, "the schema text says so");

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
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SAVEPOINT qv_write",
    "RELEASE qv_write",
    "ROLLBACK TO qv_write",
};

long MapResult(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return kErrorSuccess;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        return kRetry;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return kErrorBadDb;
    case SQLITE_READONLY:
        return rc == SQLITE_READONLY_DBMOVED ? kErrorRegistryIoFailed : kErrorAccessDenied;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return kErrorAccessDenied;
    case SQLITE_NOMEM:
        return kErrorOutOfMemory;
    case SQLITE_CANTOPEN:
        return kErrorCantOpen;
    default:
        return kErrorRegistryIoFailed;
    }
}

// Resets a cached statement when the operation leaves it, so no read transaction stays open.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse() {
        if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

void BindText(sqlite3_stmt* statement, int index, std::string_view text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

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

std::uint32_t ReadBigEndian16(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 8) | bytes[1];
}

// The SQLite file header, checked before SQLite may touch the file: a file that fails here is not opened.
bool HeaderLooksHealthy(const std::string& path, off_t fileSize) {
    if (fileSize < 100)
        return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char header[100];
    ssize_t got = ::pread(fd, header, sizeof header, 0);
    ::close(fd);
    if (got != static_cast<ssize_t>(sizeof header))
        return false;
    if (std::memcmp(header, "SQLite format 3", 16) != 0)
        return false;
    std::uint32_t pageSize = ReadBigEndian16(header + 16);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return false;
    if (header[18] < 1 || header[18] > 2 || header[19] < 1 || header[19] > 2)
        return false;
    if (header[21] != 64 || header[22] != 32 || header[23] != 32)
        return false;
    return fileSize % pageSize == 0;
}

long Exec(sqlite3* db, const char* sql) {
    return MapResult(sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

// Builds a complete, empty store under a temporary name and links it into place, so no program ever sees
// a store half made. When another program was faster, its store wins.
long CreateFreshStore(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::string temporary = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    ::unlink(temporary.c_str());
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    long result = MapResult(rc);
    if (result == kErrorSuccess)
        // Small pages: a value write puts fewer bytes into the log. Settings values (up to 261 bytes) still
        // fit their page.
        result = Exec(db, "PRAGMA page_size = 2048; PRAGMA journal_mode = WAL");
    if (result == kErrorSuccess) {
        std::string script = std::string("BEGIN;") + kSchema + "COMMIT;";
        result = Exec(db, script.c_str());
    }
    sqlite3_close_v2(db); // checkpoints: the file holds everything afterwards
    if (result == kErrorSuccess) {
        if (::link(temporary.c_str(), path.c_str()) != 0 && errno != EEXIST) {
            // File systems without hard links: rename, unless a store appeared meanwhile.
            struct stat st;
            if (::stat(path.c_str(), &st) != 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
                result = kErrorCantOpen;
        }
    }
    ::unlink(temporary.c_str());
    ::unlink((temporary + "-wal").c_str());
    ::unlink((temporary + "-shm").c_str());
    return result == kErrorSuccess ? kErrorSuccess : kErrorCantOpen;
}

} // namespace

KeyStore& KeyStore::Instance() {
    // Never destroyed: keys may still be used by other static objects while the program ends, and a call
    // after the connection closed at exit simply opens it again.
    static KeyStore* store = [] {
        ::pthread_atfork(nullptr, nullptr, [] { g_forked = true; });
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
    CommitBatch();
    CloseStore();
}

bool KeyStore::CanWrite(std::uintptr_t handle) {
    return (handle & kWriteBit) != 0;
}

bool KeyStore::CanRead(std::uintptr_t handle) {
    return (handle & kReadBit) != 0;
}

void KeyStore::CloseStore() {
    for (auto& statement : m_statements) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    if (m_db)
        sqlite3_close_v2(m_db); // rolls back a transaction still open
    m_db = nullptr;
    m_batchOpen = false;
    g_writing = false;
}

sqlite3_stmt* KeyStore::Get(Statement which) {
    if (!m_statements[which]) {
        sqlite3_prepare_v3(m_db, kStatementText[which], -1, SQLITE_PREPARE_PERSISTENT, &m_statements[which],
                           nullptr);
    }
    return m_statements[which];
}

long KeyStore::Step(Statement which) {
    sqlite3_stmt* statement = Get(which);
    if (!statement) {
        long result = MapResult(sqlite3_errcode(m_db));
        return result == kErrorSuccess ? kErrorRegistryIoFailed : result;
    }
    int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return MapResult(rc);
}

void KeyStore::LeaveParentConnection() {
    if (g_forked.exchange(false)) {
        // SQLite keeps its file lock records per process, and the child's copy still counts the locks the
        // parent's connection held: while the parent was writing, the child could never get the write lock
        // of that store. Its writes there fail at once rather than after a long wait.
        if (g_writing.exchange(false) && m_db)
            m_lockedByParent.insert(m_path);
        // A forked child must not use its parent's connection, nor end its parent's transaction: it
        // leaves both alone and opens a connection of its own.
        m_db = nullptr;
        for (auto& statement : m_statements)
            statement = nullptr;
        m_path.clear();
        m_batchOpen = false;
    }
}

long KeyStore::Ensure() {
    LeaveParentConnection();
    std::string path = JoinPath(MachineDirectory::Path(), kStoreName);
    if (m_db && path == m_path)
        return kErrorSuccess;
    // The writes a batch made in the store being left were reported done: they are committed there.
    CommitBatch();
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
        if (CreateFreshStore(m_path) != kErrorSuccess)
            return kErrorCantOpen;
        if (::stat(m_path.c_str(), &st) != 0)
            return kErrorCantOpen;
    }
    if (!S_ISREG(st.st_mode))
        return kErrorCantOpen;
    // Root may write anything: the mode bits say whether the store is meant to be written.
    m_readOnly = (st.st_mode & 0222) == 0 || ::access(m_path.c_str(), W_OK) != 0;
    // An empty file is an empty database to SQLite; anything else must look like one before it is opened.
    if (st.st_size != 0 && !HeaderLooksHealthy(m_path, st.st_size))
        return kErrorBadDb;

    int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        long result = MapResult(rc);
        return result == kRetry ? kErrorBusy : result;
    }
    // Until the store proved healthy, closing must not write a leftover journal into it.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);

    std::string identity = m_path + "\n" + std::to_string(st.st_dev) + ":" +
                           std::to_string(static_cast<unsigned long long>(st.st_ino));
    if (!m_verified.count(identity)) {
        long result = Retry([&] { return Verify(); });
        if (result != kErrorSuccess)
            return result;
        m_verified.insert(identity);
    }
    long result = Retry([&] { return PrepareSchema(m_readOnly); });
    if (result != kErrorSuccess)
        return result;
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    return kErrorSuccess;
}

long KeyStore::Verify() {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        long result = MapResult(rc);
        return result == kErrorSuccess ? kErrorBadDb : result;
    }
    int rows = 0;
    bool ok = false;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        ok = rows == 0 && text && std::strcmp(reinterpret_cast<const char*>(text), "ok") == 0;
        ++rows;
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        long result = MapResult(rc);
        return result == kErrorSuccess ? kErrorBadDb : result;
    }
    return ok && rows == 1 ? kErrorSuccess : kErrorBadDb;
}

long KeyStore::PrepareSchema(bool readOnly) {
    auto single = [&](const char* sql, std::int64_t* value) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW)
                *value = sqlite3_column_int64(statement, 0);
        }
        sqlite3_finalize(statement);
        return MapResult(rc);
    };
    std::int64_t objects = 0;
    std::int64_t application = 0;
    long result = single("SELECT count(*) FROM sqlite_schema", &objects);
    if (result == kErrorSuccess)
        result = single("PRAGMA application_id", &application);
    if (result != kErrorSuccess)
        return result;
    if (objects == 0) {
        // An empty file: make it a store in place, unless another program does so first.
        if (readOnly)
            return kErrorCantOpen;
        if ((result = Exec(m_db, "PRAGMA page_size = 2048; PRAGMA journal_mode = WAL")) != kErrorSuccess)
            return result;
        if ((result = Exec(m_db, "BEGIN IMMEDIATE")) != kErrorSuccess)
            return result;
        result = single("SELECT count(*) FROM sqlite_schema", &objects);
        if (result == kErrorSuccess && objects == 0)
            result = Exec(m_db, kSchema);
        if (result == kErrorSuccess)
            result = Exec(m_db, "COMMIT");
        if (result != kErrorSuccess)
            Exec(m_db, "ROLLBACK");
        if (result != kErrorSuccess)
            return result;
        if ((result = single("PRAGMA application_id", &application)) != kErrorSuccess)
            return result;
    }
    // A database of some other program, or a store of another format, is left as it is.
    std::int64_t format = 0;
    if ((result = single("PRAGMA user_version", &format)) != kErrorSuccess)
        return result;
    if (application != kApplicationId || format != kFormatVersion)
        return kErrorBadDb;
    if (!readOnly) {
        // Stores made here are in WAL mode already; an older one switches when nobody else has it open.
        Exec(m_db, "PRAGMA journal_mode = WAL");
    }
    if ((result = Exec(m_db, "PRAGMA synchronous = NORMAL")) != kErrorSuccess)
        return result;
    return Exec(m_db, "PRAGMA foreign_keys = ON");
}

template <class Operation> long KeyStore::Retry(Operation operation) {
    long result = operation();
    if (result != kRetry)
        return result;
    auto deadline = std::chrono::steady_clock::now() + kBusyDeadline;
    auto pause = std::chrono::microseconds(500);
    thread_local std::minstd_rand random(static_cast<unsigned>(::getpid()));
    while (true) {
        if (m_db && !sqlite3_get_autocommit(m_db)) {
            // The operation's own transaction is undone before it runs again; a batch's stays.
            if (!m_batchOpen)
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        } else if (m_batchOpen) {
            return kErrorBusy; // SQLite undid the batch's transaction: trying again cannot bring it back
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return kErrorBusy;
        std::this_thread::sleep_for(pause + std::chrono::microseconds(random() % 1000));
        if (pause < std::chrono::milliseconds(50))
            pause *= 2;
        result = operation();
        if (result != kRetry)
            return result;
    }
}

template <class Operation> long KeyStore::Write(bool severalStatements, Operation operation) {
    if (m_lockedByParent.count(m_path))
        return kErrorBusy;
    if (m_batches == 0) {
        g_writing = true;
        const auto done = [](long result) {
            g_writing = false;
            return result;
        };
        if (!severalStatements)
            return done(Retry(operation)); // one statement, one transaction
        // BEGIN IMMEDIATE takes the write lock first, so two writers never deadlock upgrading a read lock.
        return done(Retry([&] {
            long result = Step(kBegin);
            if (result != kErrorSuccess)
                return result;
            result = operation();
            if (result == kErrorSuccess)
                result = Step(kCommit);
            if (result != kErrorSuccess && !sqlite3_get_autocommit(m_db))
                Step(kRollback);
            return result;
        }));
    }
    long result = BatchTransaction();
    if (result != kErrorSuccess)
        return result;
    result = Retry([&] {
        // A statement that fails is undone by SQLite alone; several become one write by a savepoint.
        if (!severalStatements)
            return operation();
        long rc = Step(kSavepoint);
        if (rc != kErrorSuccess)
            return rc;
        rc = operation();
        if (rc != kErrorSuccess && !sqlite3_get_autocommit(m_db))
            Step(kRollbackToSavepoint);
        if (!sqlite3_get_autocommit(m_db)) {
            long released = Step(kRelease);
            if (rc == kErrorSuccess)
                rc = released;
        }
        return rc;
    });
    BatchLost(&result);
    return result;
}

long KeyStore::BatchTransaction() {
    long result = kErrorSuccess;
    if (BatchLost(&result))
        return result;
    if (m_batchOpen) {
        if (std::chrono::steady_clock::now() - m_batchBegun < kBatchSlice)
            return kErrorSuccess;
        // Long enough: other programs get their turn at the write lock.
        if ((result = CommitBatch()) != kErrorSuccess)
            return result;
    }
    g_writing = true;
    if ((result = Retry([&] { return Step(kBegin); })) != kErrorSuccess) {
        g_writing = false;
        return result;
    }
    m_batchOpen = true;
    m_batchBegun = std::chrono::steady_clock::now();
    return kErrorSuccess;
}

long KeyStore::CommitBatch() {
    long result = kErrorSuccess;
    if (!m_batchOpen || BatchLost(&result))
        return result;
    // A store not (yet) in WAL mode makes a commit wait for its readers: Retry keeps the transaction.
    result = Retry([&] { return Step(kCommit); });
    if (!sqlite3_get_autocommit(m_db))
        Step(kRollback); // a commit that failed for good
    m_batchOpen = false;
    g_writing = false;
    if (result != kErrorSuccess && m_batchError == kErrorSuccess)
        m_batchError = result;
    return result;
}

bool KeyStore::BatchLost(long* result) {
    // SQLite undoes a transaction by itself after some errors (I/O, a full disk, no memory).
    if (!m_batchOpen || !sqlite3_get_autocommit(m_db))
        return false;
    m_batchOpen = false;
    g_writing = false;
    if (*result == kErrorSuccess)
        *result = kErrorRegistryIoFailed;
    if (m_batchError == kErrorSuccess)
        m_batchError = *result;
    return true;
}

void KeyStore::BeginBatch() {
    std::lock_guard lock(m_mutex);
    ++m_batches;
}

long KeyStore::EndBatch() {
    std::lock_guard lock(m_mutex);
    LeaveParentConnection();
    if (m_batches > 0 && --m_batches > 0)
        return m_batchError;
    CommitBatch();
    const long result = m_batchError;
    m_batchError = kErrorSuccess;
    return result;
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
    StatementUse exists(Get(kKeyExists));
    if (!exists)
        return MapResult(sqlite3_errcode(m_db));
    sqlite3_bind_int64(exists.get(), 1, id);
    int rc = sqlite3_step(exists.get());
    if (rc == SQLITE_ROW)
        return missing;
    if (rc == SQLITE_DONE)
        return kErrorKeyDeleted;
    return MapResult(rc);
}

long KeyStore::ResolvePath(std::string_view path, bool create, std::int64_t* id, bool* created) {
    std::vector<std::string_view> parts;
    if (!SplitPath(path, parts))
        return kErrorInvalidParameter;
    std::int64_t current = kRootId;
    std::size_t depth = 0;
    if (!parts.empty()) {
        StatementUse find(Get(kFindPath));
        if (!find)
            return MapResult(sqlite3_errcode(m_db));
        std::string_view joined(parts.front().data(),
                                parts.back().data() + parts.back().size() - parts.front().data());
        sqlite3_bind_blob(find.get(), 1, joined.data(), static_cast<int>(joined.size()), SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(find.get())) == SQLITE_ROW) {
            current = sqlite3_column_int64(find.get(), 0);
            depth = static_cast<std::size_t>(sqlite3_column_int64(find.get(), 1));
        }
        if (rc != SQLITE_DONE)
            return MapResult(rc);
    }
    if (created)
        *created = depth < parts.size();
    if (depth == parts.size()) {
        *id = current;
        return kErrorSuccess;
    }
    if (!create)
        return kErrorFileNotFound;
    StatementUse insert(Get(kInsertKey));
    if (!insert)
        return MapResult(sqlite3_errcode(m_db));
    for (; depth < parts.size(); ++depth) {
        sqlite3_bind_int64(insert.get(), 1, current);
        BindText(insert.get(), 2, parts[depth]);
        int rc = sqlite3_step(insert.get());
        sqlite3_reset(insert.get());
        if (rc != SQLITE_DONE)
            return MapResult(rc);
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
    result = Retry([&] { return ResolvePath(path, false, &id, &isNew); });
    if (result == kErrorFileNotFound && create) {
        if (m_readOnly)
            return kErrorAccessDenied;
        // The missing keys and their parents are one write.
        result = Write(true, [&] { return ResolvePath(path, true, &id, &isNew); });
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
    return Retry([&]() -> long {
        StatementUse query(Get(kQueryValue));
        if (!query)
            return MapResult(sqlite3_errcode(m_db));
        sqlite3_bind_int64(query.get(), 1, id);
        BindText(query.get(), 2, name);
        int rc = sqlite3_step(query.get());
        if (rc == SQLITE_DONE)
            return kErrorKeyDeleted;
        if (rc != SQLITE_ROW)
            return MapResult(rc);
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
    return Write(false, [&]() -> long {
        StatementUse set(Get(kSetValue));
        if (!set)
            return MapResult(sqlite3_errcode(m_db));
        sqlite3_bind_int64(set.get(), 1, id);
        BindText(set.get(), 2, name);
        sqlite3_bind_int64(set.get(), 3, type);
        if (size == 0)
            sqlite3_bind_zeroblob(set.get(), 4, 0); // a blob, never NULL
        else
            sqlite3_bind_blob(set.get(), 4, data, static_cast<int>(size), SQLITE_STATIC);
        int rc = sqlite3_step(set.get());
        if (rc == SQLITE_CONSTRAINT_FOREIGNKEY)
            return kErrorKeyDeleted;
        return MapResult(rc);
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
    return Write(false, [&]() -> long {
        StatementUse remove(Get(kDeleteValue));
        if (!remove)
            return MapResult(sqlite3_errcode(m_db));
        sqlite3_bind_int64(remove.get(), 1, id);
        BindText(remove.get(), 2, name);
        int rc = sqlite3_step(remove.get());
        if (rc != SQLITE_DONE)
            return MapResult(rc);
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
    return Retry([&]() -> long {
        StatementUse list(Get(which));
        if (!list)
            return MapResult(sqlite3_errcode(m_db));
        sqlite3_bind_int64(list.get(), 1, id);
        sqlite3_bind_int64(list.get(), 2, index);
        int rc = sqlite3_step(list.get());
        if (rc == SQLITE_DONE)
            return MissingOrDeleted(id, kErrorNoMoreItems);
        if (rc != SQLITE_ROW)
            return MapResult(rc);
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
    result = Retry([&] { return ResolvePath(path, false, &id, nullptr); });
    if (result != kErrorSuccess)
        return result;
    if (m_readOnly || id == kRootId)
        return kErrorAccessDenied;
    return Write(true, [&]() -> long {
        // Someone may have deleted or replaced the key since it was looked up.
        long rc = ResolvePath(path, false, &id, nullptr);
        if (rc != kErrorSuccess)
            return rc;
        StatementUse remove(Get(kDeleteKey));
        if (!remove)
            return MapResult(sqlite3_errcode(m_db));
        sqlite3_bind_int64(remove.get(), 1, id);
        return MapResult(sqlite3_step(remove.get()));
    });
}

} // namespace qv
