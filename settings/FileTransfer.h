#pragma once
// The file operations of template deployment and of the error directory's relocation. Paths are narrow text
// as the records hold them; on POSIX a Windows path of the machine ("C:\Inetpub\...") is taken as its local
// path. Nothing throws; every failure is a false result and leaves the files as they were.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The file system's path of a narrow path.
std::filesystem::path FilePath(std::string_view path);

// Anything (file, directory, other) of that path.
bool PathExists(std::string_view path);
bool IsReadableFile(std::string_view path);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false; // a directory or a link to one
    bool isFile = false;      // a regular file or a link to one
    bool isLink = false;      // a symbolic link
};
// The entries of a directory without "." and ".."; nothing when it cannot be listed.
std::optional<std::vector<DirectoryEntry>> ListDirectory(std::string_view directory);

// Copies a regular file. Without overwrite an existing entry of target is never replaced.
bool CopyRegularFile(std::string_view source, std::string_view target, bool overwrite);

// Whether two paths name one place, as far as their spelling tells (".", "..", doubled or final separators;
// letter case where the file system ignores it). Links are not followed.
bool SameLocation(std::string_view a, std::string_view b);

enum class MoveResult { Moved, TargetExists, Failed };
// Moves a file to target, never replacing an existing entry there. A move to another file system copies the
// file and then removes the source; a file that cannot be copied or removed stays in the source alone.
MoveResult MoveFileNoOverwrite(std::string_view source, std::string_view target);
// The copy-then-remove step of a move between file systems, under the same rules.
MoveResult MoveFileByCopy(std::string_view source, std::string_view target);

// Renames a file or directory; false when target exists or the rename fails.
bool RenameNoOverwrite(std::string_view from, std::string_view to);

} // namespace qv
