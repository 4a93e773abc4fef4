// ReadLogFile on a 1 GB handler log against `wc -l` on the same file, and the memory it takes: the file
// itself plus the row index. The file is made once in $QV_BENCH_DIR (default: the temporary directory).
#include "LogBenchData.h"
#include "logviewer/parse/LogFileReader.h"
#include "logviewer/parse/LogParser.h"
#include "logviewer/parse/LogRowFilter.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kFileBytes = 1ull << 30;
const char* const kName = "qv250101.log";

struct BenchFile {
    std::string dir = qv::bench::BenchLogDirectory();
    std::uint64_t size = qv::bench::MakeBenchLog(dir, kName, kFileBytes);
    qv::LogFileEntry entry{kName, static_cast<std::int64_t>(size), qv::LogDateFromFileName(kName), ""};
};

const BenchFile& File() {
    static const BenchFile file;
    return file;
}

// The process's peak resident memory (VmHWM), which ResetPeak sets back to the present use.
long PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6)) * 1024L;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Seconds that `wc -l` takes on the file, started through popen (the path is ours, without quotes).
double WcSeconds(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(("wc -l '" + path + "'").c_str(), "r");
    if (!pipe)
        return 0;
    char line[512];
    while (std::fgets(line, sizeof(line), pipe)) {
    }
    pclose(pipe);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times read(file) per iteration against `wc -l`, with the rows, the speeds and the peak memory as counters.
template <typename Read> void MeasureAgainstWc(benchmark::State& state, Read read) {
    const BenchFile& file = File();
    if (file.size == 0) {
        state.SkipWithError("the benchmark log cannot be written");
        return;
    }
    const std::string path = file.dir + "/" + kName;
    WcSeconds(path); // the file in the page cache for both
    ResetPeak();
    const long baseline = PeakResidentBytes();
    double wc = 0;
    double ours = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        qv::LogFile log = read(file);
        ours += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rows = log.RowCount();
        benchmark::DoNotOptimize(rows);
        state.PauseTiming();
        log = qv::LogFile();
        wc += WcSeconds(path);
        state.ResumeTiming();
    }
    const double iterations = static_cast<double>(state.iterations());
    const double megabytes = static_cast<double>(file.size) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(file.size) * state.iterations());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["read_MBps"] = megabytes * iterations / ours;
    state.counters["wc_l_MBps"] = megabytes * iterations / wc;
    state.counters["read_vs_wc"] = wc / ours;
    const double extra = static_cast<double>(PeakResidentBytes() - baseline) - static_cast<double>(file.size);
    state.counters["peak_over_file_B_per_row"] = rows ? extra / static_cast<double>(rows) : 0;
}

// ReadLogFile as it is: a file this large is read on a second thread while the calling one indexes.
void BM_ReadLogFile(benchmark::State& state) {
    MeasureAgainstWc(state, [](const BenchFile& file) { return qv::ReadLogFile(file.dir, file.entry); });
}
BENCHMARK(BM_ReadLogFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// As the viewer reads: the file read ahead in 8 MB pieces while the pieces before are indexed.
void BM_ReadAhead(benchmark::State& state) {
    MeasureAgainstWc(state, [](const BenchFile& file) {
        qv::LogFileReader reader;
        if (reader.Open(file.dir, file.entry)) {
            reader.ReadAhead(8 << 20);
            while (reader.ReadNext(8 << 20)) {
            }
        }
        return std::move(*reader.File());
    });
}
BENCHMARK(BM_ReadAhead)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The find box on every row of the file.
void BM_FilterRows(benchmark::State& state) {
    const BenchFile& file = File();
    static const qv::LogFile log = qv::ReadLogFile(file.dir, file.entry);
    const qv::LogRowFilter filter("ridgeline-42");
    std::vector<std::uint32_t> shown;
    for (auto _ : state) {
        shown.clear();
        filter.Collect(log, 0, log.RowCount(), shown);
        benchmark::DoNotOptimize(shown.data());
    }
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(log.RowCount()) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["shown"] = static_cast<double>(shown.size());
}
BENCHMARK(BM_FilterRows)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
