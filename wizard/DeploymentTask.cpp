#include "DeploymentTask.h"

#include "wizard/core/DeploymentRunner.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <limits>

namespace qv {

namespace {

int Clamped(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

} // namespace

DeploymentTask::DeploymentTask(QObject* parent) : QObject(parent) {
    connect(&m_backup, &QFutureWatcher<SettingsBackup::Result>::finished, this,
            [this] { Q_EMIT backedUp(m_backup.result()); });
    // The future's progress is thinned to what a window can show; the last step always arrives.
    connect(&m_deployment, &QFutureWatcher<DeploymentReport>::progressValueChanged, this, [this](int site) {
        if (m_plan)
            Q_EMIT progressed(site, Clamped(m_plan->SiteCount()));
    });
    connect(&m_deployment, &QFutureWatcher<DeploymentReport>::finished, this, [this] {
        const DeploymentReport report = m_deployment.result();
        m_plan.reset();
        Q_EMIT deployed(report);
    });
}

DeploymentTask::~DeploymentTask() {
    m_backup.waitForFinished();
    m_deployment.waitForFinished();
}

void DeploymentTask::StartBackup(const std::string& installDirectory) {
    m_backup.setFuture(
        QtConcurrent::run([installDirectory] { return SettingsBackup::Write(installDirectory); }));
}

void DeploymentTask::StartDeployment(SettingsStore& store, std::shared_ptr<const DeploymentPlan> plan) {
    m_plan = std::move(plan);
    m_deployment.setFuture(QtConcurrent::run(
        [&store](QPromise<DeploymentReport>& promise, std::shared_ptr<const DeploymentPlan> steps) {
            promise.setProgressRange(0, Clamped(steps->SiteCount()));
            DeploymentRunner runner(store);
            promise.addResult(runner.Run(*steps, [&promise](std::size_t site, std::size_t) {
                promise.setProgressValue(Clamped(site));
            }));
        },
        m_plan));
}

} // namespace qv
