#include "WizardFlow.h"

#include "platform/Paths.h"

namespace qv {

WizardFlow::Buttons WizardFlow::ButtonsOf(WizardPageId page) {
    Buttons buttons;
    buttons.backEnabled = page == WizardPageId::SiteSelection || page == WizardPageId::DefaultSettings;
    buttons.nextText = page == WizardPageId::Finish ? "&Finish >" : "&Next >";
    // The default settings page's form has no access key on Cancel.
    buttons.cancelText = page == WizardPageId::DefaultSettings ? "Cancel" : "&Cancel";
    return buttons;
}

int WizardFlow::IndexOf(WizardPageId page) {
    return static_cast<int>(page);
}

WizardFlow::Move WizardFlow::Start() {
    if (m_current)
        return {};
    return ShowPage(WizardPageId::Welcome);
}

WizardFlow::Move WizardFlow::Next() {
    if (!m_current)
        return {};
    switch (*m_current) {
    case WizardPageId::Welcome:
        return ShowPage(WizardPageId::SiteSelection);
    case WizardPageId::SiteSelection:
        return ShowPage(WizardPageId::DefaultSettings);
    case WizardPageId::DefaultSettings:
        return ShowPage(WizardPageId::Finish);
    case WizardPageId::Finish:
        break;
    }
    Move move;
    move.kind = Move::Kind::Finish;
    move.from = m_current;
    return move;
}

WizardFlow::Move WizardFlow::Back() {
    if (!m_current)
        return {};
    switch (*m_current) {
    case WizardPageId::SiteSelection:
        return ShowPage(WizardPageId::Welcome);
    case WizardPageId::DefaultSettings:
        return ShowPage(WizardPageId::SiteSelection);
    case WizardPageId::Welcome:
    case WizardPageId::Finish:
        break;
    }
    return {};
}

WizardFlow::Move WizardFlow::ShowPage(WizardPageId page) {
    Move move;
    move.kind = Move::Kind::ShowPage;
    move.from = m_current;
    move.to = page;
    if (page == WizardPageId::Finish && !m_deployed) {
        move.deploy = true;
        m_deployed = true;
    }
    m_current = page;
    return move;
}

std::string WizardFlow::SettingsManagerPath(const std::string& installDirectory) {
    return installDirectory + "Quorvane" + kProgramSuffix;
}

} // namespace qv
