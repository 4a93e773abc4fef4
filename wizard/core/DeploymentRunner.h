#pragma once
// Runs a DeploymentPlan step by step and reports each piece. It may run on a worker thread: it touches only
// the plan's records, the registry and the files, and calls the progress function on that thread (the window
// must hand it on to its own thread). Nobody may use the records while it runs.
//
// The window, on entering its last page:
//   1. SettingsBackup::Write(sites.InstallDirectory()); when it is not Usable(), ask whether to deploy anyway
//      (No: deploy nothing);
//   2. DeploymentPlan plan(sites.DefaultRecord(), sites.RecordPointers(), {edit text, examples, rules});
//   3. DeploymentRunner(sites.Store()).Run(plan, progress) off the window's thread; show the report.
#include "DeploymentPlan.h"
#include "DeploymentReport.h"

#include <cstddef>
#include <functional>
#include <string>

namespace qv {

class SettingsStore;

class DeploymentRunner {
public:
    // Before each site's save: site is 1..siteCount ("Deploying site N of M"); 0 before the default record.
    using Progress = std::function<void(std::size_t site, std::size_t siteCount)>;

    // store: saves the records (its installation directory finds the templates and the permission tool).
    explicit DeploymentRunner(SettingsStore& store);

    DeploymentReport Run(const DeploymentPlan& plan, const Progress& progress = {});

private:
    SettingsStore& m_store;
};

} // namespace qv
