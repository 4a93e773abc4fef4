#pragma once
// Page 1: the welcome.
#include "WizardPage.h"

#include <memory>

namespace Ui {
class WelcomePage;
}

namespace qv {

class WelcomePage : public WizardPage {
    Q_OBJECT
public:
    WelcomePage(WizardFrame& frame, QWidget* parent);
    ~WelcomePage() override;

private:
    std::unique_ptr<Ui::WelcomePage> m_ui;
};

} // namespace qv
