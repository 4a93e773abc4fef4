#include "RulesFileStatus.h"

#include "platform/FileSystem.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace qv {

RulesFileStatus RulesFileStatus::Read(const std::string& path) {
    RulesFileStatus status;
    std::error_code error;
    const std::filesystem::path file = FileSystem::Native(path);
    const std::filesystem::file_time_type written = std::filesystem::last_write_time(file, error);
    if (file.empty() || error)
        return status;
    status.exists = true;
    status.modified = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    // A scratch record of this root alone: no rules yet, no logging, so the reader counts and reports
    // nothing.
    SiteSettings scratch;
    scratch.siteRoot = FileSystem::Narrow(file.parent_path());
    const std::string name = FileSystem::Narrow(file.filename());
    status.count = LoadRules(&scratch, name.c_str());
    return status;
}

std::string RulesFileStatus::TimeText(std::time_t time) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // std::localtime shares one buffer per process; the names are fixed, not the locale's.
    static std::mutex mutex;
    std::tm local{};
    {
        const std::lock_guard lock(mutex);
        const std::tm* shared = std::localtime(&time);
        if (!shared)
            return {};
        local = *shared;
    }
    char text[64] = {};
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d\n", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  local.tm_year + 1900);
    return text;
}

std::string RulesFileStatus::CountText() const {
    return exists ? std::to_string(count) : kMissingText;
}

std::string RulesFileStatus::ModifiedText() const {
    return exists ? TimeText(modified) : kNotApplicable;
}

} // namespace qv
