#include "support/TempMachine.h"

#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/WorkerIdentity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

class WorkerAccount : public ::testing::Test {
protected:
    void SetUp() override {
        OsVersion::Set(5, 2);
        // AppPools hands type 2 down to pools without one; site 100 has no AppPoolId anywhere above it.
        m_model.SetDword(u"/LM/W3SVC/AppPools", kMdAppPoolIdentityType, kIisMdUtServer, 2, kMetadataInherit);
        m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"IWAM_WEB", kMetadataInherit);
        m_model.AddKey(u"/LM/W3SVC/100");
    }
    // Site n runs in a pool of its own of the given identity type and user (none: not set).
    void Site(std::uint32_t n, std::optional<std::uint32_t> type, std::optional<std::u16string> user = {}) {
        const std::u16string number = TextCodec::ToUtf16(std::to_string(n)),
                             pool = u"/LM/W3SVC/AppPools/Pool" + number;
        m_model.SetText(u"/LM/W3SVC/" + number, kMdAppAppPoolId, kIisMdUtServer, u"Pool" + number,
                        kMetadataInherit);
        m_model.AddKey(pool);
        if (type)
            m_model.SetDword(pool, kMdAppPoolIdentityType, kIisMdUtServer, *type, kMetadataInherit);
        if (user)
            m_model.SetText(pool, kMdWamUserName, kIisMdUtFile, *user, kMetadataInherit);
    }
    std::optional<std::string> Find(std::uint32_t siteId) {
        MetabaseConnection connection;
        connection.Attach(std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(m_model)));
        return FindWorkerAccount(connection, siteId);
    }

    MetabaseModel m_model;
};

TEST_F(WorkerAccount, Iis6TakesTheAccountFromTheSitesApplicationPool) {
    Site(10, 0);
    Site(11, 1);
    Site(12, 2);
    Site(13, 3, u"CONTOSO\\webuser");
    Site(14, 0x103, u""); // a specific user left empty
    Site(15, 0x102);      // only the low byte counts
    Site(16, 5);
    Site(17, std::nullopt);                 // inherits AppPools' type
    Site(19, 3, std::u16string(260, u'x')); // never a cut account
    m_model.SetText(u"/LM/W3SVC/18", kMdAppAppPoolId, kIisMdUtServer, u"NoSuchPool", kMetadataInherit);
    const std::pair<std::uint32_t, std::optional<std::string>> cases[] = {
        {10, {}}, {11, "IIS_WPG"}, {12, "IIS_WPG"}, {13, "CONTOSO\\webuser"},
        {14, {}}, {15, "IIS_WPG"}, {16, {}},        {17, "IIS_WPG"},
        {18, {}}, {19, {}},        {100, {}},       {999, {}}};
    for (const auto& [site, account] : cases)
        EXPECT_EQ(Find(site), account) << site;
}

// IIS keeps the isolation switch as a number, and a number asked as text is not found: the pool decides.
// Older servers give every site the service's WAM user.
TEST_F(WorkerAccount, Iis5IsolationModeCountsOnlyAsTextAndOlderServersTakeTheServicesWamUser) {
    Site(1, 2);
    m_model.SetDword(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, 1, kMetadataNoAttributes);
    EXPECT_EQ(Find(1), "IIS_WPG");
    for (const std::u16string text : {u"1", u"0"}) {
        m_model.SetText(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, text, 0);
        EXPECT_EQ(Find(1), text == u"1" ? std::nullopt : std::optional<std::string>("IIS_WPG"));
    }
    for (auto [major, minor] : {std::pair{5, 1}, std::pair{6, 0}}) {
        OsVersion::Set(major, minor);
        EXPECT_EQ(Find(1), "IWAM_WEB") << major << "." << minor;
        EXPECT_EQ(Find(77), "IWAM_WEB");
    }
    m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"", kMetadataInherit);
    EXPECT_FALSE(Find(1));
    EXPECT_FALSE(FindWorkerAccount(MetabaseConnection(), 1));
}

class Grants : public ::testing::Test {
protected:
    void SetUp() override {
        OsVersion::Set(5, 2);
        SetAccountQualifier(std::string("WEBHOST"));
        SetPermissionToolStarter([this](const std::string& commandLine) {
            m_started.push_back(commandLine);
            return true;
        });
        std::filesystem::create_directories(m_install);
        std::ofstream(Tool()) << "tool";
        std::filesystem::create_directories(m_directory);
    }
    void TearDown() override {
        SetPermissionToolStarter(nullptr);
        SetAccountQualifier(std::nullopt);
        OsVersion::Set(5, 2);
    }
    std::string Tool() const { return JoinPath(m_install, std::string("setacl") + kProgramSuffix); }
    // The starts since the last call, as the tool reads its arguments from the Windows command line.
    std::vector<std::vector<std::string>> Started() {
        std::vector<std::vector<std::string>> started;
        for (const std::string& line : m_started)
            started.push_back(Process::SplitCommandLine(line));
        m_started.clear();
        return started;
    }
    // A read and a write grant for each account.
    static std::vector<std::vector<std::string>> Expected(const std::string& tool,
                                                          const std::string& directory,
                                                          const std::vector<std::string>& accounts) {
        std::vector<std::vector<std::string>> expected;
        for (const std::string& account : accounts)
            for (const char* right : {"/read", "/write"})
                expected.push_back({tool, directory, "/dir", "/grant", account, right, "/silent"});
        return expected;
    }

    TempMachine m_machine;
    std::string m_install = m_machine.Str() + kPathSeparator + "install";
    std::string m_directory = m_machine.Str() + kPathSeparator + "errors dir";
    std::vector<std::string> m_started;
};

// IIS 7 and later grant as the older servers do, and without an account to their workers' group IIS_IUSRS.
TEST_F(Grants, AccountsAreQualifiedOnIis6OnlyWhenTheyNameNoDomain) {
    const std::tuple<int, int, std::optional<std::string>, std::vector<std::string>> cases[] = {
        {5, 2, "CONTOSO_web", {"WEBHOST\\CONTOSO_web"}},
        {5, 2, std::nullopt, {"WEBHOST\\IIS_WPG"}},
        {5, 2, "FENWICKHALE\\svc-intranet", {"FENWICKHALE\\svc-intranet"}},
        {5, 1, "IWAM_WEB", {"IWAM_WEB", "SYSTEM"}},
        {5, 1, std::nullopt, {"IIS_WPG", "SYSTEM"}},
        {5, 1, "OLDBOX\\IWAM_WEB", {"OLDBOX\\IWAM_WEB", "SYSTEM"}},
        {10, 0, "IIS AppPool\\Shop Pool", {"IIS AppPool\\Shop Pool", "SYSTEM"}},
        {6, 0, std::nullopt, {"IIS_IUSRS", "SYSTEM"}},
        {10, 0, "svc-portal@larkspur.example", {"svc-portal@larkspur.example", "SYSTEM"}}};
    for (const auto& [major, minor, account, granted] : cases) {
        OsVersion::Set(major, minor);
        GrantDirectoryAccess(m_install, m_directory, account);
        EXPECT_EQ(Started(), Expected(Tool(), m_directory, granted)) << account.value_or("(none)");
    }
}

TEST_F(Grants, PathsReachTheToolWholeWhateverTheyEndInOrHold) {
    // A final separator on either path, and on POSIX a quotation mark in a directory name (Windows names hold
    // none): the Windows split gives each path back whole.
    std::vector<std::string> directories = {m_directory + kPathSeparator, m_directory + "\\"};
    if (kPathSeparator == '/')
        directories.push_back(m_machine.Str() + "/say \"hi\\\" /grant \"Everyone\\");
    const std::string tool = m_install + kPathSeparator + kPathSeparator + "setacl" + kProgramSuffix;
    for (const std::string& directory : directories) {
        std::filesystem::create_directories(FileSystem::Native(directory));
        GrantDirectoryAccess(m_install + kPathSeparator, directory, std::string("user"));
        EXPECT_EQ(Started(), Expected(tool, directory, {"WEBHOST\\user"})) << directory;
    }
}

TEST_F(Grants, NothingStartsWithoutToolOrDirectoryOrForTextThatCannotBeQuoted) {
    GrantDirectoryAccess(m_install, m_directory + kPathSeparator + "missing", std::string("user"));
    GrantDirectoryAccess(m_machine.Str(), m_directory, std::string("user")); // no tool there
    GrantDirectoryAccess(m_install, "errors dir", std::string("user"));      // relative: names nothing
    GrantDirectoryAccess(m_install, m_directory, std::string(480, 'u'));
    if (kPathSeparator == '\\') {
        GrantDirectoryAccess(m_install, m_directory, std::string("user\" /grant \"Everyone"));
        SetAccountQualifier(std::string("WEB\"HOST"));
        GrantDirectoryAccess(m_install, m_directory, std::string("user"));
        SetAccountQualifier(std::string("WEBHOST"));
    }
    std::filesystem::remove(Tool());
    std::filesystem::create_directories(Tool()); // a folder of the tool's name is no tool
    GrantDirectoryAccess(m_install, m_directory, std::string("user"));
    EXPECT_TRUE(m_started.empty());
}

} // namespace
} // namespace qv::test
