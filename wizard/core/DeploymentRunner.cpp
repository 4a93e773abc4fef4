#include "DeploymentRunner.h"

#include "settings/SettingsStore.h"

namespace qv {

DeploymentRunner::DeploymentRunner(SettingsStore& store) : m_store(store) {}

DeploymentReport DeploymentRunner::Run(const DeploymentPlan& plan, const Progress& progress) {
    (void)plan;
    (void)progress;
    return {};
}

} // namespace qv
