#pragma once
// The POSIX key store: registry.db in the machine directory, one SQLite connection per process shared by
// every RegistryKey, guarded by one mutex. The connection follows MachineDirectory::Path(): when the path
// changes, the next call closes the old store and opens the new one, and handles of the old store become
// invalid.
//
// A handle carries the key's row id, the generation of the store connection it came from and whether it
// may read and write.
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

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
        kBegin,
        kCommit,
        kRollback,
        kStatementCount
    };

    KeyStore() = default;
    void CloseAtExit();

    long Ensure();
    long OpenStore();
    long Verify();
    long PrepareSchema(bool readOnly);
    void CloseStore();
    sqlite3_stmt* Get(Statement which);
    long KeyId(std::uintptr_t handle, std::int64_t* id) const;
    long ResolvePath(std::string_view path, bool create, std::int64_t* id, bool* created);
    long MissingOrDeleted(std::int64_t id, long missing);
    template <class Operation> long Retry(Operation operation);

    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statements[kStatementCount] = {};
    std::string m_path;
    bool m_readOnly = false;
    std::uint32_t m_generation = 0;
    // Stores that passed the quick check in this process: path, device and inode.
    std::set<std::string> m_verified;
};

} // namespace qv
