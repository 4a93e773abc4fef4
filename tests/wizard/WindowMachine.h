#pragma once
// A fresh machine for the wizard: an installation with a templates folder and a permission tool, a web
// server whose sites have roots on disk, and the wizard's sites loaded from it.
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/RegistryKey.h"
#include "settings/ProductKeys.h"
#include "support/TempMachine.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/WorkerIdentity.h"
#include "wizard/core/WizardSites.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qv::test {

class WindowMachine {
public:
    struct Site {
        std::uint32_t id;
        std::u16string description;
    };

    explicit WindowMachine(const std::vector<Site>& sites = {{1, u"Alpha"}, {2, u"Beta"}, {3, u"Gamma"}}) {
        RegistryKey::DeleteTree(kProductKey);
        OsVersion::Set(5, 2);
        m_install = (m_machine.Path() / "Program Files" / "Quorvane").string() + kPathSeparator;
        std::filesystem::create_directories(m_install + "Templates");
        std::ofstream(m_install + "setacl" + kProgramSuffix) << "";
        for (const char* name : {"404.htm", "500.htm", "rules.qv"})
            std::ofstream(m_install + "Templates" + kPathSeparator + name) << "template " << name << "\n";
        SetPermissionToolStarter([](const std::string&) { return true; });
        auto model = std::make_shared<MetabaseModel>();
        for (const Site& site : sites) {
            const std::string number = std::to_string(site.id);
            const std::u16string key = u"/LM/W3SVC/" + std::u16string(number.begin(), number.end());
            const std::filesystem::path root = Root(site.id);
            std::filesystem::create_directories(root);
            model->AddKey(key, u"IIsWebServer");
            model->SetText(key, kMdServerComment, kIisMdUtServer, site.description, kMetadataInherit);
            model->AddKey(key + u"/ROOT", u"IIsWebVirtualDir");
            model->SetText(key + u"/ROOT", kMdVrPath, kIisMdUtFile, root.u16string(), kMetadataInherit);
        }
        m_model = model;
    }
    ~WindowMachine() {
        sites.reset();
        SetPermissionToolStarter({});
        RegistryKey::DeleteTree(kProductKey);
    }

    // Loads the sites as the wizard's frame does at its start.
    WizardSites& Load() {
        MetabaseConnection connection;
        connection.Attach(std::make_unique<ModelAdminBase>(m_model));
        sites = std::make_unique<WizardSites>(m_install);
        sites->Load(connection);
        return *sites;
    }

    std::filesystem::path Root(std::uint32_t id) const {
        return m_machine.Path() / ("site" + std::to_string(id));
    }
    const std::string& Install() const { return m_install; }

    // The stored text of a site's value (0: the default entry), without its terminator; empty when
    // missing.
    static std::string Stored(std::uint32_t siteId, const char* name) {
        RegistryKey key;
        std::string bytes;
        const std::string path =
            siteId ? std::string(kSitesKey) + "\\" + std::to_string(siteId) : std::string(kSitesKey);
        if (key.Open(path, RegAccess::Read) != 0 || key.ReadValue(name, nullptr, bytes) != 0)
            return {};
        return bytes.substr(0, bytes.find('\0'));
    }

    std::unique_ptr<WizardSites> sites;

private:
    TempMachine m_machine;
    std::string m_install;
    std::shared_ptr<MetabaseModel> m_model;
};

} // namespace qv::test
