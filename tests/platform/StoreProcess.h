#pragma once
// Shared by the key store's POSIX tests and their writer program.
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv::test {

inline constexpr const char* kCrashKey = "SOFTWARE\\QuorvaneTest\\Crash";
inline constexpr int kCrashValues = 16;
inline constexpr const char* kSharedKey = "SOFTWARE\\QuorvaneTest\\Shared";

// What writer id writes in round i: a value of the shared key, and a key below a parent others share.
inline std::string SharedName(const std::string& id, int i) {
    return "w" + id + "-" + std::to_string(i);
}
inline std::string SharedSub(const std::string& id, int i) {
    return std::string(kSharedKey) + "\\Sub" + std::to_string(i % 7) + "\\" + SharedName(id, i);
}
inline std::string CrashTree(std::uint64_t step) {
    return std::string(kCrashKey) + "\\Trees\\K" + std::to_string(step);
}

// A record that tells by itself whether it is whole: the step, then a length and bytes that follow from it.
inline std::string MakeRecord(std::uint64_t step) {
    return std::to_string(step) + ':' + std::string(1 + step % 997, static_cast<char>(step * 31 + 7));
}
inline std::optional<std::uint64_t> ReadRecord(const std::string& record) {
    const std::uint64_t step = std::strtoull(record.c_str(), nullptr, 10);
    return record == MakeRecord(step) ? std::optional(step) : std::nullopt;
}

inline long Set(RegistryKey& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    return key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}
inline std::optional<std::string> Get(const RegistryKey& key, const std::string& name) {
    std::string bytes;
    return key.ReadValue(name, nullptr, bytes) == kErrorSuccess ? std::optional(bytes) : std::nullopt;
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Leaves the current store (the key store follows the machine directory): its file is complete on disk.
inline void LeaveStore() {
    TempMachine elsewhere;
    RegistryKey key;
    key.Open("SOFTWARE", RegAccess::Read);
}

#ifdef QV_STORE_WRITER
// Starts the writer program (empty arguments left out); with out, *out reads its stdout.
inline pid_t StartWriter(std::vector<std::string> args, int* out = nullptr) {
    std::erase(args, "");
    args.insert(args.begin(), QV_STORE_WRITER);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int fds[2] = {-1, -1};
    if (out && ::pipe2(fds, O_CLOEXEC) == 0)
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (out) {
        ::close(fds[1]);
        *out = fds[0];
    }
    return pid;
}
#endif

inline int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

inline std::string ReadToEnd(int fd) {
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return output;
}

inline std::string IntegrityCheck(const std::filesystem::path& store) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        const auto collect = [](void* text, int, char** values, char**) {
            *static_cast<std::string*>(text) += values[0] ? values[0] : "";
            return 0;
        };
        result.clear();
        sqlite3_exec(db, "PRAGMA integrity_check", collect, &result, nullptr);
    }
    sqlite3_close(db);
    return result;
}

} // namespace qv::test
