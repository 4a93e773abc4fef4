#include "SiteRows.h"

namespace qv {

SiteRows::SiteRows(SiteSettings* defaultRecord, const std::vector<SiteSettings*>& sites,
                   const std::optional<std::string>& callerTitle) {
    m_records.push_back(defaultRecord);
    if (sites.empty() || sites.front() == nullptr)
        return;
    m_hasSites = true;
    m_records.push_back(nullptr);
    for (SiteSettings* site : sites) {
        if (site == nullptr)
            continue;
        if (callerTitle && callerTitle->find(site->description) == std::string::npos)
            continue;
        m_records.push_back(site);
    }
}

SiteRows::Kind SiteRows::KindOf(int row) const {
    if (row == kDefaultRow)
        return Kind::Default;
    return row == kAllSitesRow ? Kind::AllSites : Kind::Site;
}

std::string SiteRows::Text(int row) const {
    if (!Valid(row))
        return {};
    switch (KindOf(row)) {
    case Kind::Default:
        return "Default Settings";
    case Kind::AllSites:
        return "All Web Sites";
    case Kind::Site:
        break;
    }
    return m_records[static_cast<std::size_t>(row)]->description;
}

SiteRows::Status SiteRows::StatusOf(int row) const {
    const SiteSettings* record = RecordOfRow(row);
    if (record == nullptr)
        return {};
    if (record->EnableDisable != 0)
        return {"Enabled", false};
    return {"Disabled", true};
}

int SiteRows::RowOfSite(std::uint32_t siteId) const {
    for (int row = kFirstSiteRow; row < Count(); ++row) {
        if (m_records[static_cast<std::size_t>(row)]->siteId == siteId)
            return row;
    }
    return kNoRow;
}

} // namespace qv
