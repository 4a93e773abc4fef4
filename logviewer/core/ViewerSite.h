#pragma once
// What the viewer needs of one web site: its number, its description and its log directory (a local path).
#include <cstdint>
#include <string>

namespace qv {

struct ViewerSite {
    std::uint32_t siteId = 0;
    std::string description;
    std::string logDirectory;
};

} // namespace qv
