#pragma once
// File helpers for the key store's POSIX tests.
#include "platform/RegistryKey.h"
#include "support/TempMachine.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qv::test {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes the process leave the current store (the key store follows the machine directory), so that its
// file is complete on disk and the next call opens it afresh.
inline void LeaveStore() {
    TempMachine elsewhere;
    RegistryKey key;
    key.Open("SOFTWARE", RegAccess::Read);
}

} // namespace qv::test
