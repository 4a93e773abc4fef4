#include "DefaultSettingsPage.h"

#include "SiteListModel.h"
#include "WizardFrame.h"
#include "ui_DefaultSettingsPage.h"
#include "wizard/core/DeploymentPlan.h"

namespace qv {

DefaultSettingsPage::DefaultSettingsPage(WizardFrame& frame, QWidget* parent)
    : WizardPage(frame, WizardPageId::DefaultSettings, parent),
      m_ui(std::make_unique<Ui::DefaultSettingsPage>()) {
    m_ui->setupUi(this);
    SetUpPage();
    m_ui->editDirectory->setMaxLength(static_cast<int>(DeploymentPlan::kMaxDirectory));
    m_ui->editDirectory->setText(QString::fromLocal8Bit(frame.Sites().DefaultRecord().Directory));
    m_ui->checkRulesFile->setChecked(frame.CreateRulesFile());
    m_ui->checkExampleFiles->setChecked(frame.CreateExampleFiles());
    connect(m_ui->checkRulesFile, &QCheckBox::clicked, &frame, &WizardFrame::SetCreateRulesFile);
    connect(m_ui->checkExampleFiles, &QCheckBox::clicked, &frame, &WizardFrame::SetCreateExampleFiles);
}

DefaultSettingsPage::~DefaultSettingsPage() = default;

QString DefaultSettingsPage::DirectoryText() const {
    return m_ui->editDirectory->text();
}

WizardSiteList* DefaultSettingsPage::List() const {
    return m_ui->listSites;
}

void DefaultSettingsPage::OnPageShown() {
    WizardPage::OnPageShown();
    const std::vector<const SiteSettings*> chosen = SiteChoice::Chosen(m_frame.Records());
    std::vector<std::string> descriptions;
    descriptions.reserve(chosen.size());
    for (const SiteSettings* record : chosen)
        descriptions.push_back(record->description);
    m_ui->listSites->Sites()->Reset(descriptions);
    if (!m_choice.QuestionVisible(chosen.size())) {
        for (QWidget* control :
             {static_cast<QWidget*>(m_ui->labelQuestion), static_cast<QWidget*>(m_ui->checkRulesFile),
              static_cast<QWidget*>(m_ui->checkExampleFiles)})
            control->hide();
    }
    m_ui->editDirectory->setFocus();
}

} // namespace qv
