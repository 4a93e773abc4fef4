#pragma once
// Which sites are chosen: a record's EnableDisable (1 chosen, 0 not). The site selection page starts from the
// records, writes its rows back into them when it is left, and the default settings page lists the chosen.
#include "settings/SiteSettings.h"

#include <cstddef>
#include <vector>

namespace qv {

class SiteChoice {
public:
    // Rows to select when the site selection page is shown: those whose record's EnableDisable is not 0.
    static std::vector<std::size_t> SelectedRows(const std::vector<SiteSettings*>& records);
    // Leaving the site selection page: every record at a selected row gets 1, every other 0. Rows out of
    // range are ignored; null records are skipped.
    static void WriteBack(const std::vector<SiteSettings*>& records,
                          const std::vector<std::size_t>& selectedRows);
    // The chosen records in array order (the default settings page's list).
    static std::vector<const SiteSettings*> Chosen(const std::vector<SiteSettings*>& records);

    // The question and its two check boxes on the default settings page: hidden when nothing is chosen, and
    // once hidden they stay hidden for the rest of the run (their states still apply). Call on every showing.
    bool QuestionVisible(std::size_t chosenCount);

private:
    bool m_questionHidden = false;
};

} // namespace qv
