#pragma once
// The Setup Wizard's window: a fixed-size modal dialog of 333 by 223 dialog units that holds the four pages,
// each covering it, and moves between them as the page flow answers. Without a site it stays empty: no
// page, no button. The flags the pages set live here until the deployment reads them.
#include "widgets/DialogUnits.h"
#include "wizard/core/WizardFlow.h"
#include "wizard/core/WizardSites.h"

#include <QDialog>

#include <array>
#include <vector>

namespace qv {

class DefaultSettingsPage;
class FinishPage;
class SiteSelectionPage;
class WizardPage;

class WizardFrame : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidthUnits = 333;
    static constexpr int kHeightUnits = 223;

    // sites: loaded; they outlive the frame.
    WizardFrame(WizardSites& sites, bool fromSettings, QWidget* parent = nullptr);
    ~WizardFrame() override;

    const DialogUnits& Units() const { return m_units; }
    WizardSites& Sites() { return m_sites; }
    const std::vector<SiteSettings*>& Records() const { return m_records; }
    // Null without sites.
    WizardPage* Page(WizardPageId id) const;
    WizardPage* CurrentPage() const;
    SiteSelectionPage* SiteSelection() const;
    DefaultSettingsPage* DefaultSettings() const;
    FinishPage* Finish() const;

    bool FromSettings() const { return m_fromSettings; }
    bool CreateRulesFile() const { return m_createRulesFile; }
    bool CreateExampleFiles() const { return m_createExampleFiles; }
    bool LaunchSettingsManager() const { return m_launchSettingsManager; }
    void SetCreateRulesFile(bool on) { m_createRulesFile = on; }
    void SetCreateExampleFiles(bool on) { m_createExampleFiles = on; }
    // The error directory's name as typed on the default settings page.
    QString DirectoryText() const;

    void Next();
    void Back();
    // Cancel, Escape and the close box; ignored while the deployment runs.
    void reject() override;

private:
    void Carry(const WizardFlow::Move& move);
    // Starts the Settings Manager when the launch box says so, then closes.
    void Close();

    WizardSites& m_sites;
    std::vector<SiteSettings*> m_records;
    DialogUnits m_units;
    WizardFlow m_flow;
    std::array<WizardPage*, WizardFlow::kPageCount> m_pages{};
    bool m_fromSettings;
    bool m_createRulesFile = true;
    bool m_createExampleFiles = true;
    bool m_launchSettingsManager = true;
};

} // namespace qv
