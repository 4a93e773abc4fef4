// The key store between processes: a writer killed at any moment leaves a whole store, and writers that
// run at the same time lose nothing and never see the store locked.
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include <signal.h>

namespace qv {
namespace {

using namespace test;

// Kills the writer at random moments; what it leaves must open afresh, be a sound database, and hold
// exactly what the writer's steps up to some step after the last it reported made, whole.
void KillTheWriterAgainAndAgain(int rounds, bool batched) {
    TempMachine machine;
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::uint64_t start = 1;
    bool written[kCrashValues] = {}; // a value once in the store is never missing again
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int out = -1;
        const pid_t pid =
            StartWriter({machine.Str(), "burst", std::to_string(start), batched ? "batch" : ""}, &out);
        ASSERT_GT(pid, 0);
        char c = 0; // killed some time after its first finished step
        while (c != '\n' && ::read(out, &c, 1) == 1) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(pid, SIGKILL);
        std::istringstream lines(ReadToEnd(out));
        std::uint64_t finished = start;
        for (std::uint64_t step; lines >> step;)
            finished = step;
        ASSERT_TRUE(c == '\n' && WIFSIGNALED(WaitFor(pid))) << "the writer stopped by itself";

        LeaveStore();
        RegistryKey values, trees;
        ASSERT_EQ(values.Open(kCrashKey, RegAccess::Read), kErrorSuccess);
        ASSERT_EQ(IntegrityCheck(machine.Path() / "registry.db"), "ok");
        std::uint64_t steps[kCrashValues] = {};
        std::uint64_t committed = 0; // the last step of this round in the store
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
            if (committed >= start + back)
                EXPECT_EQ(steps[v], committed - back) << "v" << v;
            else
                EXPECT_LT(steps[v], start) << "v" << v;
        }
        // Trees are made and deleted whole, and none is ahead of the values.
        std::vector<std::string> names;
        if (trees.Open(std::string(kCrashKey) + "\\Trees", RegAccess::Read) == kErrorSuccess) {
            EXPECT_EQ(trees.SubKeyNames(names), kErrorSuccess);
        }
        for (const std::string& name : names) {
            const std::uint64_t number = std::stoull(name.substr(1));
            RegistryKey leaf;
            EXPECT_EQ(leaf.Open(CrashTree(number) + "\\A\\B", RegAccess::Read), kErrorSuccess) << name;
            EXPECT_TRUE(number < start || number <= committed) << name << " of " << committed;
        }
        start = finished + 1000; // later steps carry higher numbers than anything written so far
    }
}

TEST(KeyStoreProcessTest, AWriterKilledAtAnyMomentLeavesAWholeStoreWithoutTheBatchUnderWay) {
    KillTheWriterAgainAndAgain(30, false);
    KillTheWriterAgainAndAgain(15, true);
}

// Three writers of the same keys at once, the second and third in batches or not; they also race to
// create the store and its directory.
TEST(KeyStoreProcessTest, ThreeWritersAtOnceLoseNothing) {
    for (const char* batch : {"", "batch"}) {
        SCOPED_TRACE(batch);
        TempMachine machine;
        const std::string dir = machine.Str() + "/fresh";
        constexpr int kCount = 400;
        std::vector<pid_t> pids;
        for (const char* id : {"1", "2", "3"})
            pids.push_back(StartWriter({dir, "share", id, std::to_string(kCount), *id == '1' ? "" : batch}));
        for (pid_t pid : pids) {
            const int status = pid > 0 ? WaitFor(pid) : -1;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed, status " << status;
        }
        MachineDirectory::Set(dir);
        RegistryKey shared;
        std::vector<std::string> names;
        ASSERT_EQ(shared.Open(kSharedKey, RegAccess::Read), kErrorSuccess);
        ASSERT_EQ(shared.ValueNames(names), kErrorSuccess);
        EXPECT_EQ(names.size(), 3u * kCount);
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

} // namespace
} // namespace qv
