#include "SiteChoice.h"

namespace qv {

std::vector<std::size_t> SiteChoice::SelectedRows(const std::vector<SiteSettings*>& records) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < records.size(); ++row)
        if (records[row] != nullptr && records[row]->EnableDisable != 0)
            rows.push_back(row);
    return rows;
}

void SiteChoice::WriteBack(const std::vector<SiteSettings*>& records,
                           const std::vector<std::size_t>& selectedRows) {
    std::vector<bool> selected(records.size(), false);
    for (std::size_t row : selectedRows)
        if (row < selected.size())
            selected[row] = true;
    for (std::size_t row = 0; row < records.size(); ++row)
        if (records[row] != nullptr)
            records[row]->EnableDisable = selected[row] ? 1 : 0;
}

std::vector<const SiteSettings*> SiteChoice::Chosen(const std::vector<SiteSettings*>& records) {
    std::vector<const SiteSettings*> chosen;
    for (const SiteSettings* record : records)
        if (record != nullptr && record->EnableDisable != 0)
            chosen.push_back(record);
    return chosen;
}

bool SiteChoice::QuestionVisible(std::size_t chosenCount) {
    if (chosenCount == 0)
        m_questionHidden = true;
    return !m_questionHidden;
}

} // namespace qv
