// The settings store over 10,000 web sites on the POSIX key store: the first load (every key created and
// filled), the second load (every key complete), saving every record after an edit, and the peak resident
// memory. The default entry is enabled and the installation has no templates folder, so each new site
// looks for its templates and finds none.
#include "BenchSites.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using qv::bench::BenchMachine;
using qv::bench::LoadSites;
using qv::bench::MakeServer;
using qv::bench::PeakResidentMB;

void FirstLoad(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            BenchMachine machine;
            const auto server = MakeServer(machine);
            qv::SettingsStore store(machine.Install());
            state.ResumeTiming();
            LoadSites(store, server);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}

void SecondLoad(benchmark::State& state) {
    BenchMachine machine;
    const auto server = MakeServer(machine);
    {
        qv::SettingsStore first(machine.Install());
        LoadSites(first, server);
    }
    for (auto _ : state) {
        qv::SettingsStore store(machine.Install());
        LoadSites(store, server);
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}

void SaveAll(benchmark::State& state) {
    BenchMachine machine;
    const auto server = MakeServer(machine);
    qv::SettingsStore store(machine.Install());
    LoadSites(store, server);
    for (auto _ : state) {
        for (const auto& record : store.Sites()) {
            record->Dyn404 = !record->Dyn404;
            record->ExtList.Add("shtml");
            if (store.SaveSettings(*record) != 0)
                std::abort();
        }
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}

} // namespace

BENCHMARK(FirstLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SecondLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SaveAll)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
