// The registry calls the settings store makes: one value read, one value write, and a site's twelve values
// read with the missing ones written back, for a new key and for a complete one, each write on its own and
// in a batch per site (as the store loads).
#include "platform/MachineDirectory.h"
#include "platform/RegistryBatch.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace {

using namespace qv;

const char* const kNames[12] = {"EnableDisable", "ServerState",  "Dyn404",     "SendErrorImage",
                                "Logging",       "LogThreshold", "Directory",  "LogDir",
                                "ExtList",       "DynExtList",   "ImgFilters", "ImgExts"};
const char* const kDefaults[12] = {
    "1",        "1", "0",          "1", "1", "500", "QvErrors", "[PROGFILES]\\Logs\\[SITE]", "htm,html,asp",
    "asp,aspx", "*", "gif,jpg,png"};
const std::string kBase = "SOFTWARE\\QuorvaneBench\\Value\\Sites";

// A private machine directory on POSIX (on Windows the real registry, below a key of its own).
class BenchMachine {
public:
    BenchMachine() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("qv-bench-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
        MachineDirectory::Set(m_path.string());
    }
    ~BenchMachine() {
        RegistryKey::DeleteTree("SOFTWARE\\QuorvaneBench");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::filesystem::path m_path;
};

BenchMachine& Machine() {
    static BenchMachine machine;
    return machine;
}

// What loading a site does: each of the twelve values queried, a missing one written with its default.
void LoadSiteValues(const std::string& path, benchmark::State& state) {
    RegistryKey key;
    if (key.Create(path, RegAccess::ReadWrite) != kErrorSuccess) {
        state.SkipWithError("Create failed");
        return;
    }
    char buffer[261];
    for (int i = 0; i < 12; ++i) {
        std::uint32_t size = sizeof buffer;
        std::uint32_t type = 0;
        long result = key.QueryValue(kNames[i], &type, buffer, &size);
        if (result == kErrorFileNotFound) {
            std::string value = kDefaults[i];
            result =
                key.SetValue(kNames[i], kRegSz, value.c_str(), static_cast<std::uint32_t>(value.size() + 1));
        }
        if (result != kErrorSuccess) {
            state.SkipWithError("a value failed");
            return;
        }
        benchmark::DoNotOptimize(buffer);
    }
}

void BM_QueryValue(benchmark::State& state) {
    Machine();
    RegistryKey key;
    key.Create(kBase + "\\1", RegAccess::ReadWrite);
    key.SetValue("Directory", kRegSz, "QvErrors", 9);
    char buffer[261];
    for (auto _ : state) {
        std::uint32_t size = sizeof buffer;
        if (key.QueryValue("Directory", nullptr, buffer, &size) != kErrorSuccess)
            state.SkipWithError("QueryValue failed");
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_QueryValue);

void BM_SetValue(benchmark::State& state) {
    Machine();
    RegistryKey key;
    key.Create(kBase + "\\2", RegAccess::ReadWrite);
    unsigned counter = 0;
    for (auto _ : state) {
        std::string value = std::to_string(counter++);
        if (key.SetValue("LogThreshold", kRegSz, value.c_str(),
                         static_cast<std::uint32_t>(value.size() + 1)) != kErrorSuccess)
            state.SkipWithError("SetValue failed");
    }
}
BENCHMARK(BM_SetValue);

void BM_TwelveValuesNewKey(benchmark::State& state) {
    Machine();
    static unsigned site = 1000;
    for (auto _ : state)
        LoadSiteValues(kBase + "\\" + std::to_string(site++), state);
}
BENCHMARK(BM_TwelveValuesNewKey);

void BM_TwelveValuesCompleteKey(benchmark::State& state) {
    Machine();
    const std::string path = kBase + "\\3";
    LoadSiteValues(path, state);
    for (auto _ : state)
        LoadSiteValues(path, state);
}
BENCHMARK(BM_TwelveValuesCompleteKey);

// The same in a batch per key: the creation and the twelve write-backs are one transaction.
void BM_TwelveValuesNewKeyInBatch(benchmark::State& state) {
    Machine();
    static unsigned site = 1'000'000;
    for (auto _ : state) {
        RegistryBatch batch;
        LoadSiteValues(kBase + "\\" + std::to_string(site++), state);
        if (batch.End() != kErrorSuccess)
            state.SkipWithError("the batch failed");
    }
}
BENCHMARK(BM_TwelveValuesNewKeyInBatch);

void BM_TwelveValuesCompleteKeyInBatch(benchmark::State& state) {
    Machine();
    const std::string path = kBase + "\\4";
    LoadSiteValues(path, state);
    for (auto _ : state) {
        RegistryBatch batch;
        LoadSiteValues(path, state);
    }
}
BENCHMARK(BM_TwelveValuesCompleteKeyInBatch);

} // namespace

BENCHMARK_MAIN();
