#pragma once
// The part of Google Benchmark's API that our benchmarks use, for the MinGW build where no Google Benchmark
// package exists. Same BENCHMARK macros and State; each benchmark runs until --benchmark_min_time (0.5 s)
// or its fixed Iterations(n) and prints the wall-clock time per iteration and its counters. There is no CPU
// time column: a portable CPU clock is not to be had from the C++ library under Windows.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };
using IterationCount = std::int64_t;

class Counter {
public:
    enum Flags {
        kDefaults = 0,
        kIsRate = 1 << 0,
        kAvgThreads = 1 << 1,
        kAvgThreadsRate = kIsRate | kAvgThreads,
        kIsIterationInvariant = 1 << 2,
        kIsIterationInvariantRate = kIsRate | kIsIterationInvariant,
        kAvgIterations = 1 << 3,
        kAvgIterationsRate = kIsRate | kAvgIterations,
        kInvert = 1 << 31,
    };
    enum OneK { kIs1000 = 1000, kIs1024 = 1024 };

    Counter(double v = 0., Flags f = kDefaults, OneK k = kIs1000) : value(v), flags(f), oneK(k) {}
    operator double const&() const { return value; }
    operator double&() { return value; }

    double value;
    Flags flags;
    OneK oneK;
};

using UserCounters = std::map<std::string, Counter>;

template <class T> inline void DoNotOptimize(T const& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}
template <class T> inline void DoNotOptimize(T& value) {
    asm volatile("" : "+r,m"(value) : : "memory");
}
inline void ClobberMemory() {
    asm volatile("" : : : "memory");
}

class State {
public:
    using Clock = std::chrono::steady_clock;

    // Marked unused, as in Google Benchmark, so that "for (auto _ : state)" draws no warning.
    struct __attribute__((unused)) Value {};
    class Iterator {
    public:
        explicit Iterator(State* state) : m_state(state) {}
        Value operator*() const { return Value(); }
        Iterator& operator++() { return *this; }
        bool operator!=(const Iterator&) const { return m_state->Next(); }

    private:
        State* m_state;
    };

    State(IterationCount maxIterations, std::vector<std::int64_t> args)
        : m_max(maxIterations), m_args(std::move(args)) {}

    Iterator begin() { return Iterator(this); }
    Iterator end() { return Iterator(this); }
    bool KeepRunning() { return Next(); }

    void PauseTiming() {
        if (m_running) {
            m_elapsed += Clock::now() - m_start;
            m_running = false;
        }
    }
    void ResumeTiming() {
        if (!m_running) {
            m_start = Clock::now();
            m_running = true;
        }
    }
    void SkipWithError(const char* message) {
        m_error = message ? message : "error";
        m_max = m_done;
    }
    void SetIterationTime(double seconds) { m_manual += seconds; }
    void SetBytesProcessed(std::int64_t bytes) { m_bytes = bytes; }
    void SetItemsProcessed(std::int64_t items) { m_items = items; }
    void SetLabel(const std::string& label) { m_label = label; }
    IterationCount iterations() const { return m_done; }
    IterationCount max_iterations() const { return m_max; }
    std::int64_t range(std::size_t index = 0) const { return index < m_args.size() ? m_args[index] : 0; }

    UserCounters counters;

    // For the runner.
    double Seconds() const { return std::chrono::duration<double>(m_elapsed).count(); }
    double ManualSeconds() const { return m_manual; }
    const std::string& Error() const { return m_error; }
    const std::string& Label() const { return m_label; }
    std::int64_t Bytes() const { return m_bytes; }
    std::int64_t Items() const { return m_items; }

private:
    bool Next() {
        if (!m_started) {
            m_started = true;
            ResumeTiming();
        }
        if (m_done >= m_max) {
            PauseTiming();
            return false;
        }
        ++m_done;
        return true;
    }

    IterationCount m_max;
    IterationCount m_done = 0;
    std::vector<std::int64_t> m_args;
    bool m_started = false;
    bool m_running = false;
    Clock::time_point m_start;
    Clock::duration m_elapsed{};
    double m_manual = 0;
    std::string m_error;
    std::string m_label;
    std::int64_t m_bytes = 0;
    std::int64_t m_items = 0;
};

namespace internal {

class Benchmark {
public:
    Benchmark(std::string name, std::function<void(State&)> function)
        : m_name(std::move(name)), m_function(std::move(function)) {}

    Benchmark* Unit(TimeUnit unit) {
        m_unit = unit;
        return this;
    }
    Benchmark* Iterations(IterationCount count) {
        m_iterations = count;
        return this;
    }
    Benchmark* MinTime(double seconds) {
        m_minTime = seconds;
        return this;
    }
    Benchmark* UseRealTime() { return this; } // wall-clock time is all the shim measures
    Benchmark* UseManualTime() {
        m_manualTime = true;
        return this;
    }
    Benchmark* Arg(std::int64_t value) {
        m_argSets.push_back({value});
        return this;
    }
    Benchmark* Args(const std::vector<std::int64_t>& values) {
        m_argSets.push_back(values);
        return this;
    }
    Benchmark* Repetitions(int count) {
        m_repetitions = std::max(1, count);
        return this;
    }

    const std::string& Name() const { return m_name; }
    TimeUnit TheUnit() const { return m_unit; }
    IterationCount FixedIterations() const { return m_iterations; }
    double TheMinTime() const { return m_minTime; }
    bool ManualTime() const { return m_manualTime; }
    int RepetitionCount() const { return m_repetitions; }
    std::vector<std::vector<std::int64_t>> ArgSets() const {
        return m_argSets.empty() ? std::vector<std::vector<std::int64_t>>{{}} : m_argSets;
    }
    void Call(State& state) const { m_function(state); }

private:
    std::string m_name;
    std::function<void(State&)> m_function;
    TimeUnit m_unit = kNanosecond;
    IterationCount m_iterations = 0;
    double m_minTime = 0;
    bool m_manualTime = false;
    int m_repetitions = 1;
    std::vector<std::vector<std::int64_t>> m_argSets;
};

struct Settings {
    std::string filter = ".";
    double minTime = 0.5;
};

inline std::vector<std::unique_ptr<Benchmark>>& Registry() {
    static std::vector<std::unique_ptr<Benchmark>> benchmarks;
    return benchmarks;
}

inline Settings& TheSettings() {
    static Settings settings;
    return settings;
}

inline Benchmark* Register(const char* name, void (*function)(State&)) {
    Registry().push_back(std::make_unique<Benchmark>(name, function));
    return Registry().back().get();
}

inline const char* UnitName(TimeUnit unit) {
    switch (unit) {
    case kNanosecond:
        return "ns";
    case kMicrosecond:
        return "us";
    case kMillisecond:
        return "ms";
    case kSecond:
        return "s";
    }
    return "ns";
}

inline double UnitScale(TimeUnit unit) {
    switch (unit) {
    case kNanosecond:
        return 1e9;
    case kMicrosecond:
        return 1e6;
    case kMillisecond:
        return 1e3;
    case kSecond:
        return 1;
    }
    return 1e9;
}

// 1234567 -> "1.23457M", as Google Benchmark shows counters.
inline std::string Human(double value, double oneK) {
    static const char* const prefixes[] = {"", "k", "M", "G", "T"};
    int index = 0;
    while (value >= oneK * 0.9999 && index < 4) {
        value /= oneK;
        ++index;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "%.6g%s", value, prefixes[index]);
    return text;
}

inline void RunOne(const Benchmark& benchmark, const std::vector<std::int64_t>& args,
                   const std::string& name) {
    const double minTime = benchmark.TheMinTime() > 0 ? benchmark.TheMinTime() : TheSettings().minTime;
    IterationCount iterations = benchmark.FixedIterations() > 0 ? benchmark.FixedIterations() : 1;
    for (;;) {
        State state(iterations, args);
        benchmark.Call(state);
        const double seconds = benchmark.ManualTime() ? state.ManualSeconds() : state.Seconds();
        const bool enough = benchmark.FixedIterations() > 0 || seconds >= minTime ||
                            iterations >= 1000000000 || !state.Error().empty();
        if (!enough) {
            // Grow as Google Benchmark does: aim past the minimum, at most tenfold at a time.
            const double factor = seconds > 0 ? std::min(10.0, std::max(1.4 * minTime / seconds, 1.5)) : 10.0;
            iterations = static_cast<IterationCount>(static_cast<double>(iterations) * factor) + 1;
            continue;
        }
        if (!state.Error().empty()) {
            std::printf("%-40s ERROR OCCURRED: '%s'\n", name.c_str(), state.Error().c_str());
            return;
        }
        const double done = static_cast<double>(std::max<IterationCount>(state.iterations(), 1));
        const double perIteration = seconds / done * UnitScale(benchmark.TheUnit());
        std::string extra;
        auto add = [&extra](const std::string& key, const std::string& value) {
            extra += " " + key + "=" + value;
        };
        if (state.Bytes() > 0 && seconds > 0)
            add("bytes_per_second", Human(static_cast<double>(state.Bytes()) / seconds, 1024) + "/s");
        if (state.Items() > 0 && seconds > 0)
            add("items_per_second", Human(static_cast<double>(state.Items()) / seconds, 1000) + "/s");
        for (const auto& [key, counter] : state.counters) {
            double value = counter.value;
            if (counter.flags & Counter::kIsIterationInvariant)
                value *= done;
            if (counter.flags & Counter::kAvgIterations)
                value /= done;
            if ((counter.flags & Counter::kIsRate) && seconds > 0)
                value /= seconds;
            if ((counter.flags & Counter::kInvert) && value != 0)
                value = 1 / value;
            add(key, Human(value, counter.oneK) + ((counter.flags & Counter::kIsRate) ? "/s" : ""));
        }
        if (!state.Label().empty())
            extra += " " + state.Label();
        std::printf("%-40s %13.0f %-2s %12lld%s\n", name.c_str(), perIteration, UnitName(benchmark.TheUnit()),
                    static_cast<long long>(state.iterations()), extra.c_str());
        std::fflush(stdout);
        return;
    }
}

} // namespace internal

inline void Initialize(int* argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--benchmark_filter=", 19) == 0) {
            internal::TheSettings().filter = arg + 19;
        } else if (std::strncmp(arg, "--benchmark_min_time=", 21) == 0) {
            internal::TheSettings().minTime = std::atof(arg + 21); // "0.5" and "0.5s" alike
        } else if (std::strncmp(arg, "--benchmark_", 12) == 0) {
            std::fprintf(stderr, "ignored (not in this Google Benchmark stand-in): %s\n", arg);
        } else {
            argv[kept++] = argv[i];
        }
    }
    *argc = kept;
}

inline bool ReportUnrecognizedArguments(int, char**) {
    return false;
}

inline std::size_t RunSpecifiedBenchmarks() {
    const std::regex filter(internal::TheSettings().filter);
    std::printf("%-40s %16s %12s\n", "Benchmark", "Time", "Iterations");
    std::printf("%s\n", std::string(70, '-').c_str());
    std::size_t count = 0;
    for (const auto& benchmark : internal::Registry()) {
        for (const std::vector<std::int64_t>& args : benchmark->ArgSets()) {
            std::string name = benchmark->Name();
            for (std::int64_t arg : args)
                name += "/" + std::to_string(arg);
            if (benchmark->ManualTime())
                name += "/manual_time";
            if (!std::regex_search(name, filter))
                continue;
            for (int repetition = 0; repetition < benchmark->RepetitionCount(); ++repetition)
                internal::RunOne(*benchmark, args, name);
            ++count;
        }
    }
    return count;
}

inline void Shutdown() {}

} // namespace benchmark

#define BENCHMARK_SHIM_CONCAT2(a, b) a##b
#define BENCHMARK_SHIM_CONCAT(a, b) BENCHMARK_SHIM_CONCAT2(a, b)
#define BENCHMARK(function)                                                                                  \
    [[maybe_unused]] static ::benchmark::internal::Benchmark* BENCHMARK_SHIM_CONCAT(                         \
        benchmark_shim_, __COUNTER__) = ::benchmark::internal::Register(#function, function)
#define BENCHMARK_MAIN()                                                                                     \
    int main(int argc, char** argv) {                                                                        \
        ::benchmark::Initialize(&argc, argv);                                                                \
        ::benchmark::RunSpecifiedBenchmarks();                                                               \
        ::benchmark::Shutdown();                                                                             \
        return 0;                                                                                            \
    }                                                                                                        \
    int main(int, char**)
