#pragma once
// The account a site's worker runs under, and read/write rights for it through the permission tool.
#include "MetabaseConnection.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct SiteSettings;

std::optional<std::string> FindWorkerAccount(const MetabaseConnection& connection, std::uint32_t siteId);
// Starts the permission tool (installDirectory/setacl) hidden, without waiting; nothing when the tool or the
// directory is missing.
void GrantDirectoryAccess(const std::string& installDirectory, const std::string& directory,
                          const std::optional<std::string>& account);
// Creates the directory with its parents when nothing of that path exists, then grants the record's worker.
void PrepareSiteDirectory(const std::string& installDirectory, const std::string& directory,
                          const SiteSettings& record);

} // namespace qv
