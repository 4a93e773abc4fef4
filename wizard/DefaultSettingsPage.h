#pragma once
// Page 3: the error directory's name, whether to create the rules file and the example error files, and
// the chosen sites (a list to look at only). The question and its boxes go away when nothing is chosen.
#include "WizardPage.h"
#include "wizard/core/SiteChoice.h"

#include <QString>

#include <memory>

namespace Ui {
class DefaultSettingsPage;
}

namespace qv {

class WizardSiteList;

class DefaultSettingsPage : public WizardPage {
    Q_OBJECT
public:
    DefaultSettingsPage(WizardFrame& frame, QWidget* parent);
    ~DefaultSettingsPage() override;

    // The directory name as typed.
    QString DirectoryText() const;
    WizardSiteList* List() const;

    void OnPageShown() override;

private:
    std::unique_ptr<Ui::DefaultSettingsPage> m_ui;
    SiteChoice m_choice;
};

} // namespace qv
