#pragma once
// Statements of one connection, prepared on first use and kept until the connection closes.
#include <cstddef>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qv {

class StatementCache {
public:
    // texts: one SQL text per statement number; it must outlive the cache.
    StatementCache(const char* const* texts, std::size_t count);

    void Attach(sqlite3* db) { m_db = db; }
    // Null when the statement cannot be prepared; the connection's error code tells why.
    sqlite3_stmt* Get(std::size_t which);
    // Runs a statement without results, such as BEGIN or COMMIT.
    long Step(std::size_t which);
    // Before the connection closes.
    void Finalize();
    // In a forked child: the statements belong to the parent's connection and are left to it.
    void Forget();

private:
    sqlite3* m_db = nullptr;
    const char* const* m_texts;
    std::vector<sqlite3_stmt*> m_statements;
};

} // namespace qv
