#pragma once
// The rows of the site list: "Default Settings" (row 0), "All Web Sites" (row 1) and one row per listed site
// below it (rows 2 and on) in ascending site number. A server without sites has row 0 only.
#include "settings/SiteSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace qv {

class SiteRows {
public:
    static constexpr int kNoRow = -1;
    static constexpr int kDefaultRow = 0;
    static constexpr int kAllSitesRow = 1;
    static constexpr int kFirstSiteRow = 2;

    enum class Kind { Default, AllSites, Site };

    // What the "Status" cell shows; "All Web Sites" has an empty text.
    struct Status {
        std::string text;
        bool grey = false; // drawn in 153,153,153
    };

    SiteRows() = default;
    // sites: every record of the store, in ascending site number. With a caller title only the sites whose
    // description occurs in it (exact, case-sensitive) are listed; an empty description always does.
    SiteRows(SiteSettings* defaultRecord, const std::vector<SiteSettings*>& sites,
             const std::optional<std::string>& callerTitle = std::nullopt);

    int Count() const { return static_cast<int>(m_records.size()); }
    bool Valid(int row) const { return row >= 0 && row < Count(); }
    // The rows below "Default Settings" exist only when the server has a numbered site.
    bool HasSites() const { return m_hasSites; }
    int SiteRowCount() const { return m_hasSites ? Count() - kFirstSiteRow : 0; }
    // The first site row, or kNoRow when none is listed.
    int FirstSiteRow() const { return SiteRowCount() > 0 ? kFirstSiteRow : kNoRow; }
    bool IsSiteRow(int row) const { return m_hasSites && row >= kFirstSiteRow && row < Count(); }

    Kind KindOf(int row) const;
    // "Default Settings", "All Web Sites" or the site's description.
    std::string Text(int row) const;
    // The default record, none for "All Web Sites" and rows out of range, else the site's record.
    SiteSettings* RecordOfRow(int row) const {
        return Valid(row) ? m_records[static_cast<std::size_t>(row)] : nullptr;
    }
    Status StatusOf(int row) const;
    // The row of a site number, kNoRow when it is not listed.
    int RowOfSite(std::uint32_t siteId) const;

private:
    std::vector<SiteSettings*> m_records; // one per row; null for "All Web Sites"
    bool m_hasSites = false;
};

} // namespace qv
