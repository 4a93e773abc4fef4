#pragma once
// Shared by the key store's POSIX tests and their writer program.
#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

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

} // namespace qv::test
