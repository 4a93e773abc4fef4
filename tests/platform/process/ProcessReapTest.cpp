// POSIX: finished children are reaped, and only the children the process start made.
#include "platform/Process.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

// True when no child of this process is a zombie; the children stay unreaped (WNOWAIT).
bool NoZombieChild() {
    siginfo_t info{};
    if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return true; // no children at all
    return info.si_pid == 0;
}

bool WaitUntil(const auto& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class ProcessReap : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_dir = fs::temp_directory_path() / ("qv-reap-" + std::to_string(random()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }
    fs::path m_dir;
};

TEST_F(ProcessReap, FinishedChildrenLeaveNoZombies) {
    for (int i = 0; i < 6; ++i) {
        const fs::path out = m_dir / std::to_string(i);
        ASSERT_TRUE(Process::StartHidden(std::string(QV_ARGV_DUMP) + " " + out.string() + " x"));
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(out); }));
    }
    EXPECT_TRUE(WaitUntil(NoZombieChild));
}

TEST_F(ProcessReap, ChildrenOfOthersAreLeftToThem) {
    const pid_t own = fork();
    ASSERT_GE(own, 0);
    if (own == 0)
        _exit(7);
    const fs::path out = m_dir / "out";
    ASSERT_TRUE(Process::StartHidden(std::string(QV_ARGV_DUMP) + " " + out.string()));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(out); }));
    int status = 0;
    ASSERT_EQ(waitpid(own, &status, 0), own);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_TRUE(WaitUntil(NoZombieChild));
}

} // namespace
} // namespace qv
