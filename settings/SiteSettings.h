#pragma once
// All settings of the error handler for one web site, or for the default entry (siteId 0). The stored values
// keep the names of their registry values. A new record is entirely zero.
#include "PendingLogEntry.h"
#include "ProductKeys.h"
#include "RedirectRule.h"
#include "ValueList.h"
#include "platform/TimedLock.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct SiteSettings {
    std::uint32_t siteId = 0;
    std::int32_t modified = 0;
    std::string description;
    std::int32_t EnableDisable = 0;
    std::int32_t ServerState = 0;
    std::optional<std::string> workerIdentity;
    std::string siteRoot;
    std::string Directory;
    std::string loadedDirectory;
    ValueList ExtList;
    std::int32_t Dyn404 = 0;
    ValueList DynExtList;
    std::int32_t SendErrorImage = 0;
    ValueList ImgExts;
    ValueList ImgFilters;
    std::vector<RedirectRule> rules;
    std::uint32_t ruleCount = 0;
    std::time_t rulesFileTime = 0;
    std::int32_t Logging = 0;
    std::deque<PendingLogEntry> pendingLog;
    std::int32_t LogThreshold = 0;
    std::string LogDir;
    TimedLock lock; // a copy of a record gets a lock of its own
};

// Registry value names, as the handler reads them.
namespace value {
inline constexpr const char* EnableDisable = "EnableDisable";
inline constexpr const char* ServerState = "ServerState";
inline constexpr const char* Dyn404 = "Dyn404";
inline constexpr const char* SendErrorImage = "SendErrorImage";
inline constexpr const char* Logging = "Logging";
inline constexpr const char* LogThreshold = "LogThreshold";
inline constexpr const char* Directory = "Directory";
inline constexpr const char* LogDir = "LogDir";
inline constexpr const char* ExtList = "ExtList";
inline constexpr const char* DynExtList = "DynExtList";
inline constexpr const char* ImgFilters = "ImgFilters";
inline constexpr const char* ImgExts = "ImgExts";
} // namespace value

// Fills record with the default entry: built-in defaults, replaced by what the Sites key holds.
// installDirectory is FindInstallDirectory's answer.
void LoadDefaultEntry(SiteSettings& record, const std::string& installDirectory);

} // namespace qv
