#pragma once
// Helpers for the key store's POSIX tests: its file, the store writer program, and what either leaves.
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv::test {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Makes the process leave the current store (the key store follows the machine directory), so that its
// file is complete on disk and the next call opens it afresh.
inline void LeaveStore() {
    TempMachine elsewhere;
    RegistryKey key;
    key.Open("SOFTWARE", RegAccess::Read);
}

// Starts the store writer; with a pipe, *out reads its stdout.
inline pid_t StartWriter(const std::vector<std::string>& arguments, int* out) {
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

inline int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Appends what is left to read on fd to output.
inline void ReadToEnd(int fd, std::string& output) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(got));
}

// What another program reads: the value's bytes, or "(missing)".
inline std::string ReadElsewhere(const std::string& machine, const std::string& key,
                                 const std::string& name) {
    int out = -1;
    const pid_t pid = StartWriter({machine, "read", key, name}, &out);
    if (pid <= 0)
        return "(no reader)";
    std::string output;
    ReadToEnd(out, output);
    ::close(out);
    const int status = WaitFor(pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        return "(missing)";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? output : "(reader failed)";
}

inline std::string IntegrityCheck(const std::string& path) {
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

inline std::string QueryBytes(const RegistryKey& key, const std::string& name) {
    std::uint32_t size = 0;
    if (key.QueryValue(name, nullptr, nullptr, &size) != kErrorSuccess)
        return {};
    std::string bytes(size, '\0');
    EXPECT_EQ(key.QueryValue(name, nullptr, bytes.data(), &size), kErrorSuccess);
    bytes.resize(size);
    return bytes;
}

} // namespace qv::test
