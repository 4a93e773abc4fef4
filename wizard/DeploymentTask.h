#pragma once
// The backup and the deployment, each run off the window's thread; their answers and the deployment's
// progress come back on the window's thread. Nobody may touch the plan's records while the deployment runs.
#include "wizard/core/DeploymentPlan.h"
#include "wizard/core/DeploymentReport.h"
#include "wizard/core/SettingsBackup.h"

#include <QFutureWatcher>
#include <QObject>

#include <memory>
#include <string>

namespace qv {

class SettingsStore;

class DeploymentTask : public QObject {
    Q_OBJECT
public:
    explicit DeploymentTask(QObject* parent = nullptr);
    // Waits for work in flight: it cannot be stopped half-way.
    ~DeploymentTask() override;

    void StartBackup(const std::string& installDirectory);
    // store saves the records; it and the records outlive the task.
    void StartDeployment(SettingsStore& store, std::shared_ptr<const DeploymentPlan> plan);
    bool Running() const { return m_backup.isRunning() || m_deployment.isRunning(); }

Q_SIGNALS:
    void backedUp(const qv::SettingsBackup::Result& result);
    // Before site (1..siteCount) is saved.
    void progressed(int site, int siteCount);
    void deployed(const qv::DeploymentReport& report);

private:
    QFutureWatcher<SettingsBackup::Result> m_backup;
    QFutureWatcher<DeploymentReport> m_deployment;
    std::shared_ptr<const DeploymentPlan> m_plan;
};

} // namespace qv
