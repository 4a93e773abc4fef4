#pragma once
// A machine for the wizard: the installation with its templates and permission tool, web sites 3 and 1 (in
// that walk order) with roots below the machine, and the wizard's sites loaded from it.
#include "settings/SiteMachine.h"
#include "wizard/core/DeploymentPlan.h"
#include "wizard/core/DeploymentRunner.h"
#include "wizard/core/WizardSites.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::test {

class WizardMachineTest : public SiteMachineTest {
protected:
    void SetUp() override {
        SiteMachineTest::SetUp();
        MakeTemplates();
        m_root3 = MakeDirectory("shop");
        m_root1 = MakeDirectory("www");
        AddWebSite(u"3", m_root3, u"Shop");
        AddWebSite(u"AppPools", "");
        AddWebSite(u"1", m_root1, u"Default Web Site");
    }

    WizardSites& Load() {
        m_sites = std::make_unique<WizardSites>(m_install);
        m_sites->Load(Connect());
        return *m_sites;
    }
    SiteSettings& Record(std::uint32_t siteId) { return *m_sites->Records()[m_sites->PositionOf(siteId)]; }
    // Chooses the sites named, runs the deployment and answers its report.
    DeploymentReport Deploy(const std::vector<std::uint32_t>& chosen, const std::string& directory,
                            bool examples = true, bool rules = true) {
        for (const auto& record : m_sites->Records())
            record->EnableDisable = std::find(chosen.begin(), chosen.end(), record->siteId) != chosen.end();
        const DeploymentPlan plan(m_sites->DefaultRecord(), m_sites->RecordPointers(),
                                  {directory, examples, rules});
        return DeploymentRunner(m_sites->Store()).Run(plan);
    }

    static std::string SiteKey(std::uint32_t siteId) {
        return siteId == 0 ? std::string(kSitesKey) : std::string(kSitesKey) + "\\" + std::to_string(siteId);
    }
    // A stored REG_SZ without its terminator, or "-".
    std::string Text(std::uint32_t siteId, const char* name) const {
        const std::optional<std::string> stored = Stored(SiteKey(siteId), name);
        return stored ? stored->substr(0, stored->find('\0')) : "-";
    }

    std::string m_root1;
    std::string m_root3;
    std::unique_ptr<WizardSites> m_sites;
};

} // namespace qv::test
