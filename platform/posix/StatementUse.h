#pragma once
// Resets a cached statement when the operation leaves it, so no read transaction stays open.
#include <sqlite3.h>

#include <string_view>

namespace qv {

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

    // The text is bound without a copy: it must outlive the statement's use.
    void BindText(int index, std::string_view text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }

private:
    sqlite3_stmt* m_statement;
};

} // namespace qv
