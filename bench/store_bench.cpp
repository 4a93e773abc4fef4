// The settings store over 10,000 web sites on the POSIX key store: the first load (every key created and
// filled), the second load (every key complete), saving every record after an edit, and the peak resident
// memory. The default entry is enabled and the installation has no templates folder, so each new site
// looks for its templates and finds none.
#include "platform/MachineDirectory.h"
#include "platform/TextCodec.h"
#include "settings/SettingsStore.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kSites = 10000;

// A fresh machine directory with an installation directory, removed afterwards.
class BenchMachine {
public:
    BenchMachine() {
        m_path = std::filesystem::temp_directory_path() /
                 ("qv-store-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_path / "install");
        qv::MachineDirectory::Set(m_path.string());
    }
    ~BenchMachine() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Install() const { return (m_path / "install").string() + "/"; }
    std::string Root(int site) const { return (m_path / "sites" / ("site" + std::to_string(site))).string(); }

private:
    std::filesystem::path m_path;
};

// The web server: sites 1..10000 with a description and a root (the roots need not exist).
std::shared_ptr<const qv::MetabaseModel> MakeServer(const BenchMachine& machine) {
    auto model = std::make_shared<qv::MetabaseModel>();
    model->AddKey(u"/LM/W3SVC", u"IIsWebService");
    for (int site = 1; site <= kSites; ++site) {
        const std::u16string key = u"/LM/W3SVC/" + qv::TextCodec::ToUtf16(std::to_string(site));
        model->AddKey(key, u"IIsWebServer");
        model->SetText(key, qv::kMdServerComment, qv::kIisMdUtServer, u"Site", qv::kMetadataInherit);
        model->AddKey(key + u"/ROOT", u"IIsWebVirtualDir");
        model->SetText(key + u"/ROOT", qv::kMdVrPath, qv::kIisMdUtFile,
                       qv::TextCodec::ToUtf16(machine.Root(site)), qv::kMetadataInherit);
    }
    return model;
}

void Load(qv::SettingsStore& store, const std::shared_ptr<const qv::MetabaseModel>& server) {
    qv::MetabaseConnection connection;
    connection.Attach(std::make_unique<qv::ModelAdminBase>(server));
    if (!store.LoadAllSites(connection) || store.Sites().size() != kSites)
        std::abort();
}

double PeakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void FirstLoad(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            BenchMachine machine;
            const auto server = MakeServer(machine);
            qv::SettingsStore store(machine.Install());
            state.ResumeTiming();
            Load(store, server);
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
        Load(first, server);
    }
    for (auto _ : state) {
        qv::SettingsStore store(machine.Install());
        Load(store, server);
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}

void SaveAll(benchmark::State& state) {
    BenchMachine machine;
    const auto server = MakeServer(machine);
    qv::SettingsStore store(machine.Install());
    Load(store, server);
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
