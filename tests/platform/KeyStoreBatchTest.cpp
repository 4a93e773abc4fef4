// Batches in the POSIX key store: when other programs see a batch's writes, and a batch that meets a switch
// of machine or a fork.
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"
#include "platform/RegistryBatch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace qv {
namespace {

using test::ReadElsewhere;

constexpr const char* kKey = "SOFTWARE\\QuorvaneTest\\Batch";

long SetText(RegistryKey& key, const std::string& name, const std::string& text) {
    return key.SetValue(name, kRegSz, text.c_str(), static_cast<std::uint32_t>(text.size() + 1));
}

std::string Sz(const std::string& text) {
    return text + '\0';
}

TEST(KeyStoreBatchTest, OtherProgramsSeeTheWritesWhenTheBatchCommits) {
    test::TempMachine machine;
    const auto elsewhere = [&](const char* name) { return ReadElsewhere(machine.Str(), kKey, name); };
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(SetText(key, "a", "old"), kErrorSuccess);
    {
        RegistryBatch outer;
        {
            RegistryBatch inner;
            ASSERT_EQ(SetText(key, "a", "new"), kErrorSuccess);
            EXPECT_EQ(test::QueryBytes(key, "a"), Sz("new"));
            EXPECT_EQ(inner.End(), kErrorSuccess);
        }
        // Only the outermost batch commits; another thread's write joins the process's batch.
        EXPECT_EQ(elsewhere("a"), Sz("old"));
        std::thread([] {
            RegistryKey same;
            EXPECT_EQ(same.Open(kKey, RegAccess::Write), kErrorSuccess);
            EXPECT_EQ(SetText(same, "b", "thread"), kErrorSuccess);
        }).join();
        EXPECT_EQ(elsewhere("b"), "(missing)");
        // A write that finds the transaction older than 50 ms commits it first.
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        ASSERT_EQ(SetText(key, "c", "late"), kErrorSuccess);
        EXPECT_EQ(elsewhere("a") + elsewhere("b") + elsewhere("c"), Sz("new") + Sz("thread") + "(missing)");
        EXPECT_EQ(outer.End(), kErrorSuccess);
        EXPECT_EQ(elsewhere("c"), Sz("late"));
    }
    ASSERT_EQ(SetText(key, "d", "alone"), kErrorSuccess);
    EXPECT_EQ(elsewhere("d"), Sz("alone"));
}

TEST(KeyStoreBatchTest, ASwitchOfMachineCommitsTheOldStoreAndTheBatchGoesOn) {
    test::TempMachine first;
    test::TempMachine second;
    MachineDirectory::Set(first.Str());
    RegistryBatch batch;
    RegistryKey inFirst;
    ASSERT_EQ(inFirst.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(SetText(inFirst, "x", "first"), kErrorSuccess);

    MachineDirectory::Set(second.Str());
    RegistryKey inSecond;
    ASSERT_EQ(inSecond.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(SetText(inSecond, "y", "second"), kErrorSuccess);
    EXPECT_EQ(SetText(inFirst, "x", "lost"), kErrorInvalidHandle) << "handles die with their machine";
    EXPECT_EQ(ReadElsewhere(first.Str(), kKey, "x"), Sz("first"));
    EXPECT_EQ(ReadElsewhere(second.Str(), kKey, "y"), "(missing)");

    MachineDirectory::Set(first.Str());
    ASSERT_EQ(inFirst.Open(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(SetText(inFirst, "z", "back"), kErrorSuccess);
    EXPECT_EQ(ReadElsewhere(second.Str(), kKey, "y"), Sz("second"));
    EXPECT_EQ(ReadElsewhere(first.Str(), kKey, "z"), "(missing)");
    EXPECT_EQ(batch.End(), kErrorSuccess);
    EXPECT_EQ(ReadElsewhere(first.Str(), kKey, "z"), Sz("back"));
}

// Runs body in a forked child; its result is the child's exit code.
template <class Body> int InChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(20); // a child that hangs fails
        ::_exit(body());
    }
    const int status = pid < 0 ? -1 : test::WaitFor(pid);
    return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(KeyStoreBatchTest, AForkedChildNeverTouchesItsParentsTransaction) {
    test::TempMachine machine;
    RegistryKey key;
    ASSERT_EQ(key.Create(kKey, RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(SetText(key, "v", "old"), kErrorSuccess);
    {
        RegistryBatch batch;
        ASSERT_EQ(SetText(key, "v", "new"), kErrorSuccess);
        // The child ends the batch it inherited without committing the parent's writes, reads through a
        // connection of its own, and cannot write while the parent holds the write lock.
        EXPECT_EQ(InChild([&] {
                      RegistryKey mine;
                      if (batch.End() != kErrorSuccess ||
                          mine.Open(kKey, RegAccess::ReadWrite) != kErrorSuccess)
                          return 1;
                      if (test::QueryBytes(mine, "v") != Sz("old"))
                          return 2;
                      return SetText(mine, "w", "child") == kErrorBusy ? 0 : 3;
                  }),
                  0);
        EXPECT_EQ(ReadElsewhere(machine.Str(), kKey, "v"), Sz("old"));
        EXPECT_EQ(SetText(key, "u", "parent"), kErrorSuccess);
        EXPECT_EQ(batch.End(), kErrorSuccess);
    }
    EXPECT_EQ(ReadElsewhere(machine.Str(), kKey, "v"), Sz("new"));
    EXPECT_EQ(ReadElsewhere(machine.Str(), kKey, "u"), Sz("parent"));
    EXPECT_EQ(ReadElsewhere(machine.Str(), kKey, "w"), "(missing)");

    // A child forked while nobody writes writes through its own connection.
    EXPECT_EQ(InChild([] {
                  RegistryKey mine;
                  return mine.Open(kKey, RegAccess::Write) == kErrorSuccess &&
                                 SetText(mine, "w", "child") == kErrorSuccess
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_EQ(test::QueryBytes(key, "w"), Sz("child"));
    test::LeaveStore();
    EXPECT_EQ(test::IntegrityCheck((machine.Path() / "registry.db").string()), "ok");
}

} // namespace
} // namespace qv
