#pragma once
// Page 2: the sites to enable the handler on. The list starts from the records' choice each time the page
// is shown and writes the selection back into them when it is left.
#include "WizardPage.h"

#include <memory>

namespace Ui {
class SiteSelectionPage;
}

namespace qv {

class WizardSiteList;

class SiteSelectionPage : public WizardPage {
    Q_OBJECT
public:
    SiteSelectionPage(WizardFrame& frame, QWidget* parent);
    ~SiteSelectionPage() override;

    WizardSiteList* List() const;

    void OnPageShown() override;
    void OnPageHidden() override;

private:
    std::unique_ptr<Ui::SiteSelectionPage> m_ui;
};

} // namespace qv
