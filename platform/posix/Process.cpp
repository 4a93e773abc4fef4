#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qv {

namespace {

// Children whose waiter thread could not be started; swept at the next start.
std::mutex g_unreapedMutex;
std::vector<pid_t> g_unreaped;

// Waits for this one child only: a process-wide SIGCHLD disposition or waitpid(-1) would take the children
// of other parts of the program (Qt's, a test's) from them.
void WaitForChild(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void SweepUnreaped() {
    std::lock_guard lock(g_unreapedMutex);
    std::erase_if(g_unreaped, [](pid_t pid) {
        int status = 0;
        pid_t result = waitpid(pid, &status, WNOHANG);
        return result == pid || (result < 0 && errno != EINTR);
    });
}

void Reap(pid_t pid) {
    try {
        std::thread(WaitForChild, pid).detach();
    } catch (const std::system_error&) {
        std::lock_guard lock(g_unreapedMutex);
        g_unreaped.push_back(pid);
    }
}

class SpawnSetup {
public:
    explicit SpawnSetup(bool hidden) {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawnattr_init(&m_attr);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (hidden) {
            // Nothing to see and nothing to read: no terminal, and no Ctrl-C from the caller's terminal.
            posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&m_actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&m_actions, 2, "/dev/null", O_WRONLY, 0);
            flags |= POSIX_SPAWN_SETPGROUP;
            posix_spawnattr_setpgroup(&m_attr, 0);
        }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        // No handles are inherited, as with CreateProcess(bInheritHandles = FALSE).
        posix_spawn_file_actions_addclosefrom_np(&m_actions, 3);
#endif
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&m_attr, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        posix_spawnattr_setsigdefault(&m_attr, &defaults);
        posix_spawnattr_setflags(&m_attr, flags);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&m_attr);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawn_file_actions_t* Actions() const {
        return &m_actions;
    }
    const posix_spawnattr_t* Attributes() const {
        return &m_attr;
    }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
};

bool Start(const std::string& commandLine, bool hidden) {
    SweepUnreaped();
    std::vector<std::string> args = Process::SplitCommandLine(commandLine);
    if (args.empty() || args.front().empty())
        return false;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    SpawnSetup setup(hidden);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv.front(), setup.Actions(), setup.Attributes(), argv.data(), environ) != 0)
        return false;
    Reap(pid);
    return true;
}

} // namespace

bool Process::StartHidden(const std::string& commandLine) {
    return Start(commandLine, true);
}

bool Process::StartShown(const std::string& commandLine) {
    return Start(commandLine, false);
}

} // namespace qv
