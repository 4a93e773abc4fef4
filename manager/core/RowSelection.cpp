#include "RowSelection.h"

#include "SiteRows.h"

namespace qv {

RowSelection::RowSelection(const SiteRows& rows, const std::vector<int>& selectedRows)
    : m_selected(static_cast<std::size_t>(rows.Count()), false), m_hasSites(rows.HasSites()) {
    for (int row : selectedRows) {
        if (rows.Valid(row))
            m_selected[static_cast<std::size_t>(row)] = true;
    }
    m_defaultSelected = IsSelected(SiteRows::kDefaultRow);
    m_allSitesSelected = m_hasSites && IsSelected(SiteRows::kAllSitesRow);
    if (!m_hasSites)
        return;
    for (int row = SiteRows::kFirstSiteRow; row < rows.Count(); ++row) {
        if (!m_selected[static_cast<std::size_t>(row)])
            continue;
        if (m_siteCount++ == 0)
            m_firstSelectedSite = row;
    }
}

bool RowSelection::IsSelected(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < m_selected.size() &&
           m_selected[static_cast<std::size_t>(row)];
}

std::optional<int> RowSelection::SingleAffectedRow() const {
    if (m_allSitesSelected)
        return std::nullopt;
    if (m_defaultSelected && m_siteCount == 0)
        return SiteRows::kDefaultRow;
    if (!m_defaultSelected && m_siteCount == 1)
        return m_firstSelectedSite;
    return std::nullopt;
}

std::vector<int> RowSelection::AffectedRows() const {
    if (!m_allSitesSelected)
        return SelectedRows();
    std::vector<int> rows;
    rows.reserve(m_selected.size());
    if (m_defaultSelected)
        rows.push_back(SiteRows::kDefaultRow);
    for (int row = SiteRows::kFirstSiteRow; static_cast<std::size_t>(row) < m_selected.size(); ++row)
        rows.push_back(row);
    return rows;
}

std::vector<int> RowSelection::SelectedRows() const {
    std::vector<int> rows;
    for (std::size_t row = 0; row < m_selected.size(); ++row) {
        if (m_selected[row])
            rows.push_back(static_cast<int>(row));
    }
    return rows;
}

} // namespace qv
