#include "FileTransfer.h"

#include "platform/FileCopy.h"
#include "platform/MachineDirectory.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <fstream>
#include <system_error>
#include <type_traits>

namespace qv {

namespace fs = std::filesystem;

namespace {

bool EntryExists(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

// Removes a file that this process has just made; errors are of no use to anybody here.
void TakeBack(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

MoveResult CopyThenRemove(const fs::path& from, const fs::path& to) {
    // Without overwrite the target is created exclusively: a file that appeared meanwhile is kept.
    switch (CopyFileTo(from, to, false)) {
    case CopyResult::TargetExists:
        return MoveResult::TargetExists;
    case CopyResult::Failed:
        // Whatever is there now is this copy broken off part way: take it back, the source stays whole.
        TakeBack(to);
        return MoveResult::Failed;
    case CopyResult::Copied:
        break;
    }
    std::error_code error;
    if (!fs::remove(from, error) || error) {
        TakeBack(to);
        return MoveResult::Failed;
    }
    return MoveResult::Moved;
}

// Narrow text of a file name as the records hold it.
std::string NarrowName(const fs::path& name) {
    if constexpr (std::is_same_v<fs::path::value_type, char>)
        return name.string();
    else
        return TextCodec::FromUtf16(name.u16string());
}

} // namespace

fs::path FilePath(std::string_view path) {
    return NativePath(MachineDirectory::LocalPath(path));
}

bool PathExists(std::string_view path) {
    if (path.empty())
        return false;
    std::error_code error;
    return fs::exists(FilePath(path), error);
}

bool IsReadableFile(std::string_view path) {
    if (path.empty())
        return false;
    std::error_code error;
    const fs::path file = FilePath(path);
    if (!fs::is_regular_file(file, error))
        return false;
    return std::ifstream(file, std::ios::binary).is_open();
}

std::optional<std::vector<DirectoryEntry>> ListDirectory(std::string_view directory) {
    if (directory.empty())
        return std::nullopt;
    std::error_code error;
    fs::directory_iterator it(FilePath(directory), error);
    if (error)
        return std::nullopt;
    std::vector<DirectoryEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        DirectoryEntry entry;
        entry.name = NarrowName(it->path().filename());
        std::error_code typeError;
        entry.isDirectory = it->is_directory(typeError);
        entry.isFile = !entry.isDirectory && it->is_regular_file(typeError);
        entry.isLink = it->is_symlink(typeError);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool CopyRegularFile(std::string_view source, std::string_view target, bool overwrite) {
    if (source.empty() || target.empty())
        return false;
    return CopyFileTo(FilePath(source), FilePath(target), overwrite) == CopyResult::Copied;
}

bool SameLocation(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty())
        return false;
    // Spelled out rather than asked of the file system: MinGW cannot tell two files of a drive apart.
    const auto normal = [](std::string_view path) {
        std::error_code error;
        std::string text = NarrowName(fs::absolute(FilePath(path), error).lexically_normal());
        while (text.size() > 1 && (text.back() == '/' || text.back() == kPathSeparator))
            text.pop_back();
        return text;
    };
    return FileNamesEqual(normal(a), normal(b));
}

MoveResult MoveFileNoOverwrite(std::string_view source, std::string_view target) {
    if (source.empty() || target.empty())
        return MoveResult::Failed;
    const fs::path from = FilePath(source);
    const fs::path to = FilePath(target);

    // A hard link never replaces anything: where the file system has them, not even a file that appears at
    // the last moment is overwritten.
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (!error) {
        if (fs::remove(from, error) && !error)
            return MoveResult::Moved;
        TakeBack(to);
        return MoveResult::Failed;
    }
    // No hard link (another file system, or none supported): a rename would replace the target, look first.
    if (error == std::errc::file_exists || EntryExists(to))
        return MoveResult::TargetExists;
    fs::rename(from, to, error);
    if (!error)
        return MoveResult::Moved;
    // Another file system, or a rename refused for any other reason: copying still moves the file.
    return CopyThenRemove(from, to);
}

MoveResult MoveFileByCopy(std::string_view source, std::string_view target) {
    if (source.empty() || target.empty())
        return MoveResult::Failed;
    const fs::path to = FilePath(target);
    if (EntryExists(to))
        return MoveResult::TargetExists;
    return CopyThenRemove(FilePath(source), to);
}

bool RenameNoOverwrite(std::string_view from, std::string_view to) {
    if (from.empty() || to.empty())
        return false;
    const fs::path target = FilePath(to);
    if (EntryExists(target))
        return false;
    std::error_code error;
    fs::rename(FilePath(from), target, error);
    return !error;
}

} // namespace qv
