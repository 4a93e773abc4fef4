// ReadLogFile on a 1 GB handler log against `wc -l` on the same file, and the memory it takes: the file
// itself plus the row index. The file is made once in $QV_BENCH_DIR (default: the temporary directory).
// Then what works on the rows of that file in memory: the filters, the hourly counts; and the follow of a
// file that the handler writes 100,000 rows a second into.
#include "LogBenchData.h"
#include "logviewer/parse/LogEventTypes.h"
#include "logviewer/parse/LogFileReader.h"
#include "logviewer/parse/LogHourHistogram.h"
#include "logviewer/parse/LogParser.h"
#include "logviewer/parse/LogRowFilter.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
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

const qv::LogFile& Log() {
    static const qv::LogFile log = qv::ReadLogFile(File().dir, File().entry);
    return log;
}

// The find box on every row of the file.
void BM_FilterRows(benchmark::State& state) {
    const qv::LogFile& log = Log();
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

// The filters beside the find box, alone and with it: 0 a type, 1 an hour, 2 a text in one column,
// 3 all three, 4 a type and an hour with a text in every column, 5 a text that every row's Type holds.
void BM_FilterQuery(benchmark::State& state) {
    const qv::LogFile& log = Log();
    qv::LogRowQuery query;
    const auto hour = [&query](std::uint32_t h) {
        query.fromSecond = h * 3600;
        query.toSecond = h * 3600 + 3599;
    };
    switch (state.range(0)) {
    case 0:
        query.kinds = qv::LogEventTypes::FromName("Redirection Rule");
        break;
    case 1:
        hour(14);
        break;
    case 2:
        query.text = "newsletter";
        query.column = 5;
        break;
    case 3:
        query.kinds = qv::LogEventTypes::FromName("Quorvane File");
        hour(9);
        query.text = "tents";
        query.column = 4;
        break;
    case 4:
        query.kinds = qv::LogEventTypes::FromName("Image");
        hour(20);
        query.text = "p42";
        break;
    default:
        query.text = "File";
        break;
    }
    const qv::LogRowFilter filter(query);
    std::vector<std::uint32_t> shown;
    for (auto _ : state) {
        shown.clear();
        filter.Collect(log, 0, log.RowCount(), shown);
        benchmark::DoNotOptimize(shown.data());
    }
    state.counters["rows"] = static_cast<double>(log.RowCount());
    state.counters["shown"] = static_cast<double>(shown.size());
}
BENCHMARK(BM_FilterQuery)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// Rows per hour and kind for the small chart, and the kinds that the type list offers.
void BM_HourHistogram(benchmark::State& state) {
    const qv::LogFile& log = Log();
    qv::LogHourHistogram histogram;
    for (auto _ : state) {
        histogram.Count(log, log.RowCount(), [] { return true; });
        benchmark::DoNotOptimize(histogram.Hours().data());
    }
    state.counters["rows"] = static_cast<double>(log.RowCount());
    state.counters["busiest_hour"] = static_cast<double>(histogram.MaxHourTotal());
}
BENCHMARK(BM_HourHistogram)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_EventTypesPresent(benchmark::State& state) {
    const qv::LogFile& log = Log();
    std::size_t kinds = 0;
    for (auto _ : state) {
        kinds = qv::LogEventTypes::Present(log, log.RowCount()).size();
        benchmark::DoNotOptimize(kinds);
    }
    state.counters["kinds"] = static_cast<double>(kinds);
}
BENCHMARK(BM_EventTypesPresent)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Following today's file: a writer adds 100 rows every 10 ms (100,000 a second, cut anywhere, so that lines
// arrive in parts) to a file of 200 MB, and each follow step indexes what came. The time counted is the
// follow's alone; the longest step is what a window would wait for.
void BM_FollowAppends(benchmark::State& state) {
    const std::string dir = qv::bench::BenchLogDirectory() + "/follow";
    std::filesystem::remove_all(dir);
    const std::uint64_t start = qv::bench::MakeBenchLog(dir, "qv250102.log", 200u << 20);
    std::ifstream source(std::filesystem::path(File().dir) / kName, std::ios::binary);
    const qv::LogFileEntry entry{"qv250102.log", 0, "2025-01-02", ""};
    constexpr std::size_t kRowsPerStep = 100;
    constexpr int kSteps = 1000;
    double seconds = 0;
    double longest = 0;
    double longestCpu = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        qv::LogFileReader reader;
        reader.Open(dir, entry);
        while (reader.ReadNext(8 << 20)) {
        }
        const std::size_t before = reader.File()->RowCount();
        std::ofstream out(std::filesystem::path(dir) / entry.fileName, std::ios::binary | std::ios::app);
        std::string line;
        std::string pending;
        const auto t0 = std::chrono::steady_clock::now();
        for (int step = 0; step < kSteps; ++step) {
            state.PauseTiming();
            for (std::size_t i = 0; i < kRowsPerStep && std::getline(source, line); ++i)
                pending += line + "\n";
            // A line cut in two: its rest comes with the next step.
            const std::size_t cut = pending.size() - pending.size() % 37;
            out.write(pending.data(), static_cast<std::streamsize>(cut)).flush();
            pending.erase(0, cut);
            state.ResumeTiming();
            const auto s0 = std::chrono::steady_clock::now();
            const double cpu0 = ThreadCpuSeconds();
            for (qv::LogFollowStep followed{}; (followed = reader.ReadAppended(1 << 20)).more;) {
            }
            const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - s0).count();
            seconds += took;
            longest = std::max(longest, took);
            longestCpu = std::max(longestCpu, ThreadCpuSeconds() - cpu0);
        }
        benchmark::DoNotOptimize(t0);
        rows = reader.File()->RowCount() - before;
        out.close();
        std::filesystem::resize_file(std::filesystem::path(dir) / entry.fileName, start);
    }
    state.counters["rows_followed"] = static_cast<double>(rows);
    state.counters["rows_per_s_indexed"] =
        static_cast<double>(rows) * static_cast<double>(state.iterations()) / seconds;
    state.counters["longest_step_ms"] = longest * 1000;
    // On a busy machine the longest wall time is mostly waiting for a core; the CPU time is the step's own.
    state.counters["longest_step_cpu_ms"] = longestCpu * 1000;
    state.counters["mean_step_ms"] =
        seconds * 1000 / (static_cast<double>(kSteps) * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FollowAppends)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
