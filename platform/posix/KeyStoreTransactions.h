#pragma once
// The key store's transactions on its one connection: operations tried again while other programs hold
// the store, writes of one or several statements made atomic, the batches' shared transaction
// (RegistryBatch.h) and what a forked child may not do with its parent's connection.
//
// While batches are alive the writes share one transaction, begun by the first write and committed by the
// last batch to end, by a write that finds it older than 50 ms, by a switch to another store and at exit.
// Not thread-safe on its own: the key store's mutex guards every call.
#include "platform/WinError.h"
#include "platform/posix/SqliteResult.h"
#include "platform/posix/StatementCache.h"

#include <chrono>
#include <set>
#include <string>

struct sqlite3;

namespace qv {

class KeyStoreTransactions {
public:
    KeyStoreTransactions();

    // Notes forks from now on: a child must leave its parent's connection alone.
    static void WatchForks();

    // The connection of the store at path, opened or about to close.
    void Attach(sqlite3* db, const std::string& path);
    void Detach();
    // In a forked child, once: forgets the parent's connection and tells so; the caller forgets its part.
    bool LeaveParentConnection();

    // operation runs again, after a growing pause, while it gives SqliteResult::kRetry, for up to 60 s.
    template <class Operation> long Retry(Operation operation) {
        long result = operation();
        if (result != SqliteResult::kRetry)
            return result;
        Backoff backoff = StartBackoff();
        while (true) {
            if (const long stop = PauseBeforeRetry(backoff); stop != kErrorSuccess)
                return stop;
            result = operation();
            if (result != SqliteResult::kRetry)
                return result;
        }
    }

    // A write: one statement, or several made one by a transaction (or, in a batch, a savepoint).
    template <class Operation> long Write(bool severalStatements, Operation operation) {
        if (LockedByParent())
            return kErrorBusy;
        if (m_batches == 0) {
            SetWriting(true);
            // One statement, one transaction; several take the write lock first with BEGIN IMMEDIATE, so
            // two writers never deadlock upgrading a read lock.
            const long result =
                severalStatements ? Retry([&] { return InTransaction(operation); }) : Retry(operation);
            SetWriting(false);
            return result;
        }
        long result = BatchTransaction();
        if (result != kErrorSuccess)
            return result;
        // A statement that fails is undone by SQLite alone; several become one write by a savepoint.
        result = Retry([&] { return severalStatements ? InSavepoint(operation) : operation(); });
        BatchLost(&result);
        return result;
    }

    // RegistryBatch: counts the batches alive; the last to end commits and returns what lost writes.
    void BeginBatch() { ++m_batches; }
    long EndBatch();
    // Commits the batches' transaction now (a switch to another store, exit).
    long CommitBatch();

private:
    enum Statement {
        kBegin,
        kCommit,
        kRollback,
        kSavepoint,
        kRelease,
        kRollbackToSavepoint,
        kStatementCount
    };

    struct Backoff {
        std::chrono::steady_clock::time_point deadline;
        std::chrono::microseconds pause;
    };

    template <class Operation> long InTransaction(Operation& operation) {
        long result = m_statements.Step(kBegin);
        if (result != kErrorSuccess)
            return result;
        result = operation();
        if (result == kErrorSuccess)
            result = m_statements.Step(kCommit);
        if (result != kErrorSuccess && Open())
            m_statements.Step(kRollback);
        return result;
    }
    template <class Operation> long InSavepoint(Operation& operation) {
        long rc = m_statements.Step(kSavepoint);
        if (rc != kErrorSuccess)
            return rc;
        rc = operation();
        if (rc != kErrorSuccess && Open())
            m_statements.Step(kRollbackToSavepoint);
        if (Open()) {
            long released = m_statements.Step(kRelease);
            if (rc == kErrorSuccess)
                rc = released;
        }
        return rc;
    }

    static Backoff StartBackoff();
    long PauseBeforeRetry(Backoff& backoff);
    // Whether a transaction is open on the connection.
    bool Open() const;
    bool LockedByParent() const { return m_lockedByParent.count(m_path) != 0; }
    static void SetWriting(bool writing);
    long BatchTransaction();
    bool BatchLost(long* result);

    sqlite3* m_db = nullptr;
    std::string m_path;
    StatementCache m_statements;
    // Batches alive in the process; whether their transaction is open on m_db, and since when.
    int m_batches = 0;
    bool m_batchOpen = false;
    std::chrono::steady_clock::time_point m_batchBegun;
    // The first error that lost writes of the batches, given to the last one when it ends.
    long m_batchError = 0;
    // In a forked child: the stores its parents were writing when they forked.
    std::set<std::string> m_lockedByParent;
};

} // namespace qv
