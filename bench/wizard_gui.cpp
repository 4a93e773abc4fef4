// The Setup Wizard's window over 1,000 chosen web sites (offscreen): from Next on the default settings page
// to the end of the deployment (backup, every site written with its example files and rules file), and how
// long the window's thread went at most without turning its event loop meanwhile: the window stays painted
// while the deployment runs beside it. Permission tool command lines are counted, not started.
#include "BenchSites.h"
#include "QtBenchMain.h"
#include "webserver/WorkerIdentity.h"
#include "wizard/FinishPage.h"
#include "wizard/WizardControlId.h"
#include "wizard/WizardFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

namespace {

using qv::bench::BenchMachine;
using qv::bench::MakeServer;
using qv::bench::PeakResidentMB;
using qv::bench::WriteDeploymentFiles;

constexpr int kWizardSites = 1000;

void Press(qv::WizardFrame& frame, int button) {
    frame.CurrentPage()->Button(button)->click();
}

void WindowedDeployment(benchmark::State& state) {
    BenchMachine machine;
    WriteDeploymentFiles(machine);
    qv::SetPermissionToolStarter([](const std::string&) { return true; });

    double longestGap = 0;
    int run = 0;
    for (auto _ : state) {
        const std::string folder = "run" + std::to_string(++run);
        for (int site = 1; site <= kWizardSites; ++site)
            std::filesystem::create_directories(machine.Root(site, folder));
        qv::MetabaseConnection connection;
        connection.Attach(std::make_unique<qv::ModelAdminBase>(MakeServer(machine, kWizardSites, folder)));
        qv::WizardSites sites(machine.Install());
        if (!sites.Load(connection))
            std::abort();
        qv::WizardFrame frame(sites, false);
        frame.show();
        Press(frame, qv::kControlNext);
        Press(frame, qv::kControlNext);
        QApplication::processEvents();
        QEventLoop waiting;
        QObject::connect(frame.Finish(), &qv::FinishPage::deployed, &waiting, &QEventLoop::quit);
        QElapsedTimer tick;
        QTimer beat;
        beat.setInterval(5);
        QObject::connect(&beat, &QTimer::timeout,
                         [&] { longestGap = std::max(longestGap, static_cast<double>(tick.restart())); });

        QElapsedTimer clock;
        clock.start();
        tick.start();
        beat.start();
        Press(frame, qv::kControlNext);
        // As the program waits: asleep between events, not spinning.
        waiting.exec();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        beat.stop();
        frame.reject();
    }
    qv::SetPermissionToolStarter({});
    state.counters["sites"] = kWizardSites;
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(WindowedDeployment)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    return qv::bench::RunQtBenchmarks(argc, argv);
}
