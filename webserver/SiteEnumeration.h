#pragma once
// The web server's sites: the numbered child keys of /LM/W3SVC, in the metabase's order.
#include "MetabaseConnection.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The visitor returns false to end the walk.
void EnumerateSiteIds(const MetabaseConnection& connection,
                      const std::function<bool(std::uint32_t)>& visitor);
// How many keys the walk visits: the first of the two walks that size a site list before it is filled.
std::size_t CountSiteIds(const MetabaseConnection& connection);
std::uint32_t SiteIdFromKeyName(std::string_view name);
std::optional<std::string> ReadSiteDescription(const MetabaseConnection& connection, std::uint32_t siteId);
std::optional<std::string> ReadSiteRoot(const MetabaseConnection& connection, std::uint32_t siteId);

} // namespace qv
