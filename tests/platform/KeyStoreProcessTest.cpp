// The key store between processes: a writer killed at any moment leaves a whole store, and writers that
// run at the same time lose nothing and never see the store locked.
#include "StoreFiles.h"
#include "StoreRecord.h"
#include "platform/MachineDirectory.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv {
namespace {

// Starts the store writer; with a pipe, *out reads its stdout.
pid_t StartWriter(const std::vector<std::string>& arguments, int* out) {
    std::vector<std::string> all = {QV_STORE_WRITER};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeFds[2] = {-1, -1};
    if (out) {
        if (::pipe(pipeFds) != 0)
            return -1;
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (out) {
        ::close(pipeFds[1]);
        *out = pipeFds[0];
    }
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Reads the writer's output until its first finished step; false when it ended before one.
bool ReadUntilFirstStep(int fd, std::string& output) {
    char buffer[256];
    while (output.find('\n') == std::string::npos) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

std::uint64_t LastFinishedStep(int fd, std::string& output) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(got));
    std::size_t end = output.rfind('\n');
    if (end == std::string::npos)
        return 0;
    std::size_t start = output.rfind('\n', end - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return std::stoull(output.substr(start, end - start));
}

std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* text, int, char** values, char**) {
                *static_cast<std::string*>(text) += values[0] ? values[0] : "";
                return 0;
            },
            &result, nullptr);
    } else {
        result = sqlite3_errmsg(db);
    }
    sqlite3_close(db);
    return result;
}

std::string QueryBytes(const RegistryKey& key, const std::string& name) {
    std::uint32_t size = 0;
    if (key.QueryValue(name, nullptr, nullptr, &size) != kErrorSuccess)
        return {};
    std::string bytes(size, '\0');
    EXPECT_EQ(key.QueryValue(name, nullptr, bytes.data(), &size), kErrorSuccess);
    bytes.resize(size);
    return bytes;
}

TEST(KeyStoreProcessTest, AWriterKilledAtAnyMomentLeavesAWholeStore) {
    test::TempMachine machine;
    const std::string store = (machine.Path() / "registry.db").string();
    std::random_device seedSource;
    const unsigned seed = seedSource();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));

    std::uint64_t start = 1;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int out = -1;
        pid_t pid = StartWriter({machine.Str(), "burst", std::to_string(start)}, &out);
        ASSERT_GT(pid, 0);
        std::string output;
        const bool started = ReadUntilFirstStep(out, output);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(pid, SIGKILL);
        const std::uint64_t finished = LastFinishedStep(out, output);
        ::close(out);
        const int status = WaitFor(pid);
        ASSERT_TRUE(started) << "the writer stopped by itself with status " << status;
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with status " << status;
        ASSERT_GE(finished, start);

        // What it left must open afresh, be a sound database, and hold whole values only.
        test::LeaveStore();
        RegistryKey values;
        ASSERT_EQ(values.Open(test::kCrashKey, RegAccess::Read), kErrorSuccess);
        ASSERT_EQ(IntegrityCheck(store), "ok");
        for (int v = 0; v < test::kCrashValues; ++v) {
            std::string bytes = QueryBytes(values, "v" + std::to_string(v));
            // Once written, a value is never missing again.
            if (round == 0 && finished < start + test::kCrashValues && bytes.empty())
                continue;
            std::optional<std::uint64_t> step = test::ReadRecord(bytes);
            ASSERT_TRUE(step.has_value()) << "v" << v << " is torn";
            EXPECT_EQ(*step % test::kCrashValues, static_cast<std::uint64_t>(v));
        }
        // The last step the writer saw finished is in the store.
        std::optional<std::uint64_t> last =
            test::ReadRecord(QueryBytes(values, "v" + std::to_string(finished % test::kCrashValues)));
        ASSERT_TRUE(last.has_value());
        EXPECT_GE(*last, finished);
        // Trees are made and deleted whole.
        RegistryKey trees;
        if (trees.Open(test::kCrashTrees, RegAccess::Read) == kErrorSuccess) {
            std::string name;
            for (std::uint32_t i = 0; trees.EnumSubKey(i, name) == kErrorSuccess; ++i) {
                RegistryKey leaf;
                EXPECT_EQ(leaf.Open(std::string(test::kCrashTrees) + "\\" + name + "\\A\\B", RegAccess::Read),
                          kErrorSuccess)
                    << name;
            }
        }
        // Later steps carry higher numbers than anything written so far.
        start = finished + 1000;
    }
}

TEST(KeyStoreProcessTest, ThreeWritersAtOnceLoseNothing) {
    test::TempMachine machine;
    // The writers also race to create the store and its directory.
    const std::string dir = machine.Str() + "/fresh";
    constexpr int kCount = 400;
    const std::vector<std::string> writers = {"1", "2", "3"};
    std::vector<pid_t> pids;
    for (const auto& id : writers) {
        pid_t pid = StartWriter({dir, "share", id, std::to_string(kCount)}, nullptr);
        ASSERT_GT(pid, 0);
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = WaitFor(pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed, status " << status;
    }

    MachineDirectory::Set(dir);
    RegistryKey shared;
    ASSERT_EQ(shared.Open(test::kSharedKey, RegAccess::Read), kErrorSuccess);
    std::string name;
    std::uint32_t values = 0;
    while (shared.EnumValue(values, name) == kErrorSuccess)
        ++values;
    EXPECT_EQ(values, writers.size() * kCount);
    for (const auto& id : writers) {
        for (int i = 0; i < kCount; ++i) {
            const std::string value = test::SharedValueName(id, i);
            EXPECT_EQ(QueryBytes(shared, value), value + '\0');
            RegistryKey sub;
            ASSERT_EQ(sub.Open(test::SharedSubKey(id, i), RegAccess::Read), kErrorSuccess) << id << " " << i;
            EXPECT_EQ(QueryBytes(sub, "n"), std::string(reinterpret_cast<const char*>(&i), sizeof i));
        }
    }
}

} // namespace
} // namespace qv
