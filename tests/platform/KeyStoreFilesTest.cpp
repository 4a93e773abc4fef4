// The key store's file promises: created when missing, left untouched when it is no healthy store,
// read-only when its mode says so.
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qv {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr const char* kKey = "SOFTWARE\\Helmark\\Quorvane";

void WriteWholeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

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
    WriteWholeFile(empty.Path() / "registry.db", "");
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
    const auto changed = [](std::string bytes, std::size_t at, char to) {
        bytes[at] = to;
        return bytes;
    };
    const std::string damagedTable = changed(healthy, pageSize, 0x07); // the key table's root: no page type
    std::string damagedPages = healthy;
    for (std::size_t i = pageSize; i < damagedPages.size(); ++i)
        damagedPages[i] = static_cast<char>(i * 131 + 17);
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "Windows Registry Editor Version 5.00\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"text", text},
        {"short", healthy.substr(0, 60)},
        {"truncated", healthy.substr(0, healthy.size() - 100)},
        {"bad page size", changed(changed(healthy, 16, 0x03), 17, 0x00)},
        {"damaged table", damagedTable},
        // switching it to WAL would rewrite its header
        {"damaged, rollback journal", changed(changed(damagedTable, 18, 1), 19, 1)},
        {"damaged pages", damagedPages},
        {"newer format", changed(healthy, 63, 9)}, // the header's user version
        {"foreign database", ""},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        TempMachine machine;
        const fs::path store = machine.Path() / "registry.db";
        WriteWholeFile(store, bytes);
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
            EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorBadDb);
            EXPECT_EQ(key.Open("", RegAccess::ReadWrite), kErrorBadDb);
            EXPECT_EQ(key.Create("SOFTWARE\\New", RegAccess::ReadWrite, &created), kErrorBadDb);
            EXPECT_FALSE(key.IsOpen() || created);
            EXPECT_EQ(RegistryKey::DeleteTree(kKey), kErrorBadDb);
        }
        LeaveStore();
        EXPECT_EQ(ReadWholeFile(store), before);
    }
}

TEST(KeyStoreFilesTest, AStoreWithoutWriteBitsReadsAndRefusesWrites) {
    TempMachine machine;
    RegistryKey key;
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
    EXPECT_EQ(key.EnumSubKey(0, name), kErrorSuccess);
    EXPECT_EQ(key.SetValue("ProgFiles", kRegSz, "/tmp", 5), kErrorAccessDenied);
    EXPECT_EQ(key.SetValue("Other", kRegSz, "/tmp", 5), kErrorAccessDenied);
    EXPECT_EQ(key.DeleteValue("ProgFiles"), kErrorAccessDenied);
    RegistryKey other;
    bool created = true;
    EXPECT_EQ(other.Create(kKey, RegAccess::ReadWrite, &created), kErrorSuccess);
    EXPECT_FALSE(created);
    EXPECT_EQ(other.Create(std::string(kKey) + "\\New", RegAccess::ReadWrite), kErrorAccessDenied);
    EXPECT_EQ(RegistryKey::DeleteTree(kKey), kErrorAccessDenied);
    LeaveStore();
    EXPECT_EQ(ReadWholeFile(store), before);

    // Writable again, it takes writes again.
    ASSERT_EQ(::chmod(store.c_str(), 0644), 0);
    ASSERT_EQ(key.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    EXPECT_EQ(key.SetValue("ProgFiles", kRegSz, "/tmp", 5), kErrorSuccess);
}

} // namespace
} // namespace qv
