#pragma once
// SQLite result codes as the Windows error codes the registry gives.
struct sqlite3;

namespace qv {

class SqliteResult {
public:
    // Internal result: the store was locked by another program; the whole operation is tried again.
    static constexpr long kRetry = -1;

    static long Map(int rc);
    static long Exec(sqlite3* db, const char* sql);
};

} // namespace qv
