#pragma once
// The account a site's worker runs under, and read/write rights for it through the permission tool.
#include "MetabaseConnection.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qv {

// IIS 7 to 10 (a connection on applicationHost.config): the identity of the site's pool, "IIS
// AppPool\<pool>", "NETWORK SERVICE", "LOCAL SERVICE" or the specific user; none for LocalSystem. IIS 6: the
// pool's account as IIS_WPG or its specific user; older servers: the service's WAM user.
std::optional<std::string> FindWorkerAccount(const MetabaseConnection& connection, std::uint32_t siteId);
// Starts the permission tool (installDirectory/setacl) hidden, without waiting; nothing when the tool or the
// directory is missing. Both are stored paths (see FileSystem.h). Without an account the grants go to the
// workers' group: IIS_IUSRS on Windows 6.0 and later, IIS_WPG before.
void GrantDirectoryAccess(const std::string& installDirectory, const std::string& directory,
                          const std::optional<std::string>& account);

// The text IIS 6 grant commands put before the account, "MACHINE\account": the computer's name, taken once.
std::string AccountQualifier();
// Tests: another qualifier; none goes back to the computer's name.
void SetAccountQualifier(std::optional<std::string> qualifier);
// Starts one command line of the permission tool: Process::StartHidden unless tests put another in (an
// empty function puts it back).
using CommandStarter = std::function<bool(const std::string& commandLine)>;
void SetPermissionToolStarter(CommandStarter starter);

} // namespace qv
