#include "platform/FileSystem.h"

#include "platform/MachineDirectory.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

namespace qv {

namespace fs = std::filesystem;

namespace {

bool IsWindowsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The segments of a Windows path below its root, with "." dropped and ".." taken back, never above the root:
// Windows itself stops there, and a stored path must not reach out of the machine directory.
std::vector<std::string_view> Segments(std::string_view rest) {
    std::vector<std::string_view> segments;
    std::size_t from = 0;
    while (from <= rest.size()) {
        std::size_t end = from;
        while (end < rest.size() && !IsWindowsSeparator(rest[end]))
            ++end;
        const std::string_view segment = rest.substr(from, end - from);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        from = end + 1;
    }
    return segments;
}

std::string Joined(std::string base, std::string_view rest) {
    for (std::string_view segment : Segments(rest)) {
        base += '/';
        base += segment;
    }
    if (!rest.empty() && IsWindowsSeparator(rest.back()) && base.back() != '/')
        base += '/';
    return base;
}

} // namespace

std::string FileSystem::LocalPath(std::string_view stored) {
    // "E:\dir\x" or "E:/dir/x" -> <machine>/drive_e/dir/x. "E:" alone or "E:dir" is relative to a current
    // directory of the drive on Windows: it names nothing here.
    if (stored.size() >= 3 && std::isalpha(static_cast<unsigned char>(stored[0])) && stored[1] == ':' &&
        IsWindowsSeparator(stored[2])) {
        std::string drive = MachineDirectory::Path() + "/drive_";
        drive += static_cast<char>(std::tolower(static_cast<unsigned char>(stored[0])));
        return Joined(std::move(drive), stored.substr(2));
    }
    // "\\server\share\dir" -> <machine>/unc/server/share/dir; a server and a share are both needed.
    if (stored.size() >= 2 && stored[0] == '\\' && stored[1] == '\\') {
        const std::size_t server = stored.find_first_not_of("\\/", 2);
        const std::size_t serverEnd = stored.find_first_of("\\/", server);
        const std::size_t share = stored.find_first_not_of("\\/", serverEnd);
        if (server == std::string_view::npos || share == std::string_view::npos)
            return std::string();
        const std::size_t shareEnd = std::min(stored.find_first_of("\\/", share), stored.size());
        const std::string_view serverName = stored.substr(server, serverEnd - server);
        const std::string_view shareName = stored.substr(share, shareEnd - share);
        if (serverName == "." || serverName == ".." || serverName == "?" || shareName == "." ||
            shareName == "..")
            return std::string();
        std::string root = MachineDirectory::Path() + "/unc/";
        root.append(serverName).append("/").append(shareName);
        return Joined(std::move(root), stored.substr(shareEnd));
    }
    if (!stored.empty() && stored.front() == '/')
        return std::string(stored);
    return std::string();
}

fs::path FileSystem::FromNarrow(std::string_view local) {
    return fs::path(std::string(local));
}

std::string FileSystem::Narrow(const fs::path& path) {
    return path.native();
}

CopyResult FileSystem::CopyOne(const fs::path& from, const fs::path& to, bool overwrite) {
    std::error_code error;
    const auto options = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    if (fs::copy_file(from, to, options, error) && !error)
        return CopyResult::Copied;
    return error == std::errc::file_exists ? CopyResult::TargetExists : CopyResult::Failed;
}

} // namespace qv
