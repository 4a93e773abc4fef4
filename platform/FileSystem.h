#pragma once
// The suite's one way to the file system. The paths the suite holds are stored text, as the registry, the
// metabase or the user gave them: "C:\Inetpub\wwwroot", "\\server\share\dir", "/srv/www". LocalPath turns
// such a text into a path of this system, and every existence test, creation, copy, move, listing and tool
// argument goes through it, so that no operation ever lands relative to the current directory. Limits on
// paths apply to the stored text, before it is mapped.
//
// Nothing here throws; every failure is a false (or empty) result that leaves the files as they were.
#include "DirectoryEntry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum class CopyResult { Copied, TargetExists, Failed };
enum class MoveResult { Moved, TargetExists, Failed };

class FileSystem {
public:
    // POSIX: "E:\dir" -> <machine>/drive_e/dir and "\\server\share\dir" -> <machine>/unc/server/share/dir, as
    // Wine lays them out, with ".." never climbing above the drive or the share; an absolute POSIX path stays
    // as it is. Win32: drive and UNC paths stay as they are. Anything else (empty, relative, "C:dir") names
    // nothing: the empty text.
    static std::string LocalPath(std::string_view stored);
    // LocalPath as the file system's path; empty when the text names nothing.
    static std::filesystem::path Native(std::string_view stored);
    // A path (a name found in a listing) as narrow text: the ANSI code page on Windows, UTF-8 on POSIX.
    static std::string Narrow(const std::filesystem::path& path);

    // Anything (file, directory, other) at that path.
    static bool Exists(std::string_view path);
    // Something other than a directory (what a program file is).
    static bool IsNonDirectory(std::string_view path);
    static bool IsReadableFile(std::string_view path);
    // The entries of a directory without "." and ".."; nothing when it cannot be listed.
    static std::optional<std::vector<DirectoryEntry>> List(std::string_view directory);

    // Copies a regular file. Without overwrite an existing entry of target is never replaced.
    static bool CopyRegularFile(std::string_view source, std::string_view target, bool overwrite);
    // Moves a file to target, never replacing an existing entry there. A move to another file system copies
    // the file and then removes the source; a file that cannot be copied or removed stays in the source
    // alone.
    static MoveResult MoveNoOverwrite(std::string_view source, std::string_view target);
    // The copy-then-remove step of a move between file systems, under the same rules.
    static MoveResult MoveByCopy(std::string_view source, std::string_view target);
    // Renames a file or directory; false when target exists or the rename fails.
    static bool RenameNoOverwrite(std::string_view from, std::string_view to);
    // Creates every missing directory of path; failures are ignored.
    static void CreateDirectoryPath(std::string_view path);

    // Whether two paths name one place, as far as their spelling tells (".", "..", doubled or final
    // separators; letter case where the file system ignores it). Links are not followed.
    static bool SameLocation(std::string_view a, std::string_view b);

private:
    // Narrow local text as the file system's path (no mapping).
    static std::filesystem::path FromNarrow(std::string_view local);
    // Win32: CopyFileW, which creates a target that must not exist atomically. POSIX: copy_file, whose target
    // without overwrite is created exclusively. (MinGW's copy_file cannot overwrite: it takes every two files
    // of a drive for the same file.)
    static CopyResult CopyOne(const std::filesystem::path& from, const std::filesystem::path& to,
                              bool overwrite);
    static MoveResult CopyThenRemove(const std::filesystem::path& from, const std::filesystem::path& to);
};

} // namespace qv
