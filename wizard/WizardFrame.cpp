#include "WizardFrame.h"

#include "DefaultSettingsPage.h"
#include "FinishPage.h"
#include "SiteSelectionPage.h"
#include "WelcomePage.h"
#include "WizardImages.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/ShellOpen.h"

namespace qv {

WizardFrame::WizardFrame(WizardSites& sites, bool fromSettings, QWidget* parent)
    : QDialog(parent), m_sites(sites), m_records(sites.RecordPointers()),
      m_units(DialogUnits::ForFont(font())), m_fromSettings(fromSettings) {
    setObjectName(QStringLiteral("WizardFrame"));
    setWindowTitle(QStringLiteral("Quorvane Setup Wizard"));
    setWindowIcon(WizardImages::ProgramIcon());
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(m_units.X(kWidthUnits), m_units.Y(kHeightUnits));
    if (m_sites.Empty())
        return;
    m_pages = {new WelcomePage(*this, this), new SiteSelectionPage(*this, this),
               new DefaultSettingsPage(*this, this), new FinishPage(*this, this)};
    Carry(m_flow.Start());
}

WizardFrame::~WizardFrame() = default;

WizardPage* WizardFrame::Page(WizardPageId id) const {
    return m_pages[static_cast<std::size_t>(WizardFlow::IndexOf(id))];
}

WizardPage* WizardFrame::CurrentPage() const {
    const std::optional<WizardPageId> current = m_flow.Current();
    return current ? Page(*current) : nullptr;
}

SiteSelectionPage* WizardFrame::SiteSelection() const {
    return static_cast<SiteSelectionPage*>(Page(WizardPageId::SiteSelection));
}

DefaultSettingsPage* WizardFrame::DefaultSettings() const {
    return static_cast<DefaultSettingsPage*>(Page(WizardPageId::DefaultSettings));
}

FinishPage* WizardFrame::Finish() const {
    return static_cast<FinishPage*>(Page(WizardPageId::Finish));
}

QString WizardFrame::DirectoryText() const {
    return DefaultSettings() ? DefaultSettings()->DirectoryText() : QString();
}

void WizardFrame::Next() {
    if (!m_sites.Empty() && !Finish()->Deploying())
        Carry(m_flow.Next());
}

void WizardFrame::Back() {
    if (!m_sites.Empty() && !Finish()->Deploying())
        Carry(m_flow.Back());
}

void WizardFrame::reject() {
    if (!m_sites.Empty() && Finish()->Deploying())
        return;
    QDialog::reject();
}

void WizardFrame::Carry(const WizardFlow::Move& move) {
    switch (move.kind) {
    case WizardFlow::Move::Kind::None:
        return;
    case WizardFlow::Move::Kind::ShowPage:
        if (move.from)
            Page(*move.from)->OnPageHidden();
        Page(*move.to)->OnPageShown();
        if (move.deploy)
            Finish()->Deploy();
        return;
    case WizardFlow::Move::Kind::Finish:
        Close();
        return;
    }
}

void WizardFrame::Close() {
    if (WizardFlow::LaunchAtFinish(Finish()->LaunchTicked(), m_fromSettings)) {
        // The shell's "open" where there is one; elsewhere the program is started as it is. Neither is
        // checked: the wizard closes either way.
        const std::string program = WizardFlow::SettingsManagerPath(m_sites.InstallDirectory());
        if (ShellOpen::File(program, static_cast<std::uintptr_t>(effectiveWinId())) ==
            ShellOpenResult::NotHandled) {
            if (const std::optional<std::string> command =
                    Process::QuoteProgram(FileSystem::LocalPath(program)))
                Process::StartShown(*command);
        }
    }
    accept();
}

} // namespace qv
