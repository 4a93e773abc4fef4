#pragma once
// Shared by the key store's POSIX tests and their writer program.
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

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
// Starts the writer program; the stream is its stdout, pclose gives its wait status.
inline FILE* StartWriter(const std::vector<std::string>& args) {
    std::string command = "exec '" QV_STORE_WRITER "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    return ::popen(command.c_str(), "r");
}
#endif

inline std::string ReadToEnd(FILE* out) {
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;)
        text += static_cast<char>(c);
    return text;
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
