#pragma once
// What the store writer program writes and the store's process tests check: records that tell by
// themselves whether they are whole.
#include <cstdint>
#include <optional>
#include <string>

namespace qv::test {

inline constexpr const char* kCrashKey = "SOFTWARE\\QuorvaneTest\\Crash";
inline constexpr const char* kCrashTrees = "SOFTWARE\\QuorvaneTest\\Crash\\Trees";
inline constexpr int kCrashValues = 16;
inline constexpr const char* kSharedKey = "SOFTWARE\\QuorvaneTest\\Shared";

// The step number, then a length and a byte pattern that both follow from it.
inline std::string MakeRecord(std::uint64_t step) {
    std::string record;
    for (int i = 0; i < 8; ++i)
        record += static_cast<char>((step >> (8 * i)) & 0xff);
    record.append(1 + step % 997, static_cast<char>(step * 31 + 7));
    return record;
}

// The step of a whole record; nothing for a torn or foreign one.
inline std::optional<std::uint64_t> ReadRecord(const std::string& record) {
    if (record.size() < 8)
        return std::nullopt;
    std::uint64_t step = 0;
    for (int i = 0; i < 8; ++i)
        step |= static_cast<std::uint64_t>(static_cast<unsigned char>(record[i])) << (8 * i);
    if (record != MakeRecord(step))
        return std::nullopt;
    return step;
}

inline std::string CrashTree(std::uint64_t step) {
    return std::string(kCrashTrees) + "\\K" + std::to_string(step);
}

inline std::string SharedValueName(const std::string& writer, int i) {
    return "w" + writer + "-" + std::to_string(i);
}

inline std::string SharedSubKey(const std::string& writer, int i) {
    return std::string(kSharedKey) + "\\Sub" + std::to_string(i % 7) + "\\W" + writer + "\\I" +
           std::to_string(i);
}

} // namespace qv::test
