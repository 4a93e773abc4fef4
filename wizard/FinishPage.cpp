#include "FinishPage.h"

#include "DeploymentTask.h"
#include "WizardControlId.h"
#include "WizardFrame.h"
#include "ui_FinishPage.h"
#include "widgets/MessageBox.h"
#include "wizard/core/DeploymentPlan.h"

#include <algorithm>
#include <climits>

namespace qv {

namespace {

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

} // namespace

FinishPage::FinishPage(WizardFrame& frame, QWidget* parent)
    : WizardPage(frame, WizardPageId::Finish, parent), m_ui(std::make_unique<Ui::FinishPage>()),
      m_task(new DeploymentTask(this)) {
    m_ui->setupUi(this);
    SetUpPage();
    m_ui->checkLaunch->setChecked(frame.LaunchSettingsManager());
    m_ui->labelProgress->hide();
    m_ui->progressDeploy->hide();
    m_ui->textReport->hide();
    // The report reads as part of the page, not as a box of its own.
    m_ui->textReport->viewport()->setAutoFillBackground(false);
    m_ui->textReport->document()->setDocumentMargin(0);
    m_ui->textReport->setStyleSheet(QStringLiteral("QTextBrowser { background: transparent; }"));
    connect(m_task, &DeploymentTask::backedUp, this, &FinishPage::OnBackedUp);
    connect(m_task, &DeploymentTask::progressed, this, &FinishPage::OnProgress);
    connect(m_task, &DeploymentTask::deployed, this, &FinishPage::OnDeployed);
}

FinishPage::~FinishPage() = default;

void FinishPage::OnPageShown() {
    WizardPage::OnPageShown();
    if (m_frame.FromSettings()) {
        m_ui->checkLaunch->setChecked(false);
        m_ui->checkLaunch->hide();
    }
}

bool FinishPage::LaunchTicked() const {
    return m_ui->checkLaunch->isChecked();
}

QString FinishPage::ReportText() const {
    return m_ui->textReport->toPlainText();
}

void FinishPage::Deploy() {
    Hold(true);
    m_ui->labelProgress->setText(QStringLiteral("Backing up the current settings..."));
    m_ui->labelProgress->show();
    m_ui->progressDeploy->setRange(0, 0);
    m_ui->progressDeploy->show();
    m_task->StartBackup(m_frame.Sites().InstallDirectory());
}

void FinishPage::OnBackedUp(const SettingsBackup::Result& result) {
    m_backup = result;
    if (!result.Usable()) {
        const QString question =
            QStringLiteral("The current settings could not be backed up:\n%1\n\nDeploy anyway? The stored "
                           "settings of every site will be replaced and cannot be restored.")
                .arg(Local(result.error));
        if (MessageBox::Show(this, QMessageBox::Warning, question, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes) {
            Abandon(result.error);
            return;
        }
    }
    DeploymentPlan::Inputs inputs;
    inputs.directory = m_frame.DirectoryText().toLocal8Bit().toStdString();
    inputs.createExampleFiles = m_frame.CreateExampleFiles();
    inputs.createRulesFile = m_frame.CreateRulesFile();
    auto plan =
        std::make_shared<const DeploymentPlan>(m_frame.Sites().DefaultRecord(), m_frame.Records(), inputs);
    const auto sites = static_cast<int>(std::min<std::size_t>(plan->SiteCount(), INT_MAX));
    m_ui->progressDeploy->setRange(0, std::max(sites, 1));
    m_ui->progressDeploy->setValue(0);
    m_ui->labelProgress->setText(QStringLiteral("Deploying the default settings..."));
    m_task->StartDeployment(m_frame.Sites().Store(), std::move(plan));
}

void FinishPage::OnProgress(int site, int siteCount) {
    // Before the first site the default settings are being written; the label says so already.
    if (site < 1)
        return;
    m_ui->progressDeploy->setValue(site);
    m_ui->labelProgress->setText(QStringLiteral("Deploying site %1 of %2").arg(site).arg(siteCount));
}

void FinishPage::OnDeployed(const DeploymentReport& report) {
    QString text = Local(report.Summary()) + BackupText();
    if (!report.Complete()) {
        text += QStringLiteral("\n\nNot done:");
        for (const DeploymentReport::Entry& entry : report.Entries()) {
            if (!entry.Failed())
                continue;
            const QString who =
                entry.siteId == 0
                    ? QStringLiteral("Default settings")
                    : QStringLiteral("Site %1 (%2)").arg(entry.siteId).arg(Local(entry.description));
            QStringList failures;
            for (const std::string& failure : entry.failed)
                failures << Local(failure);
            text += QStringLiteral("\n%1: %2").arg(who, failures.join(QStringLiteral("; ")));
        }
        for (const std::string& failure : report.GeneralFailures())
            text += QLatin1Char('\n') + Local(failure);
    }
    ShowReport(text);
}

void FinishPage::Abandon(const std::string& error) {
    ShowReport(QStringLiteral("Nothing was written: the current settings could not be backed up (%1).")
                   .arg(Local(error)));
}

QString FinishPage::BackupText() const {
    if (!m_backup)
        return {};
    switch (m_backup->status) {
    case SettingsBackup::Status::Written:
        return QStringLiteral("\nThe previous settings were saved to %1; qv_reg import restores them.")
            .arg(Local(m_backup->path));
    case SettingsBackup::Status::NothingToSave:
        return QStringLiteral("\nThere were no stored settings to back up.");
    case SettingsBackup::Status::Failed:
        return QStringLiteral("\nThe previous settings were not backed up (%1).").arg(Local(m_backup->error));
    }
    return {};
}

void FinishPage::ShowReport(const QString& text) {
    m_ui->labelProgress->hide();
    m_ui->progressDeploy->hide();
    m_ui->textReport->setPlainText(text);
    m_ui->textReport->show();
    Hold(false);
    Q_EMIT deployed();
}

void FinishPage::Hold(bool held) {
    m_deploying = held;
    for (QWidget* control : {Control(kControlNext), Control(kControlCancel), Control(kControlLaunch)})
        control->setEnabled(!held);
    if (held)
        m_frame.setCursor(Qt::BusyCursor);
    else
        m_frame.unsetCursor();
}

} // namespace qv
