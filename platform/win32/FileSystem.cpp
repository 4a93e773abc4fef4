#include "platform/FileSystem.h"

#include "platform/TextCodec.h"

#include <cctype>
#include <windows.h>

namespace qv {

namespace fs = std::filesystem;

std::string FileSystem::LocalPath(std::string_view stored) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    // "C:\dir" and "\\server\share\dir" are whole paths. "C:dir", "\dir" and "dir" are taken from a current
    // directory, which no operation of the suite may depend on: they name nothing.
    const bool drive = stored.size() >= 3 && std::isalpha(static_cast<unsigned char>(stored[0])) &&
                       stored[1] == ':' && separator(stored[2]);
    const bool unc =
        stored.size() >= 3 && separator(stored[0]) && separator(stored[1]) && !separator(stored[2]);
    return drive || unc ? std::string(stored) : std::string();
}

fs::path FileSystem::FromNarrow(std::string_view local) {
    // The standard library would read narrow text in its own code page, which mangles non-ASCII names.
    const std::u16string wide = TextCodec::ToUtf16(local);
    return fs::path(std::wstring(wide.begin(), wide.end()));
}

std::string FileSystem::Narrow(const fs::path& path) {
    const std::wstring& wide = path.native();
    return TextCodec::FromUtf16(std::u16string(wide.begin(), wide.end()));
}

CopyResult FileSystem::CopyOne(const fs::path& from, const fs::path& to, bool overwrite) {
    std::error_code error;
    // CopyFileW copies whatever the source is; only regular files are meant here.
    if (!fs::is_regular_file(from, error))
        return CopyResult::Failed;
    if (CopyFileW(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE))
        return CopyResult::Copied;
    const DWORD code = GetLastError();
    return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ? CopyResult::TargetExists
                                                                     : CopyResult::Failed;
}

} // namespace qv
