#include "platform/FileSystem.h"

#include "platform/Paths.h"

#include <fstream>
#include <system_error>

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

bool IsSeparator(char c) {
    return c == kPathSeparator || c == '/';
}

void CreateIfMissing(const fs::path& directory) {
    std::error_code ignored;
    if (!fs::exists(directory, ignored))
        fs::create_directory(directory, ignored);
}

} // namespace

fs::path FileSystem::Native(std::string_view stored) {
    const std::string local = LocalPath(stored);
    return local.empty() ? fs::path() : FromNarrow(local);
}

bool FileSystem::Exists(std::string_view path) {
    const fs::path native = Native(path);
    std::error_code error;
    return !native.empty() && fs::exists(native, error);
}

bool FileSystem::IsNonDirectory(std::string_view path) {
    const fs::path native = Native(path);
    std::error_code error;
    const fs::file_status status = fs::status(native, error);
    return !native.empty() && fs::exists(status) && !fs::is_directory(status);
}

bool FileSystem::IsReadableFile(std::string_view path) {
    const fs::path file = Native(path);
    std::error_code error;
    if (file.empty() || !fs::is_regular_file(file, error))
        return false;
    return std::ifstream(file, std::ios::binary).is_open();
}

std::optional<std::vector<DirectoryEntry>> FileSystem::List(std::string_view directory) {
    const fs::path native = Native(directory);
    if (native.empty())
        return std::nullopt;
    std::error_code error;
    fs::directory_iterator it(native, error);
    if (error)
        return std::nullopt;
    std::vector<DirectoryEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        DirectoryEntry entry;
        entry.name = Narrow(it->path().filename());
        std::error_code typeError;
        entry.isDirectory = it->is_directory(typeError);
        entry.isFile = !entry.isDirectory && it->is_regular_file(typeError);
        entry.isLink = it->is_symlink(typeError);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool FileSystem::CopyRegularFile(std::string_view source, std::string_view target, bool overwrite) {
    const fs::path from = Native(source);
    const fs::path to = Native(target);
    if (from.empty() || to.empty())
        return false;
    return CopyOne(from, to, overwrite) == CopyResult::Copied;
}

MoveResult FileSystem::CopyThenRemove(const fs::path& from, const fs::path& to) {
    // Without overwrite the target is created exclusively: a file that appeared meanwhile is kept.
    switch (CopyOne(from, to, false)) {
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

MoveResult FileSystem::MoveNoOverwrite(std::string_view source, std::string_view target) {
    const fs::path from = Native(source);
    const fs::path to = Native(target);
    if (from.empty() || to.empty())
        return MoveResult::Failed;

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

MoveResult FileSystem::MoveByCopy(std::string_view source, std::string_view target) {
    const fs::path from = Native(source);
    const fs::path to = Native(target);
    if (from.empty() || to.empty())
        return MoveResult::Failed;
    if (EntryExists(to))
        return MoveResult::TargetExists;
    return CopyThenRemove(from, to);
}

bool FileSystem::RenameNoOverwrite(std::string_view from, std::string_view to) {
    const fs::path source = Native(from);
    const fs::path target = Native(to);
    if (source.empty() || target.empty() || EntryExists(target))
        return false;
    std::error_code error;
    fs::rename(source, target, error);
    return !error;
}

void FileSystem::CreateDirectoryPath(std::string_view path) {
    const std::string local = LocalPath(path);
    std::error_code ignored;
    if (local.empty() || fs::exists(FromNarrow(local), ignored))
        return;
    // Every prefix that ends just after a separator, then the whole path; a failure does not stop the walk.
    for (std::size_t i = 0; i < local.size(); ++i) {
        if (IsSeparator(local[i]))
            CreateIfMissing(FromNarrow(std::string_view(local).substr(0, i + 1)));
    }
    CreateIfMissing(FromNarrow(local));
}

bool FileSystem::SameLocation(std::string_view a, std::string_view b) {
    // Spelled out rather than asked of the file system: MinGW cannot tell two files of a drive apart. Mapped
    // paths are absolute, so nothing here depends on the current directory.
    const auto normal = [](std::string_view path) {
        std::string text = Narrow(Native(path).lexically_normal());
        while (text.size() > 1 && IsSeparator(text.back()))
            text.pop_back();
        return text;
    };
    const std::string first = normal(a);
    const std::string second = normal(b);
    return !first.empty() && !second.empty() && FileNamesEqual(first, second);
}

} // namespace qv
