#include "platform/posix/SqliteResult.h"

#include "platform/WinError.h"

#include <sqlite3.h>

namespace qv {

long SqliteResult::Map(int rc) {
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

long SqliteResult::Exec(sqlite3* db, const char* sql) {
    return Map(sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

} // namespace qv
