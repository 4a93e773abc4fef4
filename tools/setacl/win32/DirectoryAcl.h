#pragma once
// Grants on a directory's DACL: read and execute, or modify, for the directory and everything in it.
#include <windows.h>

#include <optional>
#include <string>

namespace qv::setacl {

class DirectoryAcl {
public:
    enum class Rights { Read, Write }; // read and execute; modify

    // False with the reason; on failure the directory keeps the DACL it had.
    static bool Grant(const std::string& directory, PSID sid, Rights rights, std::string* error);

    // The directory as the file system names it, in upper case: one key for every spelling of it (a trailing
    // backslash, "/", letter case, a relative path), so that all grants on it take turns. None with the
    // reason when it is missing or no directory.
    static std::optional<std::string> LockKey(const std::string& directory, std::string* error);
};

} // namespace qv::setacl
