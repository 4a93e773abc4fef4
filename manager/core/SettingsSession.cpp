#include "SettingsSession.h"

#include "BaseRowRule.h"
#include "EnableBoxText.h"
#include "settings/SettingsStore.h"

#include <utility>

namespace qv {

namespace {

std::vector<SiteSettings*> RecordsOf(SettingsStore& store) {
    std::vector<SiteSettings*> sites;
    sites.reserve(store.Sites().size());
    for (const auto& site : store.Sites())
        sites.push_back(site.get());
    return sites;
}

} // namespace

SettingsSession::SettingsSession(SiteSettings& defaultRecord, std::vector<SiteSettings*> sites,
                                 std::string installDirectory, const std::optional<std::string>& callerTitle)
    : m_defaultRecord(defaultRecord), m_sites(std::move(sites)),
      m_installDirectory(std::move(installDirectory)), m_rows(&m_defaultRecord, m_sites, callerTitle),
      m_selection(m_rows, {}) {
    const int first = m_rows.FirstSiteRow();
    if (first == SiteRows::kNoRow)
        return;
    m_selection = RowSelection(m_rows, {first});
    m_shownRow = first;
    m_lastSiteRow = first;
    m_combined.TakeBase(*m_rows.RecordOfRow(first));
}

SettingsSession::SettingsSession(SettingsStore& store, const std::optional<std::string>& callerTitle)
    : SettingsSession(store.DefaultRecord(), RecordsOf(store), store.InstallDirectory(), callerTitle) {}

void SettingsSession::SelectionChanged(int focusRow, const std::vector<int>& selectedRows) {
    m_selection = RowSelection(m_rows, selectedRows);
    // A list edited for the previous selection must not reach the records of this one.
    m_lists.ClearAll();
    const BaseRowRule::Choice choice =
        BaseRowRule::Choose(m_rows, m_selection, focusRow, m_shownRow, m_lastSiteRow);
    m_lastSiteRow = choice.lastSiteRow;
    const SiteSettings* base = m_rows.RecordOfRow(choice.base);
    if (base == nullptr) {
        m_combined.ClearBase();
        return;
    }
    m_combined.TakeBase(*base);
    m_shownRow = choice.base;
    ShowCombined();
}

void SettingsSession::ShowCombined() {
    if (m_selection.SingleAffectedRow())
        return;
    for (int row : m_selection.AffectedRows()) {
        const SiteSettings* record = m_rows.RecordOfRow(row);
        if (record == nullptr)
            break;
        m_combined.Combine(*record);
    }
}

std::string SettingsSession::EnableText() const {
    return EnableBoxText::For(m_selection.DefaultSelected(), m_selection.AllSitesSelected(),
                              m_selection.SelectedSiteCount(), m_combined.Values().description);
}

ControlStates SettingsSession::UpdateControlStates() const {
    const SiteSettings& values = m_combined.Values();
    ControlStates::Inputs inputs;
    inputs.hasBase = HasBase();
    inputs.baseSiteId = values.siteId;
    inputs.enableDisable = values.EnableDisable;
    inputs.logging = values.Logging;
    inputs.dyn404 = values.Dyn404;
    inputs.sendErrorImage = values.SendErrorImage;
    inputs.selectedSiteCount = m_selection.SelectedSiteCount();
    return ControlStates::For(inputs);
}

std::vector<int> SettingsSession::ValueEdited() {
    if (m_updating)
        return {};
    m_combined.MarkChanged();
    return WriteCombined();
}

std::vector<int> SettingsSession::ToggleEnable() {
    SiteSettings& values = m_combined.Values();
    values.EnableDisable = EnableBoxState() == 0 ? 1 : 0;
    return ValueEdited();
}

std::vector<int> SettingsSession::WriteCombined() {
    std::vector<int> written;
    if (!m_rows.HasSites())
        return written;
    if (HasBase() && m_combined.Changed())
        m_applyEnabled = true;
    for (int row : m_selection.AffectedRows()) {
        SiteSettings* record = m_rows.RecordOfRow(row);
        if (record == nullptr)
            continue;
        m_combined.WriteInto(*record, m_lists, m_installDirectory);
        written.push_back(row);
    }
    return written;
}

std::size_t SettingsSession::PendingSaves() const {
    return SettingsApplier::CountModified(m_defaultRecord, m_sites);
}

SettingsSession::ApplyOutcome SettingsSession::ApplySettings(bool applyOnly,
                                                             const SettingsApplier::SaveRecord& save) {
    ApplyOutcome outcome;
    outcome.result = SettingsApplier::Apply(m_defaultRecord, m_sites, save);
    // What could not be saved is still modified: Apply stays available to try again.
    m_applyEnabled = outcome.result.Failed();
    outcome.closeDialog = !applyOnly && !outcome.result.Failed();
    return outcome;
}

} // namespace qv
