#include "platform/FileCopy.h"

#include <system_error>

namespace qv {

CopyResult CopyFileTo(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite) {
    std::error_code error;
    const auto options =
        overwrite ? std::filesystem::copy_options::overwrite_existing : std::filesystem::copy_options::none;
    if (std::filesystem::copy_file(from, to, options, error) && !error)
        return CopyResult::Copied;
    return error == std::errc::file_exists ? CopyResult::TargetExists : CopyResult::Failed;
}

} // namespace qv
