#pragma once
// The state of one Settings Manager dialog, without its widgets: the rows, the selection with its base row,
// the combined values, the list change flags, the updating flag and whether Apply is enabled. The dialog owns
// one session, hands it every selection step and every edit, and shows what it answers:
//
//   selection step:  SelectionChanged(focus row, selected rows); then, inside an UpdatingScope, fill the
//                    controls from Combined(), set the enable box to EnableText() and apply
//                    UpdateControlStates(); put the arrow on ShownRow() (none when !HasBase()).
//   edit:            the page stores the new value into Combined().Values(), then calls ValueEdited(); the
//                    enable box and its context-menu twin call ToggleEnable(). Both answer the rows written,
//                    whose status cells the dialog redraws from Rows().StatusOf().
//   OK, Apply, Exit: ApplySettings(applyOnly, save), then close when the outcome says so.
#include "CombinedSettings.h"
#include "ControlStates.h"
#include "ListChangeFlags.h"
#include "RowSelection.h"
#include "SettingsApplier.h"
#include "SiteRows.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class SettingsStore;

class SettingsSession {
public:
    struct ApplyOutcome {
        SettingsApplier::Result result;
        bool closeDialog = false;
    };

    // sites: every record of the store in ascending site number (the unlisted ones are saved too when
    // modified, which nothing here does). The first listed site starts selected and shown.
    SettingsSession(SiteSettings& defaultRecord, std::vector<SiteSettings*> sites,
                    std::string installDirectory,
                    const std::optional<std::string>& callerTitle = std::nullopt);
    // Over a loaded store; the store must outlive the session.
    explicit SettingsSession(SettingsStore& store,
                             const std::optional<std::string>& callerTitle = std::nullopt);

    SettingsSession(const SettingsSession&) = delete;
    SettingsSession& operator=(const SettingsSession&) = delete;

    const SiteRows& Rows() const { return m_rows; }
    const std::string& InstallDirectory() const { return m_installDirectory; }
    const RowSelection& Selection() const { return m_selection; }
    // The base row, which carries the arrow; kNoRow when there is no base.
    int ShownRow() const { return HasBase() ? m_shownRow : SiteRows::kNoRow; }
    int LastSiteRow() const { return m_lastSiteRow; }
    std::vector<int> AffectedRows() const { return m_selection.AffectedRows(); }

    // One selection step, for every click with either mouse button and for every keyboard change of the
    // selection: focusRow is the row clicked or given the focus, selectedRows the list's selection after it.
    // Chooses the base, copies its record, marks the values that differ across the affected records and
    // clears the changed flag and the list change flags.
    void SelectionChanged(int focusRow, const std::vector<int>& selectedRows);

    bool HasBase() const { return m_combined.HasBase(); }
    CombinedSettings& Combined() { return m_combined; }
    const CombinedSettings& Combined() const { return m_combined; }
    ListChangeFlags& Lists() { return m_lists; }
    const ListChangeFlags& Lists() const { return m_lists; }

    // The enable box: 0 unchecked (also without a base), 1 checked, 2 indeterminate. The context menu's
    // "Enabled" is checked when it is not 0.
    std::int32_t EnableBoxState() const { return HasBase() ? m_combined.Values().EnableDisable : 0; }
    std::string EnableText() const;
    ControlStates UpdateControlStates() const;

    // Set while the dialog fills its controls from Combined(): edits are stored but neither marked nor
    // written.
    bool Updating() const { return m_updating; }
    void SetUpdating(bool updating) { m_updating = updating; }

    // After a control stored its new value: unless updating, marks the change and writes it. The rows
    // written.
    std::vector<int> ValueEdited();
    // The enable box clicked: checks an unchecked box, unchecks a checked or indeterminate one.
    std::vector<int> ToggleEnable();
    // Writes the combined values into every affected record (see CombinedSettings::WriteInto) and enables
    // Apply. Nothing without sites. The rows written.
    std::vector<int> WriteCombined();

    bool ApplyEnabled() const { return m_applyEnabled; }
    // Records that ApplySettings would save now.
    std::size_t PendingSaves() const;
    // Saves every modified record with save. Apply stays enabled while a save failed; the dialog then names
    // the failed sites and stays open (also on OK); otherwise OK and Exit close it.
    ApplyOutcome ApplySettings(bool applyOnly, const SettingsApplier::SaveRecord& save);

private:
    void ShowCombined();

    SiteSettings& m_defaultRecord;
    std::vector<SiteSettings*> m_sites;
    std::string m_installDirectory;
    SiteRows m_rows;
    RowSelection m_selection;
    CombinedSettings m_combined;
    ListChangeFlags m_lists;
    int m_shownRow = SiteRows::kNoRow;
    int m_lastSiteRow = SiteRows::kNoRow;
    bool m_updating = false;
    bool m_applyEnabled = false;
};

} // namespace qv
