#pragma once
// The installation directory and the path tokens "[SITE]" and "[PROGFILES]".
#include <cstdint>
#include <string>

namespace qv {

// The default installation directory, with its final separator.
std::string DefaultInstallDirectory();
// "ProgFiles" of SOFTWARE\Helmark\Quorvane, or the default. Never fails.
std::string FindInstallDirectory();
// Replaces every "[SITE]" by siteId, then every "[PROGFILES]" by installDirectory; cuts to 259 characters.
void ExpandPathTokens(std::string& path, std::int32_t siteId, const std::string& installDirectory);

} // namespace qv
