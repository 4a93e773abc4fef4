// Batches in the POSIX key store: when other programs see a batch's writes, and a batch that meets a switch
// of machine or a fork.
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"
#include "platform/RegistryBatch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::string_literals;

namespace qv {
namespace {

using namespace test;

constexpr const char* kKey = "SOFTWARE\\QuorvaneTest\\Batch";

// What another program reads: the value's bytes, or "(missing)".
std::string Elsewhere(const TempMachine& machine, const char* name) {
    int out = -1;
    const pid_t pid = StartWriter({machine.Str(), "read", kKey, name}, &out);
    const std::string bytes = pid > 0 ? ReadToEnd(out) : "";
    const int status = pid > 0 ? WaitFor(pid) : -1;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return code == 0 ? bytes : code == 3 ? "(missing)" : "(reader failed)";
}

TEST(KeyStoreBatchTest, OtherProgramsSeeTheWritesWhenTheBatchCommits) {
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
}

TEST(KeyStoreBatchTest, ASwitchOfMachineCommitsTheOldStoreAndTheBatchGoesOn) {
    TempMachine first, second;
    MachineDirectory::Set(first.Str());
    RegistryBatch batch;
    RegistryKey inFirst, inSecond;
    ASSERT_EQ(inFirst.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(inFirst, "x", kRegSz, "first\0"s), kErrorSuccess);
    MachineDirectory::Set(second.Str());
    ASSERT_EQ(inSecond.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(inSecond, "y", kRegSz, "second\0"s), kErrorSuccess);
    EXPECT_EQ(Set(inFirst, "x", kRegSz, "lost\0"s), kErrorInvalidHandle) << "handles die with their machine";
    EXPECT_EQ(Elsewhere(first, "x") + Elsewhere(second, "y"), "first\0"s + "(missing)");
    MachineDirectory::Set(first.Str());
    ASSERT_EQ(inFirst.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(inFirst, "z", kRegSz, "back\0"s), kErrorSuccess);
    EXPECT_EQ(Elsewhere(second, "y") + Elsewhere(first, "z"), "second\0"s + "(missing)");
    EXPECT_EQ(batch.End(), kErrorSuccess);
    EXPECT_EQ(Elsewhere(first, "z"), "back\0"s);
}

// Runs body in a forked child; its result is the child's exit code.
template <class Body> int InChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(20); // a child that hangs fails
        ::_exit(body());
    }
    const int status = pid < 0 ? -1 : WaitFor(pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(KeyStoreBatchTest, AForkedChildNeverTouchesItsParentsTransaction) {
    TempMachine machine;
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(key, "v", kRegSz, "old\0"s), kErrorSuccess);
    {
        RegistryBatch batch;
        ASSERT_EQ(Set(key, "v", kRegSz, "new\0"s), kErrorSuccess);
        // The child ends the batch it inherited without committing the parent's writes, reads through a
        // connection of its own, and cannot write while the parent holds the write lock.
        EXPECT_EQ(InChild([&] {
                      RegistryKey mine;
                      if (batch.End() != kErrorSuccess ||
                          mine.Open(kKey, RegAccess::ReadWrite) != kErrorSuccess)
                          return 1;
                      return Get(mine, "v") != "old\0"s                         ? 2
                             : Set(mine, "w", kRegSz, "child\0"s) == kErrorBusy ? 0
                                                                                : 3;
                  }),
                  0);
        EXPECT_EQ(Elsewhere(machine, "v"), "old\0"s);
        EXPECT_EQ(Set(key, "u", kRegSz, "parent\0"s), kErrorSuccess);
        EXPECT_EQ(batch.End(), kErrorSuccess);
    }
    EXPECT_EQ(Elsewhere(machine, "v") + Elsewhere(machine, "u") + Elsewhere(machine, "w"),
              "new\0"s + "parent\0"s + "(missing)");
    // A child forked while nobody writes writes through its own connection.
    EXPECT_EQ(InChild([] {
                  RegistryKey mine;
                  return mine.Open(kKey, RegAccess::Write) || Set(mine, "w", kRegSz, "child\0"s) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(Get(key, "w"), "child\0"s);
    LeaveStore();
    EXPECT_EQ(IntegrityCheck(machine.Path() / "registry.db"), "ok");
}

} // namespace
} // namespace qv
