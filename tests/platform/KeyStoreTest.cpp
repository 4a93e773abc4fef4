// The POSIX key store: its file, a writer killed at any moment, writers at once, batches, forks.
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"
#include "platform/RegistryBatch.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace std::string_literals;

namespace qv {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr const char* kKey = "SOFTWARE\\Helmark\\Quorvane";

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Leaves the current store (the key store follows the machine directory): its file is complete on disk.
void LeaveStore() {
    TempMachine elsewhere;
    RegistryKey key;
    key.Open("SOFTWARE", RegAccess::Read);
}

// Starts the writer program; the stream is its stdout, pclose gives its wait status.
FILE* StartWriter(const std::vector<std::string>& args) {
    std::string command = "exec '" QV_STORE_WRITER "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    return ::popen(command.c_str(), "r");
}

std::string IntegrityCheck(const fs::path& store) {
    sqlite3* db = nullptr;
    std::string result;
    const auto collect = [](void* text, int, char** values, char**) {
        *static_cast<std::string*>(text) += values[0] ? values[0] : "";
        return 0;
    };
    sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA integrity_check", collect, &result, nullptr);
    sqlite3_close(db);
    return result;
}

TEST(KeyStoreFilesTest, MadeWhenMissingOrEmptyAndNeverTouchedWhenNoHealthyStore) {
    TempMachine machine, empty;
    const fs::path dir = machine.Path() / "not" / "yet";
    MachineDirectory::Set(dir.string());
    RegistryKey key;
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorFileNotFound);
    ASSERT_EQ(key.Create(std::string(kKey) + "\\Value\\Sites\\1", RegAccess::ReadWrite), kErrorSuccess);
    LeaveStore();
    const std::string healthy = ReadWholeFile(dir / "registry.db");
    // An empty file becomes a store with the same header and page size as a new one.
    MachineDirectory::Set(empty.Str());
    std::ofstream(empty.Path() / "registry.db");
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    LeaveStore();
    EXPECT_EQ(key.Open(kKey, RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(ReadWholeFile(empty.Path() / "registry.db").substr(0, 18), healthy.substr(0, 18));
    const std::size_t pageSize = std::uint8_t(healthy.at(16)) * 256 + std::uint8_t(healthy.at(17));
    ASSERT_GE(healthy.size(), 3 * pageSize);
    const auto changed = [](std::string bytes, std::size_t at, const std::string& to) {
        return bytes.replace(at, to.size(), to);
    };
    const std::string damagedTable = changed(healthy, pageSize, "\x07"); // the key table's root: no page type
    std::string damagedPages = healthy;
    for (std::size_t i = pageSize; i < damagedPages.size(); ++i)
        damagedPages[i] = static_cast<char>(i * 131 + 17);
    const std::pair<const char*, std::string> cases[] = {
        {"text", std::string(9000, 'x')},
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
        sqlite3* db = nullptr; // a healthy database of some other program is no key store either
        EXPECT_FALSE(bytes.empty() &&
                     (sqlite3_open(store.c_str(), &db) != SQLITE_OK ||
                      sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr)));
        sqlite3_close(db);
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
    EXPECT_TRUE(other.Create(kKey, RegAccess::ReadWrite, &created) == kErrorSuccess && !created);
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

// Kills the writer at random moments; the store must be sound and hold whole steps up to one it reported.
TEST(KeyStoreProcessTest, AWriterKilledAtAnyMomentLeavesAWholeStoreWithoutTheBatchUnderWay) {
    for (const bool batched : {false, true}) {
        TempMachine machine;
        const unsigned seed = std::random_device()();
        std::mt19937 random(seed);
        SCOPED_TRACE("seed " + std::to_string(seed) + (batched ? ", batched" : ""));
        std::uint64_t start = 1;
        bool written[kCrashValues] = {}; // a value once in the store is never missing again
        for (int round = 0; round < (batched ? 15 : 30); ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            FILE* out = StartWriter({machine.Str(), "burst", std::to_string(start), batched ? "batch" : ""});
            int pid = 0;
            unsigned long long finished = 0; // killed some time after its first finished step
            ASSERT_TRUE(out && std::fscanf(out, "%d %llu", &pid, &finished) == 2 && pid > 0);
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
            ::kill(pid, SIGKILL);
            while (std::fscanf(out, "%llu", &finished) == 1) {
            }
            ASSERT_TRUE(WIFSIGNALED(::pclose(out))) << "the writer stopped by itself";
            LeaveStore();
            RegistryKey values, trees;
            ASSERT_EQ(values.Open(kCrashKey, RegAccess::Read), kErrorSuccess);
            ASSERT_EQ(IntegrityCheck(machine.Path() / "registry.db"), "ok");
            std::uint64_t steps[kCrashValues] = {}, committed = 0; // the last step of this round in the store
            for (int v = 0; v < kCrashValues; ++v) {
                const auto bytes = Get(values, "v" + std::to_string(v));
                if (!bytes && !written[v])
                    continue;
                written[v] = true;
                const auto step = ReadRecord(bytes.value_or(""));
                ASSERT_TRUE(step && *step % kCrashValues == static_cast<std::uint64_t>(v))
                    << "v" << v << " is torn";
                steps[v] = *step;
                committed = *step >= start ? std::max(committed, *step) : committed;
            }
            // The last step the writer saw finished is in the store, and so is every step before it.
            ASSERT_GE(committed, finished);
            for (std::uint64_t v = 0; v < kCrashValues; ++v) {
                const std::uint64_t back = (committed + kCrashValues - v) % kCrashValues;
                EXPECT_TRUE(committed >= start + back ? steps[v] == committed - back : steps[v] < start)
                    << "v" << v << " holds step " << steps[v] << ", the last is " << committed;
            }
            // Trees are made and deleted whole, and none is ahead of the values.
            std::vector<std::string> names; // none before the first tree
            EXPECT_TRUE(trees.Open(std::string(kCrashKey) + "\\Trees", RegAccess::Read) ||
                        !trees.SubKeyNames(names));
            for (const std::string& name : names) {
                const std::uint64_t number = std::stoull(name.substr(1));
                EXPECT_EQ(RegistryKey().Open(CrashTree(number) + "\\A\\B", RegAccess::Read), kErrorSuccess)
                    << name;
                EXPECT_TRUE(number < start || number <= committed) << name << " of " << committed;
            }
            start = finished + 1000; // later steps carry higher numbers than anything written so far
        }
    }
}

// Three writers of the same keys at once (two in batches or not), racing to create the store too.
TEST(KeyStoreProcessTest, ThreeWritersAtOnceLoseNothing) {
    for (const char* batch : {"", "batch"}) {
        SCOPED_TRACE(batch);
        TempMachine machine;
        const std::string dir = machine.Str() + "/fresh";
        constexpr int kCount = 400;
        std::vector<FILE*> writers;
        for (const char* id : {"1", "2", "3"})
            writers.push_back(
                StartWriter({dir, "share", id, std::to_string(kCount), *id == '1' ? "" : batch}));
        for (FILE* writer : writers) {
            const int status = writer ? ::pclose(writer) : -1;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed, status " << status;
        }
        MachineDirectory::Set(dir);
        RegistryKey shared;
        ASSERT_EQ(shared.Open(kSharedKey, RegAccess::Read), kErrorSuccess);
        for (const char* id : {"1", "2", "3"}) {
            for (int i = 0; i < kCount; ++i) {
                RegistryKey sub;
                ASSERT_EQ(sub.Open(SharedSub(id, i), RegAccess::Read), kErrorSuccess) << SharedName(id, i);
                EXPECT_EQ(Get(shared, SharedName(id, i)).value_or("") + Get(sub, "n").value_or(""),
                          SharedName(id, i) + '\0' +
                              std::string(reinterpret_cast<const char*>(&i), sizeof i));
            }
        }
    }
}

// What another program reads: the value's bytes, or "(missing)".
std::string Elsewhere(const TempMachine& machine, const char* name) {
    FILE* out = StartWriter({machine.Str(), "read", kKey, name});
    std::string bytes;
    for (int c; out && (c = std::fgetc(out)) != EOF;)
        bytes += static_cast<char>(c);
    const int status = out ? ::pclose(out) : -1, code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return code == 0 ? bytes : code == 3 ? "(missing)" : "(reader failed)";
}

TEST(KeyStoreBatchTest, OtherProgramsSeeTheWritesWhenTheBatchCommitsOrTheMachineChanges) {
    TempMachine machine;
    const auto elsewhere = [&](const char* name) { return Elsewhere(machine, name); };
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(key, "a", kRegSz, "old\0"s), kErrorSuccess);
    {
        RegistryBatch outer;
        {
            RegistryBatch inner;
            ASSERT_EQ(Set(key, "a", kRegSz, "new\0"s), kErrorSuccess);
            EXPECT_EQ(Get(key, "a"), "new\0"s);
            EXPECT_EQ(inner.End(), kErrorSuccess);
        }
        // Only the outermost batch commits; another thread's write joins the process's batch.
        std::thread([] {
            RegistryKey same;
            EXPECT_EQ(same.Open(kKey, RegAccess::Write), kErrorSuccess);
            EXPECT_EQ(Set(same, "b", kRegSz, "thread\0"s), kErrorSuccess);
        }).join();
        EXPECT_EQ(elsewhere("a") + elsewhere("b"), "old\0"s + "(missing)");
        // A write that finds the transaction older than 50 ms commits it first.
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        ASSERT_EQ(Set(key, "c", kRegSz, "late\0"s), kErrorSuccess);
        EXPECT_EQ(elsewhere("a") + elsewhere("b") + elsewhere("c"), "new\0"s + "thread\0"s + "(missing)");
        EXPECT_EQ(outer.End(), kErrorSuccess);
        EXPECT_EQ(elsewhere("c"), "late\0"s);
    }
    ASSERT_EQ(Set(key, "d", kRegSz, "alone\0"s), kErrorSuccess);
    EXPECT_EQ(elsewhere("d"), "alone\0"s);
    // A switch of machine commits the old store, and the batch goes on in the new one and back.
    RegistryBatch batch;
    ASSERT_EQ(Set(key, "x", kRegSz, "first\0"s), kErrorSuccess);
    TempMachine second;
    RegistryKey inSecond;
    ASSERT_EQ(inSecond.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(inSecond, "y", kRegSz, "second\0"s), kErrorSuccess);
    EXPECT_EQ(Set(key, "x", kRegSz, "lost\0"s), kErrorInvalidHandle) << "handles die with their machine";
    EXPECT_EQ(elsewhere("x") + Elsewhere(second, "y"), "first\0"s + "(missing)");
    MachineDirectory::Set(machine.Str());
    ASSERT_EQ(key.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(key, "z", kRegSz, "back\0"s), kErrorSuccess);
    EXPECT_EQ(Elsewhere(second, "y") + elsewhere("z"), "second\0"s + "(missing)");
    EXPECT_EQ(batch.End(), kErrorSuccess);
    EXPECT_EQ(elsewhere("z"), "back\0"s);
}

// Whether body, run in a forked child, says it went well.
template <class Body> bool InChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(20); // a child that hangs fails
        ::_exit(body() ? 0 : 1);
    }
    int status = -1;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(KeyStoreBatchTest, AForkedChildNeverTouchesItsParentsTransaction) {
    TempMachine machine;
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(key, "v", kRegSz, "old\0"s), kErrorSuccess);
    {
        RegistryBatch batch;
        ASSERT_EQ(Set(key, "v", kRegSz, "new\0"s), kErrorSuccess);
        // The child ends the inherited batch without committing it, reads alone, and cannot write meanwhile.
        EXPECT_TRUE(InChild([&] {
            RegistryKey mine;
            return batch.End() == kErrorSuccess && mine.Open(kKey, RegAccess::ReadWrite) == kErrorSuccess &&
                   Get(mine, "v") == "old\0"s && Set(mine, "w", kRegSz, "child\0"s) == kErrorBusy;
        }));
        EXPECT_EQ(Elsewhere(machine, "v"), "old\0"s);
        EXPECT_EQ(Set(key, "u", kRegSz, "parent\0"s), kErrorSuccess);
        EXPECT_EQ(batch.End(), kErrorSuccess);
    }
    EXPECT_EQ(Elsewhere(machine, "v") + Elsewhere(machine, "u") + Elsewhere(machine, "w"),
              "new\0"s + "parent\0"s + "(missing)");
    // A child forked while nobody writes writes through its own connection.
    EXPECT_TRUE(InChild([] {
        RegistryKey mine;
        return mine.Open(kKey, RegAccess::Write) == kErrorSuccess &&
               Set(mine, "w", kRegSz, "child\0"s) == kErrorSuccess;
    }));
    EXPECT_EQ(Get(key, "w"), "child\0"s);
    LeaveStore();
    EXPECT_EQ(IntegrityCheck(machine.Path() / "registry.db"), "ok");
}

} // namespace
} // namespace qv
