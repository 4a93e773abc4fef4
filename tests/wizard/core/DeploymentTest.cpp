// The wizard's sites and its deployment on a machine: what each choice writes into the registry and the site
// roots, and what the report says.
#include "WizardMachine.h"

namespace qv::test {
namespace {

using Names = std::vector<std::string>;
const Names kExampleFiles = {"404.gif=t", "404.htm=t", "500.htm=t"};

class DeploymentTest : public WizardMachineTest {};

TEST_F(DeploymentTest, SitesInWalkOrderFromTheDefaultEntryAlone) {
    StoreText(kSitesKey, value::Dyn404, "1");
    StoreText(SiteKey(1), value::Directory, "custom"); // a site's own settings are not read
    StoreText(SiteKey(1), value::EnableDisable, "0");
    AddWebSite(u"0", MakeDirectory("zero")); // not a site
    WizardSites& sites = Load();
    ASSERT_EQ(sites.Count(), 2u);
    EXPECT_EQ(sites.Capacity(), 3u);
    EXPECT_EQ(sites.Records()[0]->siteId, 3u);
    EXPECT_EQ(sites.Records()[1]->siteId, 1u);
    for (const auto& record : sites.Records()) {
        EXPECT_EQ(record->Directory, "errors");
        EXPECT_EQ(record->EnableDisable, 1);
        EXPECT_EQ(record->Dyn404, 1);
    }
    EXPECT_EQ(Record(1).description, "Default Web Site");
    EXPECT_EQ(Record(1).siteRoot, m_root1);
    EXPECT_EQ(Text(1, value::Directory), "custom"); // loading writes nothing
    EXPECT_EQ(sites.PositionOf(2), -1);
}

TEST_F(DeploymentTest, NoSiteLeavesTheFrameEmpty) {
    m_model = std::make_shared<MetabaseModel>();
    AddWebSite(u"AppPools", "");
    AddWebSite(u"0", MakeDirectory("zero"));
    WizardSites& sites = Load();
    EXPECT_TRUE(sites.Empty());
    EXPECT_EQ(sites.Capacity(), 0u);
    // A metabase that cannot be opened gives the same.
    MetabaseConnection closed;
    EXPECT_FALSE(sites.Load(closed));
    EXPECT_TRUE(sites.Empty());
}

// Each chosen site gets the typed directory with the templates and its rules file; every site and the default
// entry get the name; the progress counts the sites.
TEST_F(DeploymentTest, TypedDirectoryEverywhere) {
    Load();
    for (const auto& record : m_sites->Records())
        record->EnableDisable = record->siteId == 1;
    const DeploymentPlan plan(m_sites->DefaultRecord(), m_sites->RecordPointers(),
                              {"web-errors", true, true});
    std::vector<std::string> progress;
    const DeploymentReport report =
        DeploymentRunner(m_sites->Store()).Run(plan, [&](std::size_t n, std::size_t m) {
            progress.push_back(std::to_string(n) + "/" + std::to_string(m));
        });
    EXPECT_EQ(progress, (Names{"0/2", "1/2", "2/2"}));
    for (std::uint32_t site : {0u, 1u, 3u})
        EXPECT_EQ(Text(site, value::Directory), "web-errors") << site;
    EXPECT_EQ(Text(1, value::EnableDisable), "1");
    EXPECT_EQ(Text(3, value::EnableDisable), "0");
    Names expected = {"rules.qv=# template rules\n/old\t/new\n", "web-errors/"};
    for (const std::string& file : kExampleFiles)
        expected.push_back("web-errors/" + file);
    EXPECT_EQ(Files(m_root1), expected);
    EXPECT_EQ(Files(m_root3), Names{});
    EXPECT_EQ(GrantsFor(FileSystem::LocalPath(JoinPath(m_root1, "web-errors"))), 2u);
    EXPECT_TRUE(report.Complete()) << report.Lines();
    EXPECT_EQ(report.Lines(), "Default settings: wrote settings.\n"
                              "Site 3 (Shop), disabled: wrote settings.\n"
                              "Site 1 (Default Web Site), enabled: wrote settings, error folder " +
                                  FileSystem::LocalPath(JoinPath(m_root1, "web-errors")) +
                                  ", 3 example files, rules file.\n");
    EXPECT_EQ(report.Summary(), "Deployed 2 sites (1 enabled) with no failure.");
}

// What lands in site 1's root for each choice, with the root holding files of its own beforehand.
TEST_F(DeploymentTest, ChoicesAndExistingFiles) {
    const struct {
        const char* name;
        std::vector<std::uint32_t> chosen;
        bool examples;
        bool rules;
        Names root1;
    } cases[] = {
        {"nothing chosen", {}, true, true, {"errors/", "errors/404.htm=mine", "rules.qv=own"}},
        {"examples without rules",
         {1, 3},
         true,
         false,
         {"errors/", "errors/404.gif=t", "errors/404.htm=t", "errors/500.htm=t", "rules.qv=own"}},
        {"rules without examples", {1}, false, true, {"errors/", "errors/404.htm=mine", "rules.qv=own"}},
    };
    for (const auto& c : cases) {
        RegistryKey::DeleteTree(kProductKey);
        std::filesystem::remove_all(FileSystem::Native(m_root1));
        std::filesystem::remove_all(FileSystem::Native(m_root3));
        MakeDirectory(m_root3);
        WriteFile(JoinPath(m_root1, "rules.qv"), "own");
        WriteFile(JoinPath(JoinPath(m_root1, "errors"), "404.htm"), "mine");
        Load();
        const DeploymentReport report = Deploy(c.chosen, "errors", c.examples, c.rules);
        EXPECT_TRUE(report.Complete()) << c.name << "\n" << report.Lines();
        EXPECT_EQ(Files(m_root1), c.root1) << c.name;
        const bool chosen3 = std::find(c.chosen.begin(), c.chosen.end(), 3u) != c.chosen.end();
        EXPECT_EQ(Files(m_root3).empty(), !chosen3 || !c.examples) << c.name;
        for (std::uint32_t site : {1u, 3u}) {
            const bool chosen = std::find(c.chosen.begin(), c.chosen.end(), site) != c.chosen.end();
            EXPECT_EQ(Text(site, value::EnableDisable), chosen ? "1" : "0") << c.name;
            EXPECT_EQ(Text(site, value::LogThreshold), "5") << c.name;
        }
    }
    EXPECT_EQ(Deploy({1}, "errors").Find(1)->written.back(), "own rules file kept");
}

TEST_F(DeploymentTest, StoredSettingsAreReplaced) {
    StoreText(SiteKey(1), value::Dyn404, "1");
    StoreText(SiteKey(1), value::LogThreshold, "9");
    StoreText(SiteKey(1), value::ExtList, "shtml");
    StoreText(SiteKey(1), value::Directory, "custom");
    Load();
    EXPECT_TRUE(Deploy({}, "errors").Complete());
    EXPECT_EQ(Text(1, value::Dyn404), "0");
    EXPECT_EQ(Text(1, value::LogThreshold), "5");
    EXPECT_EQ(Text(1, value::ExtList), "htm,html");
    EXPECT_EQ(Text(1, value::Directory), "errors");
}

// Missing templates and permission tool, and a site whose folders cannot be made: each piece is reported and
// the deployment goes on to the next site.
TEST_F(DeploymentTest, FailuresAreReportedAndNothingStops) {
    Load();
    std::filesystem::remove_all(FileSystem::Native(Templates()));
    std::filesystem::remove(FileSystem::Native(m_install + "setacl" + kProgramSuffix));
    // Site 3's root lies below a file: nothing can be made there.
    WriteFile(JoinPath(m_machine.Str(), "blocked"), "x");
    Record(3).siteRoot = JoinPath(JoinPath(m_machine.Str(), "blocked"), "shop");
    Record(1).Logging = 1;
    Record(1).LogDir = JoinPath(JoinPath(m_machine.Str(), "blocked"), "logs");

    const DeploymentReport report = Deploy({1, 3}, "errors");
    EXPECT_FALSE(report.Complete());
    ASSERT_EQ(report.GeneralFailures().size(), 1u);
    EXPECT_NE(report.GeneralFailures()[0].find("permission tool"), std::string::npos);
    const auto failed = [&](std::uint32_t site) {
        std::string text;
        for (const std::string& failure : report.Find(site)->failed)
            text += failure.substr(0, failure.find(' ', failure.find(' ') + 1)) + ";";
        return text;
    };
    EXPECT_EQ(failed(3), "error folder;templates folder;rules file;");
    EXPECT_EQ(failed(1), "log folder;templates folder;rules file;");
    // Both keys were still written, in full.
    EXPECT_EQ(Text(3, value::Directory), "errors");
    EXPECT_EQ(Text(1, value::LogThreshold), "5");
    EXPECT_NE(Text(1, value::ImgExts), "-");
    EXPECT_EQ(report.Find(1)->written.front(), "settings");
    EXPECT_EQ(report.Summary(), "Deployed 2 sites (2 enabled) with 7 failures.");
}

} // namespace
} // namespace qv::test
