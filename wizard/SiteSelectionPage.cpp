#include "SiteSelectionPage.h"

#include "SiteListModel.h"
#include "WizardFrame.h"
#include "ui_SiteSelectionPage.h"
#include "wizard/core/SiteChoice.h"

namespace qv {

SiteSelectionPage::SiteSelectionPage(WizardFrame& frame, QWidget* parent)
    : WizardPage(frame, WizardPageId::SiteSelection, parent),
      m_ui(std::make_unique<Ui::SiteSelectionPage>()) {
    m_ui->setupUi(this);
    SetUpPage();
    connect(m_ui->buttonSelectAll, &QPushButton::clicked, m_ui->listSites, &QAbstractItemView::selectAll);
}

SiteSelectionPage::~SiteSelectionPage() = default;

WizardSiteList* SiteSelectionPage::List() const {
    return m_ui->listSites;
}

void SiteSelectionPage::OnPageShown() {
    WizardPage::OnPageShown();
    const std::vector<SiteSettings*>& records = m_frame.Records();
    std::vector<std::string> descriptions;
    descriptions.reserve(records.size());
    for (const SiteSettings* record : records)
        descriptions.push_back(record->description);
    m_ui->listSites->setUpdatesEnabled(false);
    m_ui->listSites->Sites()->Reset(descriptions);
    m_ui->listSites->SelectRows(SiteChoice::SelectedRows(records));
    m_ui->listSites->setUpdatesEnabled(true);
    m_ui->listSites->setFocus();
}

void SiteSelectionPage::OnPageHidden() {
    SiteChoice::WriteBack(m_frame.Records(), m_ui->listSites->SelectedRows());
    WizardPage::OnPageHidden();
}

} // namespace qv
