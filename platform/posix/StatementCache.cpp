#include "platform/posix/StatementCache.h"

#include "platform/WinError.h"
#include "platform/posix/SqliteResult.h"

#include <sqlite3.h>

namespace qv {

StatementCache::StatementCache(const char* const* texts, std::size_t count)
    : m_texts(texts), m_statements(count, nullptr) {}

sqlite3_stmt* StatementCache::Get(std::size_t which) {
    if (!m_statements[which])
        sqlite3_prepare_v3(m_db, m_texts[which], -1, SQLITE_PREPARE_PERSISTENT, &m_statements[which],
                           nullptr);
    return m_statements[which];
}

long StatementCache::Step(std::size_t which) {
    sqlite3_stmt* statement = Get(which);
    if (!statement) {
        long result = SqliteResult::Map(sqlite3_errcode(m_db));
        return result == kErrorSuccess ? kErrorRegistryIoFailed : result;
    }
    int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return SqliteResult::Map(rc);
}

void StatementCache::Finalize() {
    for (auto& statement : m_statements) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    m_db = nullptr;
}

void StatementCache::Forget() {
    for (auto& statement : m_statements)
        statement = nullptr;
    m_db = nullptr;
}

} // namespace qv
