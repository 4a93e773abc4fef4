#include "platform/FileCopy.h"

#include <windows.h>

namespace qv {

CopyResult CopyFileTo(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite) {
    std::error_code error;
    // CopyFileW copies whatever the source is; only regular files are meant here.
    if (!std::filesystem::is_regular_file(from, error))
        return CopyResult::Failed;
    if (CopyFileW(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE))
        return CopyResult::Copied;
    const DWORD code = GetLastError();
    return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ? CopyResult::TargetExists
                                                                     : CopyResult::Failed;
}

} // namespace qv
