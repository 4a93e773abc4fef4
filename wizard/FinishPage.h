#pragma once
// Page 4: entering it deploys. First the stored settings are backed up (when that fails the user decides
// whether to go on without a backup), then every site is written off the window's thread with a progress
// bar; the buttons wait until it is over. The page then names the backup and what failed, if anything.
#include "WizardPage.h"
#include "wizard/core/SettingsBackup.h"

#include <QString>

#include <memory>
#include <optional>

namespace Ui {
class FinishPage;
}

namespace qv {

class DeploymentReport;
class DeploymentTask;

class FinishPage : public WizardPage {
    Q_OBJECT
public:
    FinishPage(WizardFrame& frame, QWidget* parent);
    ~FinishPage() override;

    void OnPageShown() override;
    // Backs up, then deploys; deployed() comes when both are over, or when nothing was written.
    void Deploy();
    bool Deploying() const { return m_deploying; }
    bool LaunchTicked() const;
    // What the page says about the deployment once it is over.
    QString ReportText() const;

Q_SIGNALS:
    void deployed();

private:
    void OnBackedUp(const SettingsBackup::Result& result);
    void OnProgress(int site, int siteCount);
    void OnDeployed(const DeploymentReport& report);
    // Nothing was written: the backup failed and the user chose not to go on.
    void Abandon(const std::string& error);
    void Hold(bool held);
    void ShowReport(const QString& text);
    QString BackupText() const;

    std::unique_ptr<Ui::FinishPage> m_ui;
    DeploymentTask* m_task;
    std::optional<SettingsBackup::Result> m_backup;
    bool m_deploying = false;
};

} // namespace qv
