#include "WelcomePage.h"

#include "WizardFrame.h"
#include "ui_WelcomePage.h"

namespace qv {

WelcomePage::WelcomePage(WizardFrame& frame, QWidget* parent)
    : WizardPage(frame, WizardPageId::Welcome, parent), m_ui(std::make_unique<Ui::WelcomePage>()) {
    m_ui->setupUi(this);
    SetUpPage();
    m_ui->labelContinue->setFont(VerdanaFont(frame.Units(), kSubtitleHeight, QFont::Normal));
}

WelcomePage::~WelcomePage() = default;

} // namespace qv
