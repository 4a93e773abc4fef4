#include "SiteEnumeration.h"

#include <cctype>
#include <limits>

namespace qv {

void EnumerateSiteIds(const MetabaseConnection& connection,
                      const std::function<bool(std::uint32_t)>& visitor) {
    // No bound but the metabase's own end: a failed index ends the walk as the end does.
    for (std::uint32_t index = 0;; ++index) {
        const std::optional<std::string> name = EnumSiteKey(connection, index);
        if (!name)
            return;
        const std::uint32_t siteId = SiteIdFromKeyName(*name);
        if (siteId != 0 && !visitor(siteId))
            return;
    }
}

std::size_t CountSiteIds(const MetabaseConnection& connection) {
    std::size_t counted = 0;
    EnumerateSiteIds(connection, [&counted](std::uint32_t) {
        ++counted;
        return true;
    });
    return counted;
}

std::uint32_t SiteIdFromKeyName(std::string_view name) {
    // strtoul's rules: white space, a sign (minus negates modulo 2^32), digits; overflow saturates.
    std::size_t i = 0;
    while (i < name.size() && std::isspace(static_cast<unsigned char>(name[i])))
        ++i;
    bool negative = false;
    if (i < name.size() && (name[i] == '+' || name[i] == '-')) {
        negative = name[i] == '-';
        ++i;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t value = 0;
    bool overflow = false;
    for (; i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])); ++i) {
        value = value * 10 + static_cast<unsigned>(name[i] - '0');
        if (value > kMax) {
            overflow = true;
            value = kMax; // keep consuming digits without growing
        }
    }
    if (overflow)
        return static_cast<std::uint32_t>(kMax);
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

std::optional<std::string> ReadSiteDescription(const MetabaseConnection& connection, std::uint32_t siteId) {
    return ReadSiteValue(connection, siteId, kMdServerComment, kIisMdUtServer, kMetadataInherit);
}

std::optional<std::string> ReadSiteRoot(const MetabaseConnection& connection, std::uint32_t siteId) {
    return ReadSiteRootValue(connection, siteId, kMdVrPath);
}

} // namespace qv
