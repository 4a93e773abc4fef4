#pragma once
// Which rows of the site list are selected, with the counts the dialog's texts and rules read, and the rows
// an edit affects.
#include <cstddef>
#include <optional>
#include <vector>

namespace qv {

class SiteRows;

class RowSelection {
public:
    RowSelection() = default;
    // selectedRows in any order; rows outside the list and repeats are ignored.
    RowSelection(const SiteRows& rows, const std::vector<int>& selectedRows);

    bool IsSelected(int row) const;
    bool AnySelected() const { return m_defaultSelected || m_allSitesSelected || m_siteCount > 0; }
    bool DefaultSelected() const { return m_defaultSelected; }
    bool AllSitesSelected() const { return m_allSitesSelected; }
    // Selected rows under "All Web Sites"; selecting "All Web Sites" itself does not count.
    int SelectedSiteCount() const { return m_siteCount; }
    // The row when exactly one row is affected: "Default Settings" alone, or one site row alone.
    std::optional<int> SingleAffectedRow() const;
    // With "All Web Sites": "Default Settings" when selected, then every site row, selected or not. Otherwise
    // every selected row. Both in list order.
    std::vector<int> AffectedRows() const;
    // The rows in list order, as they would be handed back to the list.
    std::vector<int> SelectedRows() const;

private:
    std::vector<bool> m_selected;
    bool m_hasSites = false;
    bool m_defaultSelected = false;
    bool m_allSitesSelected = false;
    int m_siteCount = 0;
    int m_firstSelectedSite = -1;
};

} // namespace qv
