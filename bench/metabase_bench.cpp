// Reading MetaBase.xml: a 50 MB file of many sites, keys and properties, and three shapes that once made the
// reader slow or huge: one long Location with many <Custom> children, one key with very many distinct
// property ids, and a Location of millions of segments. Each case reports the time of Parse and, measured
// once in a child process, the memory the parse adds on top of the text (peak resident minus resident
// before) as MB and as a multiple of the file size.
#include "webserver/MetabaseModel.h"
#include "webserver/file/MetabaseFile.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

constexpr const char* kHead = "<?xml version =\"1.0\"?>\n<configuration>\n<MBProperty>\n";
constexpr const char* kTail = "</MBProperty>\n</configuration>\n";

std::string Custom(std::uint32_t id, const std::string& value) {
    return "\t<Custom Name=\"P" + std::to_string(id) + "\" ID=\"" + std::to_string(id) + "\" Value=\"" +
           value + "\" Type=\"STRING\" UserType=\"IIS_MD_UT_SERVER\" Attributes=\"INHERIT\"/>\n";
}

// Sites with a description, a few custom values, a root and two virtual directories each, up to bytes.
std::string ManySites(std::size_t bytes) {
    std::string text = kHead;
    text += "<IIsWebService Location=\"/LM/W3SVC\" IIs5IsolationModeEnabled=\"FALSE\">\n</IIsWebService>\n";
    for (int site = 1; text.size() < bytes; ++site) {
        const std::string key = "/LM/W3SVC/" + std::to_string(site);
        text += "<IIsWebServer Location=\"" + key + "\" ServerComment=\"Site " + std::to_string(site) +
                "\" AppPoolId=\"DefaultAppPool\">\n";
        for (std::uint32_t id = 6000; id < 6008; ++id)
            text += Custom(id, "value " + std::to_string(id));
        text += "</IIsWebServer>\n";
        text += "<IIsWebVirtualDir Location=\"" + key + "/ROOT\" Path=\"C:\\Inetpub\\site" +
                std::to_string(site) + "\">\n" + Custom(7001, "1") + "</IIsWebVirtualDir>\n";
        for (int dir = 0; dir < 2; ++dir)
            text += "<IIsWebVirtualDir Location=\"" + key + "/ROOT/dir" + std::to_string(dir) +
                    "\" Path=\"D:\\content\\" + std::to_string(dir) + "\">\n</IIsWebVirtualDir>\n";
    }
    return text + kTail;
}

// One Location of about 180 KB and 10,000 <Custom> children under it.
std::string LongPathManyCustoms() {
    std::string location = "/LM/W3SVC/1/ROOT";
    while (location.size() < 180000)
        location += "/dir";
    std::string text = kHead + std::string("<IIsWebVirtualDir Location=\"") + location + "\">\n";
    for (std::uint32_t id = 0; id < 10000; ++id)
        text += "<Custom ID=\"" + std::to_string(id) + "\" Value=\"x\"/>\n";
    return text + "</IIsWebVirtualDir>\n" + kTail;
}

// 150,000 distinct property ids on one key, about 3 MB.
std::string ManyIds() {
    std::string text = kHead + std::string("<IIsWebServer Location=\"/LM/W3SVC/1\">\n");
    for (std::uint32_t id = 0; id < 150000; ++id)
        text += "<Custom ID=\"" + std::to_string(id) + "\"/>\n";
    return text + "</IIsWebServer>\n" + kTail;
}

// One Location "/x/x/x/..." of 24 MB.
std::string DeepPath() {
    std::string location;
    location.reserve(24 << 20);
    while (location.size() < (24u << 20))
        location += "/x";
    return kHead + std::string("<IIsWebServer Location=\"") + location + "\"/>\n" + kTail;
}

bool Parse(const std::string& text) {
    qv::MetabaseModel model;
    std::string error;
    return qv::MetabaseFile::Parse(text, "MetaBase.xml", model, &error);
}

long ResidentKB() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The memory one parse adds, in KB: a child parses once and reports its peak less what it had before.
long ParseMemoryKB(const std::string& text) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    // Free memory kept by the allocator would be reused unseen.
    malloc_trim(0);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const long before = std::max(ResidentKB(), PeakKB());
        Parse(text);
        const long added = PeakKB() - before;
        _exit(write(channel[1], &added, sizeof added) == sizeof added ? 0 : 1);
    }
    close(channel[1]);
    long added = -1;
    if (read(channel[0], &added, sizeof added) != sizeof added)
        added = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return added;
}

void Run(benchmark::State& state, const std::function<std::string()>& make) {
    const std::string text = make();
    const long addedKB = ParseMemoryKB(text);
    bool read = false;
    for (auto _ : state)
        read = Parse(text);
    state.counters["file_MB"] = static_cast<double>(text.size()) / (1 << 20);
    state.counters["added_MB"] = static_cast<double>(addedKB) / 1024;
    state.counters["x_file"] = static_cast<double>(addedKB) * 1024 / static_cast<double>(text.size());
    state.counters["read"] = read ? 1 : 0;
}

void ManySites50MB(benchmark::State& state) {
    Run(state, [] { return ManySites(50u << 20); });
}
void LongLocationManyCustoms(benchmark::State& state) {
    Run(state, LongPathManyCustoms);
}
void ManyPropertyIds(benchmark::State& state) {
    Run(state, ManyIds);
}
void DeepLocation(benchmark::State& state) {
    Run(state, DeepPath);
}

} // namespace

BENCHMARK(ManySites50MB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(LongLocationManyCustoms)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ManyPropertyIds)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(DeepLocation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
