// Reading MetaBase.xml: a 50 MB file of many sites, keys and properties, and three shapes that once made the
// reader slow or huge: one long Location with many <Custom> children, one key with very many distinct
// property ids, and a Location of millions of segments. Reading applicationHost.config: 50 MB of sites and
// pools, the same at a fifth of the size (time must grow with the size, no faster), 50 MB of the smallest
// elements, 50 MB of the smallest sites, one element with very many attributes and elements nested past the
// reader's limit. Each case reports the time of Parse and, measured once in a child process, the memory the
// parse adds on top of the text (peak resident minus resident before) as MB and as a multiple of the file
// size.
#include "webserver/ApplicationHostConfig.h"
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
#include <optional>
#include <string>
#include <string_view>

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

// Sites, each with a root application, two more applications, bindings and a log section, and pools of
// their own with a process model, up to bytes.
std::string AppHostSites(std::size_t bytes) {
    std::string pools = "<applicationPools>\n<applicationPoolDefaults><processModel identityType=\""
                        "ApplicationPoolIdentity\"/></applicationPoolDefaults>\n";
    std::string sites = "<sites>\n<applicationDefaults applicationPool=\"DefaultAppPool\"/>\n";
    for (int site = 1; pools.size() + sites.size() < bytes; ++site) {
        const std::string n = std::to_string(site);
        pools += "<add name=\"Pool " + n + "\" managedRuntimeVersion=\"v4.0\"><processModel identityType=\"" +
                 (site % 2 ? "SpecificUser" : "NetworkService") + "\" userName=\"WEB\\user" + n +
                 "\" password=\"[enc:IISWASOnlyAesProvider:c2VjcmV0:enc]\"/></add>\n";
        sites += "<site name=\"Site " + n + "\" id=\"" + n +
                 "\" serverAutoStart=\"true\">\n"
                 "<application path=\"/\" applicationPool=\"Pool " +
                 n +
                 "\">\n"
                 "<virtualDirectory path=\"/\" physicalPath=\"%SystemDrive%\\inetpub\\site" +
                 n +
                 "\"/>\n"
                 "</application>\n";
        for (int app = 0; app < 2; ++app)
            sites += "<application path=\"/app" + std::to_string(app) +
                     "\"><virtualDirectory path=\"/\" "
                     "physicalPath=\"D:\\apps\\" +
                     std::to_string(app) + "\"/></application>\n";
        sites += "<bindings><binding protocol=\"http\" bindingInformation=\"*:80:site" + n +
                 ".example\"/></bindings>\n<logFile directory=\"D:\\logs\"/>\n</site>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configuration>\n<system.applicationHost>\n" + pools +
           "</applicationPools>\n" + sites + "</sites>\n</system.applicationHost>\n</configuration>\n";
}

// 50 MB of "<a/>".
std::string TinyElementsText() {
    std::string text = "<configuration>";
    text.reserve(50u << 20);
    while (text.size() < (50u << 20))
        text += "<a/>";
    return text + "</configuration>";
}

// 50 MB of the smallest sites: each a key of the model.
std::string BareSitesText() {
    std::string text = "<configuration><system.applicationHost><sites>";
    text.reserve(50u << 20);
    for (int site = 1; text.size() < (50u << 20); ++site)
        text += "<site id=\"" + std::to_string(site) + "\"/>";
    return text + "</sites></system.applicationHost></configuration>";
}

// One element with 100,000 attributes, about 1.3 MB.
std::string ManyAttributesText() {
    std::string text = "<configuration";
    for (int i = 0; i < 100000; ++i)
        text += " a" + std::to_string(i) + "=\"\"";
    return text + "/>";
}

// A million nested elements, refused at the reader's depth.
std::string AppHostDeep() {
    std::string text = "<configuration>";
    for (int i = 0; i < 1000000; ++i)
        text += "<a>";
    return text;
}

using ParseFunction = bool (*)(const std::string& text);

bool ParseMetabase(const std::string& text) {
    qv::MetabaseModel model;
    std::string error;
    return qv::MetabaseFile::Parse(text, "MetaBase.xml", model, &error);
}

bool ParseAppHost(const std::string& text) {
    qv::MetabaseModel model;
    std::string error;
    return qv::ApplicationHostConfig::Parse(
        text, "C:\\config\\applicationHost.config", {}, model, &error,
        [](std::string_view value) { return std::optional<std::string>(value); });
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
long ParseMemoryKB(const std::string& text, ParseFunction parse) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    // Free memory kept by the allocator would be reused unseen.
    malloc_trim(0);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const long before = std::max(ResidentKB(), PeakKB());
        parse(text);
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

void Run(benchmark::State& state, const std::function<std::string()>& make,
         ParseFunction parse = ParseMetabase) {
    const std::string text = make();
    const long addedKB = ParseMemoryKB(text, parse);
    bool read = false;
    for (auto _ : state)
        read = parse(text);
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

void AppHostSites50MB(benchmark::State& state) {
    Run(
        state, [] { return AppHostSites(50u << 20); }, ParseAppHost);
}
void AppHostSites10MB(benchmark::State& state) {
    Run(
        state, [] { return AppHostSites(10u << 20); }, ParseAppHost);
}
void AppHostTinyElements50MB(benchmark::State& state) {
    Run(state, TinyElementsText, ParseAppHost);
}
void AppHostBareSites50MB(benchmark::State& state) {
    Run(state, BareSitesText, ParseAppHost);
}
void AppHostManyAttributes(benchmark::State& state) {
    Run(state, ManyAttributesText, ParseAppHost);
}
void AppHostDeepNesting(benchmark::State& state) {
    Run(state, AppHostDeep, ParseAppHost);
}

} // namespace

BENCHMARK(ManySites50MB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(LongLocationManyCustoms)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ManyPropertyIds)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(DeepLocation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AppHostSites50MB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(AppHostSites10MB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(AppHostTinyElements50MB)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AppHostBareSites50MB)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AppHostManyAttributes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AppHostDeepNesting)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
