#include "BaseRowRule.h"

namespace qv {

namespace {

// The base when the default record is not preferred; it becomes the last site row too.
int SiteBase(const SiteRows& rows, int focusRow, int shownRow) {
    switch (rows.KindOf(focusRow)) {
    case SiteRows::Kind::Site:
        return focusRow;
    case SiteRows::Kind::AllSites:
        return rows.IsSiteRow(shownRow) ? shownRow : rows.FirstSiteRow();
    case SiteRows::Kind::Default:
        break;
    }
    return rows.FirstSiteRow();
}

} // namespace

BaseRowRule::Choice BaseRowRule::Choose(const SiteRows& rows, const RowSelection& selection, int focusRow,
                                        int shownRow, int lastSiteRow) {
    Choice choice{SiteRows::kNoRow, lastSiteRow};
    if (!selection.AnySelected() || !rows.Valid(focusRow))
        return choice;

    const bool focusOnTop = focusRow == SiteRows::kDefaultRow || focusRow == SiteRows::kAllSitesRow;
    bool preferDefault = (focusOnTop && shownRow == SiteRows::kDefaultRow) || selection.DefaultSelected();
    if (rows.IsSiteRow(focusRow) && selection.IsSelected(focusRow))
        preferDefault = false;

    if (!preferDefault) {
        choice.base = SiteBase(rows, focusRow, shownRow);
        choice.lastSiteRow = choice.base;
    } else if (shownRow == SiteRows::kDefaultRow && selection.IsSelected(focusRow)) {
        choice.base = SiteRows::kDefaultRow;
    } else if (selection.SelectedSiteCount() == 0) {
        choice.base = SiteRows::kDefaultRow;
    } else if (rows.IsSiteRow(lastSiteRow)) {
        choice.base = lastSiteRow;
    } else {
        choice.base = SiteBase(rows, focusRow, shownRow);
        choice.lastSiteRow = choice.base;
    }

    // A Ctrl+click that cleared a row can leave the rules above on a row that is no longer selected.
    if (const auto single = selection.SingleAffectedRow()) {
        choice.base = *single;
        // The last site row follows, so that a later step never falls back on the cleared row.
        if (rows.IsSiteRow(*single))
            choice.lastSiteRow = *single;
    }
    return choice;
}

} // namespace qv
