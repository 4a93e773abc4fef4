// The key store between processes: a writer killed at any moment leaves a whole store, and writers that
// run at the same time lose nothing and never see the store locked.
#include "StoreProcess.h"
#include "StoreRecord.h"
#include "platform/MachineDirectory.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

namespace qv {
namespace {

using test::IntegrityCheck;
using test::QueryBytes;
using test::StartWriter;
using test::WaitFor;

// The last step of the writer's output, or 0.
std::uint64_t LastFinishedStep(const std::string& output) {
    const std::size_t end = output.rfind('\n');
    if (end == std::string::npos)
        return 0;
    const std::size_t start = end == 0 ? std::string::npos : output.rfind('\n', end - 1);
    return std::stoull(output.substr(start == std::string::npos ? 0 : start + 1));
}

// The trees below kCrashTrees: number and whether the tree is whole.
std::map<std::uint64_t, bool> CrashTrees() {
    std::map<std::uint64_t, bool> trees;
    RegistryKey parent;
    if (parent.Open(test::kCrashTrees, RegAccess::Read) != kErrorSuccess)
        return trees;
    std::string name;
    for (std::uint32_t i = 0; parent.EnumSubKey(i, name) == kErrorSuccess; ++i) {
        RegistryKey leaf;
        trees[std::stoull(name.substr(1))] =
            leaf.Open(std::string(test::kCrashTrees) + "\\" + name + "\\A\\B", RegAccess::Read) ==
            kErrorSuccess;
    }
    return trees;
}

// Kills the writer at random moments; what it leaves must open afresh, be a sound database, and hold
// exactly what the writer's steps up to some step after the last it reported made, whole.
void KillTheWriterAgainAndAgain(int rounds, bool batched) {
    test::TempMachine machine;
    const std::string store = (machine.Path() / "registry.db").string();
    std::random_device seedSource;
    const unsigned seed = seedSource();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));

    std::uint64_t start = 1;
    bool written[test::kCrashValues] = {}; // a value once in the store is never missing again
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int out = -1;
        std::vector<std::string> arguments = {machine.Str(), "burst", std::to_string(start)};
        if (batched)
            arguments.push_back("batch");
        pid_t pid = StartWriter(arguments, &out);
        ASSERT_GT(pid, 0);
        // Killed some time after its first finished step.
        std::string output;
        char first = 0;
        while (first != '\n' && ::read(out, &first, 1) == 1)
            output += first;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(pid, SIGKILL);
        test::ReadToEnd(out, output);
        ::close(out);
        const std::uint64_t finished = LastFinishedStep(output);
        const int status = WaitFor(pid);
        ASSERT_TRUE(first == '\n' && WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        ASSERT_GE(finished, start);

        test::LeaveStore();
        RegistryKey values;
        ASSERT_EQ(values.Open(test::kCrashKey, RegAccess::Read), kErrorSuccess);
        ASSERT_EQ(IntegrityCheck(store), "ok");
        std::optional<std::uint64_t> steps[test::kCrashValues];
        std::uint64_t committed = 0; // the last step of this round in the store
        for (int v = 0; v < test::kCrashValues; ++v) {
            std::string bytes = QueryBytes(values, "v" + std::to_string(v));
            if (bytes.empty() && !written[v])
                continue;
            written[v] = true;
            steps[v] = test::ReadRecord(bytes);
            ASSERT_TRUE(steps[v].has_value()) << "v" << v << " is torn";
            EXPECT_EQ(*steps[v] % test::kCrashValues, static_cast<std::uint64_t>(v));
            if (*steps[v] >= start)
                committed = std::max(committed, *steps[v]);
        }
        // The last step the writer saw finished is in the store, and so is every step before it.
        ASSERT_GE(committed, finished);
        for (std::uint64_t v = 0; v < test::kCrashValues; ++v) {
            const std::uint64_t back = (committed + test::kCrashValues - v) % test::kCrashValues;
            const std::uint64_t got = steps[v].value_or(0);
            if (committed >= start + back) {
                EXPECT_EQ(got, committed - back) << "v" << v;
            } else {
                EXPECT_LT(got, start) << "v" << v;
            }
        }
        // Trees are made and deleted whole, and none is ahead of the values.
        for (const auto& [number, whole] : CrashTrees()) {
            EXPECT_TRUE(whole) << "tree " << number;
            EXPECT_TRUE(number < start || number <= committed) << "tree " << number << " of " << committed;
        }
        // Later steps carry higher numbers than anything written so far.
        start = finished + 1000;
    }
}

TEST(KeyStoreProcessTest, AWriterKilledAtAnyMomentLeavesAWholeStore) {
    KillTheWriterAgainAndAgain(30, false);
}

TEST(KeyStoreProcessTest, AWriterKilledInBatchesLeavesAWholeStoreWithoutTheBatchUnderWay) {
    KillTheWriterAgainAndAgain(15, true);
}

// Three writers of the same keys at once; those named in batched write in batches.
void RunThreeWriters(const std::vector<std::string>& batched) {
    test::TempMachine machine;
    // The writers also race to create the store and its directory.
    const std::string dir = machine.Str() + "/fresh";
    constexpr int kCount = 400;
    const std::vector<std::string> writers = {"1", "2", "3"};
    std::vector<pid_t> pids;
    for (const auto& id : writers) {
        std::vector<std::string> arguments = {dir, "share", id, std::to_string(kCount)};
        if (std::find(batched.begin(), batched.end(), id) != batched.end())
            arguments.push_back("batch");
        pids.push_back(StartWriter(arguments, nullptr));
        ASSERT_GT(pids.back(), 0);
    }
    for (pid_t pid : pids) {
        const int status = WaitFor(pid);
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
            RegistryKey sub;
            ASSERT_EQ(sub.Open(test::SharedSubKey(id, i), RegAccess::Read), kErrorSuccess) << value;
            EXPECT_EQ(QueryBytes(shared, value) + QueryBytes(sub, "n"),
                      value + '\0' + std::string(reinterpret_cast<const char*>(&i), sizeof i));
        }
    }
}

TEST(KeyStoreProcessTest, ThreeWritersAtOnceLoseNothing) {
    RunThreeWriters({});
}

TEST(KeyStoreProcessTest, WritersInBatchesBesideOneWithoutLoseNothing) {
    RunThreeWriters({"2", "3"});
}

} // namespace
} // namespace qv
