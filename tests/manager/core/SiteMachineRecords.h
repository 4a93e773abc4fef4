#pragma once
// The default entry and enabled sites 1, 3 and 4 (rows 2, 3 and 4) for the session tests.
#include "settings/SiteSettings.h"

#include <deque>
#include <string>
#include <vector>

namespace qv::test {

struct ManagerRecords {
    SiteSettings defaultRecord;
    std::deque<SiteSettings> sites; // stays where it is as sites are added
    std::vector<SiteSettings*> pointers;

    ManagerRecords() {
        Add(1, "Default Web Site");
        Add(3, "Shop");
        Add(4, "Intranet");
    }
    void Add(std::uint32_t siteId, const std::string& description) {
        SiteSettings& site = sites.emplace_back();
        site.siteId = siteId;
        site.description = description;
        site.EnableDisable = 1;
        site.Directory = "errors";
        site.LogDir = "C:\\Logs\\" + std::to_string(siteId);
        pointers.push_back(&site);
    }
    const std::vector<SiteSettings*>& Pointers() const { return pointers; }
    SiteSettings& Site(std::size_t index) { return sites[index]; }
};

} // namespace qv::test
