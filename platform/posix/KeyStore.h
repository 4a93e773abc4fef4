#pragma once
// The POSIX key store: registry.db in the machine directory, one SQLite connection per process shared by
// every RegistryKey, guarded by one mutex. The connection follows MachineDirectory::Path(): when the path
// changes, the next call closes the old store and opens the new one, and handles of the old store become
// invalid.
//
// A handle carries the key's row id, the generation of the store connection it came from and whether it
// may read and write. The file is KeyStoreFile's, the transactions KeyStoreTransactions'.
#include "platform/posix/KeyStoreTransactions.h"
#include "platform/posix/StatementCache.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

struct sqlite3;

namespace qv {

class KeyStore {
public:
    static KeyStore& Instance();

    // Opens (or creates, with its parents) the key at path; *handle receives the key's handle.
    long OpenKey(std::string_view path, bool create, bool read, bool write, bool* created,
                 std::uintptr_t* handle);
    long QueryValue(std::uintptr_t handle, std::string_view name, std::uint32_t* type, void* data,
                    std::uint32_t* size);
    long SetValue(std::uintptr_t handle, std::string_view name, std::uint32_t type, const void* data,
                  std::uint32_t size);
    long DeleteValue(std::uintptr_t handle, std::string_view name);
    long EnumSubKey(std::uintptr_t handle, std::uint32_t index, std::string& name);
    long EnumValue(std::uintptr_t handle, std::uint32_t index, std::string& name);
    long DeleteTree(std::string_view path);

    // RegistryBatch: counts the batches alive; the last to end commits and returns what lost writes.
    void BeginBatch();
    long EndBatch();

    static bool CanWrite(std::uintptr_t handle);
    static bool CanRead(std::uintptr_t handle);

private:
    enum Statement {
        kFindPath,
        kInsertKey,
        kKeyExists,
        kQueryValue,
        kSetValue,
        kDeleteValue,
        kEnumSubKey,
        kEnumValue,
        kDeleteKey,
        kStatementCount
    };

    KeyStore();
    void CloseAtExit();

    void LeaveParentConnection();
    long Ensure();
    long OpenStore();
    void CloseStore();
    long EnumName(Statement which, std::uintptr_t handle, std::uint32_t index, std::string& name);
    long KeyId(std::uintptr_t handle, std::int64_t* id) const;
    long EnsureKey(std::uintptr_t handle, std::int64_t* id);
    long ResolvePath(std::string_view path, bool create, std::int64_t* id, bool* created);
    long MissingOrDeleted(std::int64_t id, long missing);

    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    StatementCache m_statements;
    KeyStoreTransactions m_transactions;
    std::string m_path;
    bool m_readOnly = false;
    std::uint32_t m_generation = 0;
    // Stores that passed the quick check in this process: path, device and inode.
    std::set<std::string> m_verified;
};

} // namespace qv
