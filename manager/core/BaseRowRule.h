#pragma once
// The choice of the base row at a selection step: the row whose record supplies the shown values and carries
// the arrow. The row that received the click or the keyboard focus is the input.
#include "RowSelection.h"
#include "SiteRows.h"

namespace qv {

class BaseRowRule {
public:
    struct Choice {
        int base = SiteRows::kNoRow; // kNoRow: no base (nothing selected, or no site row to fall back on)
        int lastSiteRow = SiteRows::kNoRow;
    };

    // focusRow: the row clicked or given the focus; shownRow and lastSiteRow: the dialog's rows before the
    // step; selection: read after the list updated it.
    static Choice Choose(const SiteRows& rows, const RowSelection& selection, int focusRow, int shownRow,
                         int lastSiteRow);
};

} // namespace qv
