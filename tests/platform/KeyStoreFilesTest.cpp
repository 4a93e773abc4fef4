// The key store's file promises: created when missing, left untouched when it is no healthy store,
// read-only when its mode says so.
#include "StoreFiles.h"
#include "platform/MachineDirectory.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::LeaveStore;
using test::ReadWholeFile;
using test::WriteWholeFile;

constexpr const char* kKey = "SOFTWARE\\Helmark\\Quorvane";

void FillStore() {
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(key.SetValue("ProgFiles", kRegSz, "/opt/qv", 8), kErrorSuccess);
    RegistryKey site;
    ASSERT_EQ(site.Create(std::string(kKey) + "\\Value\\Sites\\1", RegAccess::ReadWrite), kErrorSuccess);
    LeaveStore();
}

TEST(KeyStoreFilesTest, AMissingStoreIsCreatedWithItsDirectory) {
    test::TempMachine machine;
    const fs::path dir = machine.Path() / "not" / "yet";
    MachineDirectory::Set(dir.string());
    RegistryKey key;
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorFileNotFound);
    EXPECT_TRUE(fs::is_regular_file(dir / "registry.db"));
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);

    LeaveStore();
    MachineDirectory::Set(dir.string());
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorSuccess);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().rfind("registry.db", 0), 0u) << entry.path();
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().string().find(".new-"), std::string::npos) << entry.path();
}

TEST(KeyStoreFilesTest, AnEmptyFileBecomesAStore) {
    test::TempMachine machine;
    WriteWholeFile(machine.Path() / "registry.db", "");
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(key.SetValue("v", kRegDword, "\1\0\0\0", 4), kErrorSuccess);
    LeaveStore();
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorSuccess);
    const std::string bytes = ReadWholeFile(machine.Path() / "registry.db");
    ASSERT_GE(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 16), std::string("SQLite format 3\0", 16));
}

TEST(KeyStoreFilesTest, HandlesDieWithTheirMachine) {
    test::TempMachine machine;
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    {
        test::TempMachine other;
        RegistryKey same;
        ASSERT_EQ(same.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
        EXPECT_EQ(key.SetValue("v", kRegDword, "\1\0\0\0", 4), kErrorInvalidHandle);
    }
    EXPECT_EQ(key.SetValue("v", kRegDword, "\1\0\0\0", 4), kErrorInvalidHandle);
}

// Every way in fails with kErrorBadDb, again and again, and the file keeps every byte.
void ExpectRefusedAndUntouched(const fs::path& store, const std::string& what) {
    const std::string before = ReadWholeFile(store);
    for (int attempt = 0; attempt < 2; ++attempt) {
        RegistryKey key;
        bool created = true;
        EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorBadDb) << what;
        EXPECT_EQ(key.Open("", RegAccess::ReadWrite), kErrorBadDb) << what;
        EXPECT_EQ(key.Create("SOFTWARE\\New", RegAccess::ReadWrite, &created), kErrorBadDb) << what;
        EXPECT_FALSE(key.IsOpen()) << what;
        EXPECT_FALSE(created) << what;
        EXPECT_EQ(RegistryKey::DeleteTree(kKey), kErrorBadDb) << what;
    }
    LeaveStore();
    EXPECT_EQ(ReadWholeFile(store), before) << what;
}

TEST(KeyStoreFilesTest, AFileThatIsNoHealthyStoreFailsEveryOpenAndIsNeverTouched) {
    std::string healthy;
    {
        test::TempMachine machine;
        FillStore();
        healthy = ReadWholeFile(machine.Path() / "registry.db");
    }
    ASSERT_GE(healthy.size(), 100u);
    const std::size_t pageSize =
        (static_cast<unsigned char>(healthy[16]) << 8) | static_cast<unsigned char>(healthy[17]);
    ASSERT_GE(healthy.size(), 3 * pageSize);

    std::string badPageSize = healthy;
    badPageSize[16] = 0x03;
    badPageSize[17] = 0x00;
    std::string damagedTable = healthy;
    damagedTable[pageSize] = 0x07;              // page 2, the key table's root: no such page type
    std::string damagedRollback = damagedTable; // switching it to WAL would rewrite its header
    damagedRollback[18] = damagedRollback[19] = 1;
    std::string damagedPages = healthy;
    for (std::size_t i = pageSize; i < damagedPages.size(); ++i)
        damagedPages[i] = static_cast<char>(i * 131 + 17);
    std::string newerFormat = healthy;
    newerFormat[63] = 9; // the header's user version: a store this program does not know
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "Windows Registry Editor Version 5.00\r\n";

    const std::pair<const char*, std::string> cases[] = {
        {"text", text},
        {"short", healthy.substr(0, 60)},
        {"truncated", healthy.substr(0, healthy.size() - 100)},
        {"bad page size", badPageSize},
        {"damaged table", damagedTable},
        {"damaged, rollback journal", damagedRollback},
        {"damaged pages", damagedPages},
        {"newer format", newerFormat},
    };
    for (const auto& [what, bytes] : cases) {
        test::TempMachine machine;
        const fs::path store = machine.Path() / "registry.db";
        WriteWholeFile(store, bytes);
        ExpectRefusedAndUntouched(store, what);
    }

    // A healthy database of some other program is no key store either.
    test::TempMachine machine;
    const fs::path store = machine.Path() / "registry.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine')", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ExpectRefusedAndUntouched(store, "foreign database");
}

TEST(KeyStoreFilesTest, AStoreWithoutWriteBitsReadsAndRefusesWrites) {
    test::TempMachine machine;
    FillStore();
    const fs::path store = machine.Path() / "registry.db";
    ASSERT_EQ(::chmod(store.c_str(), 0444), 0);
    const std::string before = ReadWholeFile(store);

    RegistryKey key;
    ASSERT_EQ(key.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    char buffer[16] = {};
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(key.QueryValue("ProgFiles", nullptr, buffer, &size), kErrorSuccess);
    EXPECT_STREQ(buffer, "/opt/qv");
    std::string name;
    EXPECT_EQ(key.EnumSubKey(0, name), kErrorSuccess);
    EXPECT_EQ(name, "Value");

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
