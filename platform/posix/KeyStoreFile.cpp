#include "platform/posix/KeyStoreFile.h"

#include "platform/WinError.h"
#include "platform/posix/SqliteResult.h"

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr int kApplicationId = 0x51565247; // "QVRG"
constexpr int kFormatVersion = 2;

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

std::uint32_t ReadBigEndian16(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 8) | bytes[1];
}

long Exec(sqlite3* db, const char* sql) {
    return SqliteResult::Exec(db, sql);
}

} // namespace

bool KeyStoreFile::HeaderLooksHealthy(const std::string& path, off_t fileSize) {
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

long KeyStoreFile::CreateFresh(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::string temporary = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    ::unlink(temporary.c_str());
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    long result = SqliteResult::Map(rc);
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

long KeyStoreFile::Verify(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        long result = SqliteResult::Map(rc);
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
        long result = SqliteResult::Map(rc);
        return result == kErrorSuccess ? kErrorBadDb : result;
    }
    return ok && rows == 1 ? kErrorSuccess : kErrorBadDb;
}

long KeyStoreFile::PrepareSchema(sqlite3* db, bool readOnly) {
    auto single = [&](const char* sql, std::int64_t* value) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW)
                *value = sqlite3_column_int64(statement, 0);
        }
        sqlite3_finalize(statement);
        return SqliteResult::Map(rc);
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
        if ((result = Exec(db, "PRAGMA page_size = 2048; PRAGMA journal_mode = WAL")) != kErrorSuccess)
            return result;
        if ((result = Exec(db, "BEGIN IMMEDIATE")) != kErrorSuccess)
            return result;
        result = single("SELECT count(*) FROM sqlite_schema", &objects);
        if (result == kErrorSuccess && objects == 0)
            result = Exec(db, kSchema);
        if (result == kErrorSuccess)
            result = Exec(db, "COMMIT");
        if (result != kErrorSuccess)
            Exec(db, "ROLLBACK");
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
        Exec(db, "PRAGMA journal_mode = WAL");
    }
    if ((result = Exec(db, "PRAGMA synchronous = NORMAL")) != kErrorSuccess)
        return result;
    return Exec(db, "PRAGMA foreign_keys = ON");
}

} // namespace qv
