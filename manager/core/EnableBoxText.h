#pragma once
// The text of the enable box for a selection.
#include <string>
#include <string_view>

namespace qv {

class EnableBoxText {
public:
    // baseDescription: the base record's description, named when one site row alone is selected.
    static std::string For(bool defaultSelected, bool allSitesSelected, int selectedSiteCount,
                           std::string_view baseDescription);
};

} // namespace qv
