// POSIX: finished children are reaped, and only the children the process start made.
#include "platform/Process.h"

#include <chrono>
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

bool WaitUntil(const auto& condition) {
    for (int wait = 0; !condition() && wait < 3000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

TEST(ProcessReap, FinishedChildrenLeaveNoZombiesAndOthersChildrenAreLeftToThem) {
    const fs::path dir = fs::temp_directory_path() / ("qv-reap-" + std::to_string(std::random_device()()));
    fs::create_directories(dir);
    const pid_t own = fork();
    if (own == 0)
        _exit(7);
    for (int i = 0; i < 6; ++i) {
        const fs::path out = dir / std::to_string(i);
        ASSERT_TRUE(Process::StartHidden(std::string(QV_ARGV_DUMP) + " " + out.string() + " x"));
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(out); }));
    }
    int status = 0;
    EXPECT_TRUE(waitpid(own, &status, 0) == own && WIFEXITED(status) && WEXITSTATUS(status) == 7);
    // No child is a zombie; they stay unreaped (WNOWAIT).
    EXPECT_TRUE(WaitUntil([] {
        siginfo_t info{};
        return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0;
    }));
    fs::remove_all(dir);
}

} // namespace
} // namespace qv
