#pragma once
// A machine of many web sites for the benchmarks of the settings store and the Settings Manager: a fresh
// machine directory with an installation directory, a web server of our making, and the process's peak
// memory.
#include "platform/MachineDirectory.h"
#include "platform/TextCodec.h"
#include "settings/SettingsStore.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace qv::bench {

inline constexpr int kSites = 10000;

// A fresh machine directory with an installation directory, removed afterwards.
class BenchMachine {
public:
    BenchMachine() {
        m_path =
            std::filesystem::temp_directory_path() / ("qv-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_path / "install");
        MachineDirectory::Set(m_path.string());
    }
    ~BenchMachine() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchMachine(const BenchMachine&) = delete;
    BenchMachine& operator=(const BenchMachine&) = delete;

    std::string Install() const { return (m_path / "install").string() + "/"; }
    // A site's root below folder of the machine.
    std::string Root(int site, const std::string& folder = "sites") const {
        return (m_path / folder / ("site" + std::to_string(site))).string();
    }

private:
    std::filesystem::path m_path;
};

// The web server: sites 1..count, each with a description and a root below rootsFolder (the roots need not
// exist).
inline std::shared_ptr<const MetabaseModel> MakeServer(const BenchMachine& machine, int count = kSites,
                                                       const std::string& rootsFolder = "sites") {
    auto model = std::make_shared<MetabaseModel>();
    model->AddKey(u"/LM/W3SVC", u"IIsWebService");
    for (int site = 1; site <= count; ++site) {
        const std::u16string key = u"/LM/W3SVC/" + TextCodec::ToUtf16(std::to_string(site));
        model->AddKey(key, u"IIsWebServer");
        model->SetText(key, kMdServerComment, kIisMdUtServer,
                       TextCodec::ToUtf16("Site " + std::to_string(site)), kMetadataInherit);
        model->AddKey(key + u"/ROOT", u"IIsWebVirtualDir");
        model->SetText(key + u"/ROOT", kMdVrPath, kIisMdUtFile,
                       TextCodec::ToUtf16(machine.Root(site, rootsFolder)), kMetadataInherit);
    }
    return model;
}

// Every site of the server loaded into store; a benchmark that could not load them all stops.
inline void LoadSites(SettingsStore& store, const std::shared_ptr<const MetabaseModel>& server) {
    MetabaseConnection connection;
    connection.Attach(std::make_unique<ModelAdminBase>(server));
    if (!store.LoadAllSites(connection) || store.Sites().size() != kSites)
        std::abort();
}

// The installation's templates (a few error files and the rules file) and a permission tool to find, as a
// deployment copies and starts them.
inline void WriteDeploymentFiles(const BenchMachine& machine) {
    const auto write = [](const std::filesystem::path& path, const std::string& content) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    };
    const std::filesystem::path templates = std::filesystem::path(machine.Install()) / "Templates";
    write(templates / "404.htm", std::string(2048, 'p'));
    write(templates / "404.gif", std::string(1024, 'g'));
    write(templates / "500.htm", std::string(2048, 'p'));
    write(templates / "rules.qv", "# rules\n/old\t/new\n");
    write(std::filesystem::path(machine.Install()) / "setacl", "");
}

inline double PeakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace qv::bench
