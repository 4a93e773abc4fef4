#include "SiteMachine.h"
#include "settings/SettingsStore.h"

namespace qv::test {
namespace {

using Ids = std::vector<std::uint32_t>;

std::string SiteKey(std::uint32_t siteId) {
    return std::string(kSitesKey) + "\\" + std::to_string(siteId);
}

class StoreTest : public SiteMachineTest {
protected:
    void SetUp() override {
        SiteMachineTest::SetUp();
        m_store = std::make_unique<SettingsStore>(m_install);
    }

    Ids SiteIds() const {
        Ids ids;
        for (const auto& record : m_store->Sites())
            ids.push_back(record->siteId);
        return ids;
    }
    // The text of a REG_SZ of the site's key (0: the default entry) without its terminator.
    std::optional<std::string> StoredText(std::uint32_t siteId, const char* name) const {
        auto stored = Stored(siteId ? SiteKey(siteId) : std::string(kSitesKey), name);
        if (stored)
            stored->resize(stored->find('\0'));
        return stored;
    }
    // One site with a root below the machine, loaded into the store.
    SiteSettings& LoadOneSite(const std::string& rootName = "site1") {
        m_root = MakeDirectory(rootName);
        AddWebSite(u"1", m_root, u"First site");
        EXPECT_TRUE(m_store->LoadAllSites(Connect()));
        EXPECT_EQ(m_store->Sites().size(), 1u);
        return *m_store->Sites().front();
    }
    std::string InRoot(const std::string& name) const { return JoinPathAlways(m_root, name); }
    void Save(SiteSettings& record, const std::string& directory) {
        record.Directory = directory;
        EXPECT_EQ(m_store->SaveSettings(record), 0);
    }

    std::unique_ptr<SettingsStore> m_store;
    std::string m_root;
};

TEST_F(StoreTest, ArrayIsSortedByNumberAndKeepsEqualNumbersInOrder) {
    AddWebSite(u"1", MakeDirectory("one"));
    AddWebSite(u"3", MakeDirectory("three"));
    AddWebSite(u"2", MakeDirectory("two"));
    AddWebSite(u"7", MakeDirectory("seven"), u"plain seven");
    AddWebSite(u"07", MakeDirectory("oh seven"));
    AddWebSite(u"5", "", u"Rootless");
    ASSERT_TRUE(m_store->LoadAllSites(Connect()));
    EXPECT_EQ(SiteIds(), (Ids{1, 2, 3, 5, 7, 7}));
    EXPECT_EQ(m_store->Sites()[5]->description, "plain seven"); // both read site 7's data
    // A site without root is a zero record and gets no key.
    EXPECT_EQ(m_store->Sites()[3]->EnableDisable, 0);
    EXPECT_FALSE(StoredText(5, value::Directory));
    m_store->ReleaseAllSites();
    for (int id = 11; id >= 1; --id) // added one by one, in reverse
        AddWebSite(TextCodec::ToUtf16(std::to_string(id)), MakeDirectory("s" + std::to_string(id)));
    for (std::uint32_t id = 11; id >= 1; --id)
        ASSERT_NE(m_store->AddSite(m_connection, id, nullptr), nullptr);
    EXPECT_EQ(SiteIds(), (Ids{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    // A server without numbered sites gives no array, nor loads the default entry.
    m_model = std::make_shared<MetabaseModel>();
    AddWebSite(u"AppPools", "");
    AddWebSite(u"0", MakeDirectory("zero"));
    SettingsStore empty(m_install);
    EXPECT_FALSE(empty.LoadAllSites(Connect()));
    EXPECT_TRUE(empty.Sites().empty() && empty.DefaultRecord().Directory.empty());
}

TEST_F(StoreTest, KeysAreFilledFromTheDefaultEntryAndOnlyNewOnesDeployTemplates) {
    MakeTemplates();
    StoreText(kSitesKey, value::Dyn404, "1");
    StoreText(kSitesKey, value::LogDir, "[PROGFILES]Logs/site [SITE]/");
    StoreText(SiteKey(1), value::Directory, "custom"); // site 1's key is there, incomplete
    MakeDirectory("site1/custom");
    m_root = MakeDirectory("site1");
    MakeDirectory("site2/errors");
    AddWebSite(u"1", m_root);
    AddWebSite(u"2", MakeDirectory("site2"));
    ASSERT_TRUE(m_store->LoadAllSites(Connect()));
    const SiteSettings& site = *m_store->Sites().front();
    EXPECT_EQ(site.loadedDirectory, "custom");
    EXPECT_EQ(site.Dyn404, 1);
    // The record holds the site's path, the key the template's tokens.
    EXPECT_EQ(site.LogDir, m_install + "Logs/site 1/");
    EXPECT_EQ(StoredText(1, value::LogDir), "[PROGFILES]Logs/site [SITE]/");
    for (const char* name : {value::EnableDisable, value::ServerState, value::Dyn404, value::SendErrorImage,
                             value::Logging, value::LogThreshold, value::Directory, value::LogDir,
                             value::ExtList, value::DynExtList, value::ImgFilters, value::ImgExts})
        EXPECT_TRUE(StoredText(1, name) && StoredText(2, name)) << name; // both keys are whole
    EXPECT_EQ(Files(m_root), NameList{"custom/"}); // site 1's key was there: nothing deployed
    EXPECT_EQ(Files(MakeDirectory("site2")), (NameList{"errors/", "errors/404.gif=t", "errors/404.htm=t",
                                                       "rules.qv=# template rules\n/old\t/new\n"}));
    // A new key of a disabled default entry gets no files.
    RegistryKey::DeleteTree(SiteKey(1));
    StoreText(kSitesKey, value::EnableDisable, "0");
    MakeDirectory("site1/errors");
    ASSERT_TRUE(m_store->LoadAllSites(m_connection));
    EXPECT_EQ(StoredText(1, value::EnableDisable), "0");
    EXPECT_EQ(Files(m_root), (NameList{"custom/", "errors/"}));
    EXPECT_TRUE(Files(InRoot("errors")).empty());
}

TEST_F(StoreTest, WizardRecordsComeFromTheTemplateAloneAndItsSaveNeverRelocates) {
    StoreText(SiteKey(1), value::Directory, "stored");
    const std::string root = MakeDirectory("wizard site");
    AddWebSite(u"1", root);
    SiteSettings templ;
    LoadDefaultEntry(templ, m_install);
    templ.Directory = "wizard errors";
    const auto record = m_store->BuildSiteFromTemplate(Connect(), 1, templ);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->loadedDirectory, "wizard errors");
    EXPECT_FALSE(StoredText(1, value::EnableDisable));
    MakeDirectory("wizard site/wizard errors");
    record->Directory = "renamed";
    EXPECT_EQ(m_store->SaveSettingsForWizard(*record), 0);
    EXPECT_EQ(StoredText(1, value::Directory), "renamed");
    EXPECT_EQ(Files(root), NameList{"wizard errors/"});
    EXPECT_TRUE(m_commands.empty());
}

TEST_F(StoreTest, SavingWritesTheKeyAndTheDefaultEntryItsOwn) {
    StoreText(SiteKey(1), value::LogDir, "[PROGFILES]Logs/[SITE]/x[SITE]");
    SiteSettings& site = LoadOneSite();
    site.LogThreshold = 9;
    site.ExtList.Clear();
    StoreText(SiteKey(1), value::LogThreshold, "7");
    EXPECT_EQ(m_store->SaveSettings(site), 0);
    EXPECT_EQ(StoredText(1, value::LogThreshold), "7");               // the manager leaves it
    EXPECT_EQ(StoredText(1, value::LogDir), m_install + "Logs/1/x1"); // the tokens stayed until now
    EXPECT_FALSE(Exists(site.LogDir));                                // no logging, no log directory
    site.Logging = 1;
    site.LogDir = JoinPath(JoinPath(m_machine.Str(), "log files"), "W3SVC1") + kPathSeparator;
    EXPECT_EQ(m_store->SaveSettings(site), 0);
    EXPECT_EQ(GrantsFor(site.LogDir), 2u);
    // The default entry's path still holds "[SITE]": no folder of that name is made.
    SiteSettings& defaults = m_store->DefaultRecord();
    defaults.Logging = 1;
    defaults.LogDir = JoinPath(m_machine.Str(), "log files/W3SVC[SITE]");
    EXPECT_EQ(m_store->SaveSettings(defaults), 0);
    EXPECT_EQ(StoredText(0, value::LogDir), defaults.LogDir);
    EXPECT_FALSE(Exists(defaults.LogDir));
}

TEST_F(StoreTest, ANewErrorFolderNameMovesTheFilesWithoutReplacingAnyOrEmptyingTheRoot) {
    // Quotes, spaces and a non-ASCII letter in the root and the names.
    SiteSettings& site = LoadOneSite("site " + Quote() + "root" + Quote() + " \xc3\xa9");
    Save(site, "fresh/errors"); // without templates the new name is not taken as done
    EXPECT_EQ(site.loadedDirectory, "errors");
    MakeTemplates(); // neither rules.qv nor the subfolder arrive
    m_commands.clear();
    EXPECT_EQ(m_store->SaveSettings(site), 0);
    EXPECT_EQ(Files(InRoot("fresh/errors")), (NameList{"404.gif=t", "404.htm=t", "500.htm=t"}));
    EXPECT_EQ(GrantsFor(InRoot("fresh/errors")), 2u);
    EXPECT_EQ(site.loadedDirectory, "fresh/errors");
    // The files of the root after the folder loaded is renamed, given the files before and the grants due.
    const auto relocate = [&](const char* loaded, const NameList& before, const std::string& renamed,
                              std::size_t grants) {
        SCOPED_TRACE(renamed);
        std::filesystem::remove_all(FileSystem::Native(m_root));
        for (const std::string& file : before)
            WriteFile(InRoot(file.substr(0, file.find('='))), file.substr(file.find('=') + 1));
        m_commands.clear();
        site.loadedDirectory = loaded;
        Save(site, renamed);
        EXPECT_EQ(site.loadedDirectory, renamed);
        EXPECT_EQ(GrantsFor(InRoot(renamed)), grants);
        EXPECT_EQ(m_commands.size(), grants);
        return Files(m_root);
    };
    // Clashes and what is no error file stay in the source.
    EXPECT_EQ(relocate("errors",
                       {"errors/a.htm=a", "errors/b.htm=b old", "errors/rules.qv=r", "errors/sub/c.htm=c",
                        "new/b.htm=b"},
                       "new", 2),
              (NameList{"errors/", "errors/b.htm=b old", "errors/rules.qv=r", "errors/sub/",
                        "errors/sub/c.htm=c", "new/", "new/a.htm=a", "new/b.htm=b"}));
    EXPECT_EQ(relocate("gone", {"other/404.htm=own page"}, "other", 2),
              (NameList{"other/", "other/404.gif=t", "other/404.htm=own page", "other/500.htm=t"}));
    EXPECT_EQ(relocate("", {"index.htm=home page"}, "errors", 2),
              (NameList{"errors/", "errors/404.gif=t", "errors/404.htm=t", "errors/500.htm=t",
                        "index.htm=home page"}));
    const std::string quoted = "erreurs " + Quote() + "\xc3\xa9t\xc3\xa9" + Quote(), moved = quoted + "/";
    EXPECT_EQ(
        relocate("old errors", {"old errors/404.htm=own page", "old errors/rules.qv=kept along"}, quoted, 0),
        (NameList{moved, moved + "404.htm=own page", moved + "rules.qv=kept along"}));
    // Letter case counts where the file system counts it.
    site.loadedDirectory = "errors";
    std::filesystem::rename(FileSystem::Native(InRoot(quoted)), FileSystem::Native(InRoot("errors")));
    Save(site, "Errors");
    const std::string kept = FileNamesEqual("errors", "Errors") ? "errors" : "Errors";
    EXPECT_EQ(site.loadedDirectory, kept); // nothing moved, nothing to remember
    EXPECT_EQ(Files(m_root),
              (NameList{kept + "/", kept + "/404.htm=own page", kept + "/rules.qv=kept along"}));
    m_commands.clear(); // the default entry makes no folders
    const std::string name = "qv-nowhere-" + m_machine.Path().filename().string();
    Save(m_store->DefaultRecord(), name);
    EXPECT_FALSE(Exists(JoinPathAlways("", name)) || Exists(name));
    EXPECT_EQ(StoredText(0, value::Directory), name);
    EXPECT_TRUE(m_commands.empty());
}

} // namespace
} // namespace qv::test
