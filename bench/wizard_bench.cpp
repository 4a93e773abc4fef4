// The Setup Wizard's unattended mode over 1,000 chosen web sites on the POSIX key store: every site's
// settings written, its error directory made and filled with the example files, its rules file copied, after
// a backup of the settings the previous run stored. The permission tool is there, but its command lines are
// counted rather than started: the tool runs apart from the wizard, which never waits for it. Each run
// deploys to roots of its own, made beforehand: the server's sites as an administrator first meets them.
#include "BenchSites.h"
#include "webserver/WorkerIdentity.h"
#include "wizard/core/UnattendedMode.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sstream>

namespace {

using qv::bench::BenchMachine;
using qv::bench::MakeServer;
using qv::bench::PeakResidentMB;
using qv::bench::WriteDeploymentFiles;

constexpr int kWizardSites = 1000;

// A server whose sites have empty roots below folder.
std::shared_ptr<const qv::MetabaseModel> ServerWithRoots(const BenchMachine& machine,
                                                         const std::string& folder) {
    for (int site = 1; site <= kWizardSites; ++site)
        std::filesystem::create_directories(machine.Root(site, folder));
    return MakeServer(machine, kWizardSites, folder);
}

void Deploy(const BenchMachine& machine, const std::shared_ptr<const qv::MetabaseModel>& server) {
    qv::MetabaseConnection connection;
    connection.Attach(std::make_unique<qv::ModelAdminBase>(server));
    std::ostringstream out, err;
    if (qv::UnattendedMode(out, err).Run({"/unattended", "/sites:all"}, connection, machine.Install()) != 0)
        std::abort();
}

void UnattendedDeployment(benchmark::State& state) {
    BenchMachine machine;
    WriteDeploymentFiles(machine);
    std::size_t grants = 0;
    qv::SetPermissionToolStarter([&grants](const std::string&) {
        ++grants;
        return true;
    });

    // A first run stores the settings that every timed run backs up.
    Deploy(machine, ServerWithRoots(machine, "first"));
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto server = ServerWithRoots(machine, "run" + std::to_string(++run));
        state.ResumeTiming();
        Deploy(machine, server);
    }
    qv::SetPermissionToolStarter({});
    state.counters["sites"] = kWizardSites;
    state.counters["grants"] = static_cast<double>(grants);
    state.counters["peak_rss_MB"] = PeakResidentMB();
}

} // namespace

BENCHMARK(UnattendedDeployment)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
