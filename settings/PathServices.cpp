#include "PathServices.h"

#include "SiteSettings.h"
#include "platform/Paths.h"
#include "platform/RegistryKey.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qv {

namespace {

constexpr const char* kProductName = "Quorvane";
constexpr const char* kInstallValue = "ProgFiles";
constexpr std::size_t kMaxPath = 259;

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == kPathSeparator || path.back() == '/');
}

// text with every token replaced by value, in one pass: what a replacement inserts is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view token, std::string_view value) {
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(token); at != std::string_view::npos; at = text.find(token, from)) {
        result.append(text, from, at - from);
        result += value;
        from = at + token.size();
    }
    result.append(text, from);
    return result;
}

} // namespace

std::string DefaultInstallDirectory() {
    return JoinPathAlways(JoinPathAlways(kProgramsDirectory, "Helmark"), kProductName) + kPathSeparator;
}

std::string FindInstallDirectory() {
    RegistryKey key;
    std::string stored;
    // A text that leaves no room for its terminator does not fit; an empty one names no directory.
    if (key.Open(kProductKey, RegAccess::Read) != kErrorSuccess ||
        key.ReadText(kInstallValue, kMaxPath, stored) != kErrorSuccess || stored.empty())
        return DefaultInstallDirectory();
    // Names are appended to the directory directly ("Logs", "Templates"): it must end in a separator.
    if (!EndsWithSeparator(stored))
        stored += kPathSeparator;
    return stored;
}

void ExpandPathTokens(std::string& path, std::int32_t siteId, const std::string& installDirectory) {
    // "[SITE]" first, so that an installation directory holding "[SITE]" is not replaced again.
    const std::string withSite = ReplaceAll(path, "[SITE]", std::to_string(siteId));
    path = TextCodec::Cut(ReplaceAll(withSite, "[PROGFILES]", installDirectory), kMaxPath);
}

} // namespace qv
