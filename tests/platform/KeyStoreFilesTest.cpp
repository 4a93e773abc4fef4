// The key store's file: created when missing, never touched when it is no healthy store, read-only when its
// mode says so.
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qv {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr const char* kKey = "SOFTWARE\\Helmark\\Quorvane";

TEST(KeyStoreFilesTest, AMissingStoreOrAnEmptyFileBecomesAStore) {
    TempMachine machine;
    const fs::path dir = machine.Path() / "not" / "yet";
    MachineDirectory::Set(dir.string());
    RegistryKey key;
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorFileNotFound);
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    LeaveStore();
    MachineDirectory::Set(dir.string());
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorSuccess);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_TRUE(entry.path().filename().string().starts_with("registry.db")) << entry.path();
    // An empty file gets the same header and page size as a new store.
    const std::string fresh = ReadWholeFile(dir / "registry.db");
    TempMachine empty;
    std::ofstream(empty.Path() / "registry.db");
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(key.SetValue("v", kRegDword, "\1\0\0\0", 4), kErrorSuccess);
    LeaveStore();
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorSuccess);
    const std::string bytes = ReadWholeFile(empty.Path() / "registry.db");
    ASSERT_GE(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 18), fresh.substr(0, 18));
}

TEST(KeyStoreFilesTest, AFileThatIsNoHealthyStoreFailsEveryOpenAndIsNeverTouched) {
    std::string healthy;
    {
        TempMachine machine;
        RegistryKey key;
        ASSERT_EQ(key.Create(std::string(kKey) + "\\Value\\Sites\\1", RegAccess::ReadWrite), kErrorSuccess);
        LeaveStore();
        healthy = ReadWholeFile(machine.Path() / "registry.db");
    }
    ASSERT_GE(healthy.size(), 100u);
    const std::size_t pageSize =
        (static_cast<unsigned char>(healthy[16]) << 8) | static_cast<unsigned char>(healthy[17]);
    ASSERT_GE(healthy.size(), 3 * pageSize);
    const auto changed = [](std::string bytes, std::size_t at, const std::string& to) {
        return bytes.replace(at, to.size(), to);
    };
    const std::string damagedTable = changed(healthy, pageSize, "\x07"); // the key table's root: no page type
    std::string damagedPages = healthy, text;
    for (std::size_t i = pageSize; i < damagedPages.size(); ++i)
        damagedPages[i] = static_cast<char>(i * 131 + 17);
    for (int i = 0; i < 200; ++i)
        text += "Windows Registry Editor Version 5.00\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"text", text},
        {"short", healthy.substr(0, 60)},
        {"truncated", healthy.substr(0, healthy.size() - 100)},
        {"bad page size", changed(healthy, 16, std::string("\x03\x00", 2))},
        {"damaged table", damagedTable},
        {"damaged, rollback journal", changed(damagedTable, 18, "\1\1")}, // WAL would rewrite its header
        {"damaged pages", damagedPages},
        {"newer format", changed(healthy, 63, "\x09")}, // the header's user version
        {"foreign database", ""}};
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        TempMachine machine;
        const fs::path store = machine.Path() / "registry.db";
        std::ofstream(store, std::ios::binary) << bytes;
        if (bytes.empty()) { // a healthy database of some other program is no key store either
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        // Every way in fails with kErrorBadDb, again and again, and the file keeps every byte.
        const std::string before = ReadWholeFile(store);
        for (int attempt = 0; attempt < 2; ++attempt) {
            RegistryKey key;
            bool created = true;
            const std::vector<long> results = {
                key.Open(kKey, RegAccess::Read), key.Open("", RegAccess::ReadWrite),
                key.Create("SOFTWARE\\New", RegAccess::ReadWrite, &created), RegistryKey::DeleteTree(kKey)};
            EXPECT_EQ(results, std::vector<long>(4, kErrorBadDb));
            EXPECT_FALSE(key.IsOpen() || created);
        }
        LeaveStore();
        EXPECT_EQ(ReadWholeFile(store), before);
    }
}

TEST(KeyStoreFilesTest, AStoreWithoutWriteBitsReadsAndRefusesWrites) {
    TempMachine machine;
    RegistryKey key, other;
    ASSERT_EQ(key.Create(std::string(kKey) + "\\Sites", RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(key, "ProgFiles", kRegSz, std::string("/opt/qv", 8)), kErrorSuccess);
    LeaveStore();
    const fs::path store = machine.Path() / "registry.db";
    ASSERT_EQ(::chmod(store.c_str(), 0444), 0);
    const std::string before = ReadWholeFile(store);

    ASSERT_EQ(key.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    EXPECT_EQ(Get(key, "ProgFiles"), std::string("/opt/qv", 8));
    std::string name;
    bool created = true;
    EXPECT_EQ(key.EnumSubKey(0, name), kErrorSuccess);
    EXPECT_EQ(other.Create(kKey, RegAccess::ReadWrite, &created), kErrorSuccess);
    EXPECT_FALSE(created);
    const std::vector<long> writes = {key.SetValue("ProgFiles", kRegSz, "/tmp", 5),
                                      key.SetValue("Other", kRegSz, "/tmp", 5), key.DeleteValue("ProgFiles"),
                                      other.Create(std::string(kKey) + "\\New", RegAccess::ReadWrite),
                                      RegistryKey::DeleteTree(kKey)};
    EXPECT_EQ(writes, std::vector<long>(5, kErrorAccessDenied));
    LeaveStore();
    EXPECT_EQ(ReadWholeFile(store), before);
    // Writable again, it takes writes again.
    ASSERT_EQ(::chmod(store.c_str(), 0644), 0);
    ASSERT_EQ(key.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    EXPECT_EQ(key.SetValue("ProgFiles", kRegSz, "/tmp", 5), kErrorSuccess);
}

} // namespace
} // namespace qv
