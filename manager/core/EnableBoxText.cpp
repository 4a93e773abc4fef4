#include "EnableBoxText.h"

namespace qv {

std::string EnableBoxText::For(bool defaultSelected, bool allSitesSelected, int selectedSiteCount,
                               std::string_view baseDescription) {
    const std::string prefix = "Enable Quorvane";
    if (allSitesSelected)
        return prefix + (defaultSelected ? " for All Sites and Default Settings" : " for All Sites");
    if (defaultSelected)
        return prefix + (selectedSiteCount == 0 ? " for Default Settings"
                                                : " for Selected Sites and Default Settings");
    if (selectedSiteCount == 0)
        return prefix;
    if (selectedSiteCount == 1)
        return prefix + " for " + std::string(baseDescription);
    return prefix + " for Selected Sites";
}

} // namespace qv
