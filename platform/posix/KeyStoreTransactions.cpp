#include "platform/posix/KeyStoreTransactions.h"

#include <sqlite3.h>

#include <atomic>
#include <random>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace qv {

namespace {

// Set in a forked child: the connection belongs to the parent.
std::atomic<bool> g_forked{false};
// Whether the process holds the store's write lock; in a forked child, whether its parent held it.
std::atomic<bool> g_writing{false};

// How long an operation keeps trying while other programs hold the store.
constexpr auto kBusyDeadline = std::chrono::seconds(60);
// How long a batch's transaction may hold the write lock before a write commits it and begins anew.
constexpr auto kBatchSlice = std::chrono::milliseconds(50);

const char* const kStatementText[] = {
    "BEGIN IMMEDIATE", "COMMIT", "ROLLBACK", "SAVEPOINT qv_write", "RELEASE qv_write", "ROLLBACK TO qv_write",
};

} // namespace

KeyStoreTransactions::KeyStoreTransactions() : m_statements(kStatementText, kStatementCount) {}

void KeyStoreTransactions::WatchForks() {
    ::pthread_atfork(nullptr, nullptr, [] { g_forked = true; });
}

void KeyStoreTransactions::Attach(sqlite3* db, const std::string& path) {
    m_db = db;
    m_path = path;
    m_statements.Attach(db);
}

void KeyStoreTransactions::Detach() {
    m_statements.Finalize();
    m_db = nullptr;
    m_batchOpen = false;
    g_writing = false;
}

bool KeyStoreTransactions::LeaveParentConnection() {
    if (!g_forked.exchange(false))
        return false;
    // SQLite keeps its file lock records per process, and the child's copy still counts the locks the
    // parent's connection held: while the parent was writing, the child could never get the write lock of
    // that store. Its writes there fail at once rather than after a long wait.
    if (g_writing.exchange(false) && m_db)
        m_lockedByParent.insert(m_path);
    // A forked child must not use its parent's connection, nor end its parent's transaction: it leaves
    // both alone and opens a connection of its own.
    m_statements.Forget();
    m_db = nullptr;
    m_path.clear();
    m_batchOpen = false;
    return true;
}

KeyStoreTransactions::Backoff KeyStoreTransactions::StartBackoff() {
    return {std::chrono::steady_clock::now() + kBusyDeadline, std::chrono::microseconds(500)};
}

long KeyStoreTransactions::PauseBeforeRetry(Backoff& backoff) {
    thread_local std::minstd_rand random(static_cast<unsigned>(::getpid()));
    if (m_db && Open()) {
        // The operation's own transaction is undone before it runs again; a batch's stays.
        if (!m_batchOpen)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    } else if (m_batchOpen) {
        return kErrorBusy; // SQLite undid the batch's transaction: trying again cannot bring it back
    }
    if (std::chrono::steady_clock::now() >= backoff.deadline)
        return kErrorBusy;
    std::this_thread::sleep_for(backoff.pause + std::chrono::microseconds(random() % 1000));
    if (backoff.pause < std::chrono::milliseconds(50))
        backoff.pause *= 2;
    return kErrorSuccess;
}

bool KeyStoreTransactions::Open() const {
    return !sqlite3_get_autocommit(m_db);
}

void KeyStoreTransactions::SetWriting(bool writing) {
    g_writing = writing;
}

long KeyStoreTransactions::BatchTransaction() {
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
    if ((result = Retry([&] { return m_statements.Step(kBegin); })) != kErrorSuccess) {
        g_writing = false;
        return result;
    }
    m_batchOpen = true;
    m_batchBegun = std::chrono::steady_clock::now();
    return kErrorSuccess;
}

long KeyStoreTransactions::CommitBatch() {
    long result = kErrorSuccess;
    if (!m_batchOpen || BatchLost(&result))
        return result;
    // A store not (yet) in WAL mode makes a commit wait for its readers: Retry keeps the transaction.
    result = Retry([&] { return m_statements.Step(kCommit); });
    if (Open())
        m_statements.Step(kRollback); // a commit that failed for good
    m_batchOpen = false;
    g_writing = false;
    if (result != kErrorSuccess && m_batchError == kErrorSuccess)
        m_batchError = result;
    return result;
}

bool KeyStoreTransactions::BatchLost(long* result) {
    // SQLite undoes a transaction by itself after some errors (I/O, a full disk, no memory).
    if (!m_batchOpen || Open())
        return false;
    m_batchOpen = false;
    g_writing = false;
    if (*result == kErrorSuccess)
        *result = kErrorRegistryIoFailed;
    if (m_batchError == kErrorSuccess)
        m_batchError = *result;
    return true;
}

long KeyStoreTransactions::EndBatch() {
    if (m_batches > 0 && --m_batches > 0)
        return m_batchError;
    CommitBatch();
    const long result = m_batchError;
    m_batchError = kErrorSuccess;
    return result;
}

} // namespace qv
