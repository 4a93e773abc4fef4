#pragma once
// Records of a small server for the session tests: the default entry and sites 1, 3 and 4.
#include "settings/SiteSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::test {

struct ManagerRecords {
    SiteSettings defaultRecord;
    std::vector<std::unique_ptr<SiteSettings>> sites;

    ManagerRecords() {
        defaultRecord.Directory = "errors";
        defaultRecord.LogDir = "[PROGFILES]Logs\\[SITE]";
        Add(1, "Default Web Site");
        Add(3, "Shop");
        Add(4, "Intranet");
    }

    SiteSettings& Add(std::uint32_t siteId, const std::string& description) {
        auto site = std::make_unique<SiteSettings>();
        site->siteId = siteId;
        site->description = description;
        site->EnableDisable = 1;
        site->Directory = "errors";
        site->LogDir = "C:\\Logs\\" + std::to_string(siteId);
        sites.push_back(std::move(site));
        return *sites.back();
    }

    std::vector<SiteSettings*> Pointers() const {
        std::vector<SiteSettings*> pointers;
        for (const auto& site : sites)
            pointers.push_back(site.get());
        return pointers;
    }
    SiteSettings& Site(std::size_t index) { return *sites[index]; }
};

} // namespace qv::test
