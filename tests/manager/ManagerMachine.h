#pragma once
// A fresh machine with an installation and a web server, its sites loaded; Save() counts and can refuse.
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/RegistryKey.h"
#include "settings/ProductKeys.h"
#include "settings/SettingsStore.h"
#include "support/TempMachine.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/WorkerIdentity.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qv::test {

class ManagerMachine {
public:
    // sites: the descriptions of sites 1, 2, ...
    explicit ManagerMachine(const std::vector<std::u16string>& descriptions) {
        RegistryKey::DeleteTree(kProductKey);
        OsVersion::Set(5, 2);
        m_install = (m_machine.Path() / "Program Files" / "Quorvane").string() + kPathSeparator;
        std::filesystem::create_directories(m_install);
        std::ofstream(m_install + "setacl" + kProgramSuffix) << "";
        SetPermissionToolStarter([](const std::string&) { return true; });
        auto model = std::make_shared<MetabaseModel>();
        for (std::size_t i = 0; i < descriptions.size(); ++i) {
            const std::u16string site = u"/LM/W3SVC/" + std::u16string(1, static_cast<char16_t>(u'1' + i));
            const std::filesystem::path root = m_machine.Path() / ("site" + std::to_string(i + 1));
            std::filesystem::create_directories(root);
            model->AddKey(site, u"IIsWebServer");
            model->SetText(site, kMdServerComment, kIisMdUtServer, descriptions[i], kMetadataInherit);
            model->AddKey(site + u"/ROOT", u"IIsWebVirtualDir");
            model->SetText(site + u"/ROOT", kMdVrPath, kIisMdUtFile, root.u16string(), kMetadataInherit);
        }
        MetabaseConnection connection;
        connection.Attach(std::make_unique<ModelAdminBase>(model));
        store = std::make_unique<SettingsStore>(m_install);
        store->LoadAllSites(connection);
    }
    ~ManagerMachine() {
        store.reset();
        SetPermissionToolStarter({});
        RegistryKey::DeleteTree(kProductKey);
    }

    SiteSettings& Site(std::size_t index) { return *store->Sites().at(index); }
    long Save(SiteSettings& record) {
        ++saves;
        return refused.count(record.siteId) ? 5 /* access denied */ : store->SaveSettings(record);
    }
    const std::string& Install() const { return m_install; }

    std::unique_ptr<SettingsStore> store;
    int saves = 0;
    std::set<std::uint32_t> refused;

private:
    TempMachine m_machine;
    std::string m_install;
};

} // namespace qv::test
