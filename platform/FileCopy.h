#pragma once
// Copying one regular file. Win32: CopyFileW, which creates a target that must not exist atomically.
// POSIX: std::filesystem::copy_file, whose target without overwrite is created exclusively. (MinGW's
// copy_file cannot overwrite: it takes every two files of a drive for the same file.)
#include <filesystem>

namespace qv {

enum class CopyResult { Copied, TargetExists, Failed };

// Without overwrite an existing target is never replaced (TargetExists).
CopyResult CopyFileTo(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite);

} // namespace qv
