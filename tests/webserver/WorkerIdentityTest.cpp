#include "support/TempMachine.h"

#include "platform/ComputerName.h"
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "settings/SiteSettings.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/WorkerIdentity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace qv::test {
namespace {

class WorkerAccount : public ::testing::Test {
protected:
    void SetUp() override {
        OsVersion::Set(5, 2);
        // Pools of every identity type; AppPools hands type 2 down to pools without one.
        m_model.SetDword(u"/LM/W3SVC/AppPools", kMdAppPoolIdentityType, kIisMdUtServer, 2, kMetadataInherit);
        const std::uint32_t types[] = {0, 1, 2, 3, 0x103, 0x102, 5};
        for (std::uint32_t type : types) {
            const std::u16string pool = u"/LM/W3SVC/AppPools/Type" + Hex(type);
            m_model.SetDword(pool, kMdAppPoolIdentityType, kIisMdUtServer, type, kMetadataInherit);
        }
        m_model.SetText(u"/LM/W3SVC/AppPools/Type3", kMdWamUserName, kIisMdUtFile, u"CONTOSO\\webuser",
                        kMetadataInherit);
        m_model.SetText(u"/LM/W3SVC/AppPools/Type103", kMdWamUserName, kIisMdUtFile, u"", kMetadataInherit);
        m_model.AddKey(u"/LM/W3SVC/AppPools/Inherits");
        m_model.SetText(u"/LM/W3SVC/AppPools/TooLong", kMdWamUserName, kIisMdUtFile,
                        std::u16string(260, u'x'), kMetadataInherit);
        m_model.SetDword(u"/LM/W3SVC/AppPools/TooLong", kMdAppPoolIdentityType, kIisMdUtServer, 3,
                         kMetadataInherit);
        m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"IWAM_WEB", kMetadataInherit);
        m_model.AddKey(u"/LM/W3SVC/100"); // no AppPoolId anywhere above it
    }

    static std::u16string Hex(std::uint32_t value) {
        const char* digits = "0123456789abcdef";
        std::u16string text;
        do {
            text.insert(text.begin(), static_cast<char16_t>(digits[value % 16]));
            value /= 16;
        } while (value);
        return text;
    }

    // Site n runs in pool "pool".
    void Site(std::uint32_t n, const std::u16string& pool) {
        const std::string number = std::to_string(n);
        m_model.SetText(u"/LM/W3SVC/" + std::u16string(number.begin(), number.end()), kMdAppAppPoolId,
                        kIisMdUtServer, pool, kMetadataInherit);
    }

    std::optional<std::string> Find(std::uint32_t siteId) {
        MetabaseConnection connection;
        connection.Attach(std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(m_model)));
        return FindWorkerAccount(connection, siteId);
    }

    MetabaseModel m_model;
};

TEST_F(WorkerAccount, Iis6TakesTheAccountFromTheSitesApplicationPool) {
    Site(0x10, u"Type0");
    Site(0x11, u"Type1");
    Site(0x12, u"Type2");
    Site(0x13, u"Type3");
    Site(0x14, u"Type103");
    Site(0x15, u"Type102");
    Site(0x16, u"Type5");
    Site(0x17, u"Inherits");
    Site(0x18, u"NoSuchPool");
    Site(0x19, u"TooLong");
    EXPECT_FALSE(Find(0x10));
    EXPECT_EQ(Find(0x11), "IIS_WPG");
    EXPECT_EQ(Find(0x12), "IIS_WPG");
    EXPECT_EQ(Find(0x13), "CONTOSO\\webuser");
    EXPECT_FALSE(Find(0x14));         // a specific user left empty
    EXPECT_EQ(Find(0x15), "IIS_WPG"); // only the low byte counts
    EXPECT_FALSE(Find(0x16));
    EXPECT_EQ(Find(0x17), "IIS_WPG");
    EXPECT_FALSE(Find(0x18));
    EXPECT_FALSE(Find(0x19)); // never a cut account
    EXPECT_FALSE(Find(0x100));
    EXPECT_FALSE(Find(0x999));
}

TEST_F(WorkerAccount, Iis5IsolationModeCountsOnlyWhenTheServiceGivesItAsText) {
    Site(1, u"Type2");
    // IIS keeps the switch as a number, and a number asked as text is not found: the pool still decides.
    m_model.SetDword(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, 1, kMetadataNoAttributes);
    EXPECT_EQ(Find(1), "IIS_WPG");
    m_model.SetText(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, u"1",
                    kMetadataNoAttributes);
    EXPECT_FALSE(Find(1));
    m_model.SetText(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, u"0",
                    kMetadataNoAttributes);
    EXPECT_EQ(Find(1), "IIS_WPG");
}

TEST_F(WorkerAccount, OlderServersGiveTheServicesWamUserToEverySite) {
    Site(1, u"Type2");
    for (auto [major, minor] : {std::pair{5, 1}, std::pair{5, 0}, std::pair{6, 0}, std::pair{10, 0}}) {
        OsVersion::Set(major, minor);
        EXPECT_EQ(Find(1), "IWAM_WEB") << major << "." << minor;
        EXPECT_EQ(Find(0), "IWAM_WEB");
        EXPECT_EQ(Find(77), "IWAM_WEB");
    }
    m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"", kMetadataInherit);
    EXPECT_FALSE(Find(1));
    MetabaseConnection empty;
    EXPECT_FALSE(FindWorkerAccount(empty, 1));
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
        m_install = m_machine.Str() + kPathSeparator + "install";
        std::filesystem::create_directories(m_install);
        std::ofstream(JoinPath(m_install, kPathSeparator == '\\' ? "setacl.exe" : "setacl")) << "tool";
        m_directory = m_machine.Str() + kPathSeparator + "errors dir";
        std::filesystem::create_directories(m_directory);
    }
    void TearDown() override {
        SetPermissionToolStarter(nullptr);
        SetAccountQualifier(std::nullopt);
    }
    std::string Tool() const { return JoinPath(m_install, kPathSeparator == '\\' ? "setacl.exe" : "setacl"); }

    TempMachine m_machine;
    std::string m_install;
    std::string m_directory;
    std::vector<std::string> m_started;
};

TEST_F(Grants, Iis6GrantsTheQualifiedAccountReadThenWrite) {
    GrantDirectoryAccess(m_install, m_directory, std::string("CONTOSO_web"));
    const std::string head = "\"" + Tool() + "\" \"" + m_directory + "\" /dir /grant ";
    EXPECT_EQ(m_started, (std::vector<std::string>{head + "\"WEBHOST\\CONTOSO_web\" /read /silent",
                                                   head + "\"WEBHOST\\CONTOSO_web\" /write /silent"}));
    m_started.clear();
    GrantDirectoryAccess(m_install, m_directory, std::nullopt);
    EXPECT_EQ(m_started, (std::vector<std::string>{head + "\"WEBHOST\\IIS_WPG\" /read /silent",
                                                   head + "\"WEBHOST\\IIS_WPG\" /write /silent"}));
}

TEST_F(Grants, OlderServersGrantTheAccountAndThenSystem) {
    OsVersion::Set(6, 0);
    GrantDirectoryAccess(m_install, m_directory, std::string("IWAM_WEB"));
    const std::string head = "\"" + Tool() + "\" \"" + m_directory + "\" /dir /grant ";
    EXPECT_EQ(m_started, (std::vector<std::string>{
                             head + "\"IWAM_WEB\" /read /silent", head + "\"IWAM_WEB\" /write /silent",
                             head + "SYSTEM /read /silent", head + "SYSTEM /write /silent"}));
}

TEST_F(Grants, PathsGoIntoTheCommandAsTheToolWillReadThem) {
    // An installation directory with its final separator doubles it before the tool's name. A directory
    // ending in a backslash gets it doubled before its closing quotation mark, so the Windows split gives
    // the directory back whole; a directory ending in "/" stays as it is.
    const std::string install = m_install + kPathSeparator;
    const std::string directory = m_directory + kPathSeparator;
    GrantDirectoryAccess(install, directory, std::string("user"));
    ASSERT_EQ(m_started.size(), 2u);
    const std::string quotedDirectory = kPathSeparator == '\\' ? directory + "\\" : directory;
    EXPECT_EQ(m_started[0], "\"" + install + kPathSeparator +
                                (kPathSeparator == '\\' ? "setacl.exe" : "setacl") + "\" \"" +
                                quotedDirectory + "\" /dir /grant \"WEBHOST\\user\" /read /silent");
    const std::vector<std::string> arguments = Process::SplitCommandLine(m_started[0]);
    ASSERT_EQ(arguments.size(), 7u);
    EXPECT_EQ(arguments[1], directory);
    EXPECT_EQ(arguments[4], "WEBHOST\\user");
}

TEST_F(Grants, NothingStartsWithoutTheToolOrTheDirectory) {
    GrantDirectoryAccess(m_install, m_directory + kPathSeparator + "missing", std::string("user"));
    GrantDirectoryAccess(m_machine.Str(), m_directory, std::string("user")); // no tool there
    std::filesystem::remove(Tool());
    std::filesystem::create_directories(Tool()); // a folder of the tool's name is no tool
    GrantDirectoryAccess(m_install, m_directory, std::string("user"));
    EXPECT_TRUE(m_started.empty());
}

TEST_F(Grants, TextThatCannotBeQuotedOrIsTooLongStartsNothing) {
    GrantDirectoryAccess(m_install, m_directory, std::string(480, 'u'));
    GrantDirectoryAccess(m_install, m_directory, std::string("user\" /grant \"Everyone"));
    SetAccountQualifier(std::string("WEB\"HOST"));
    GrantDirectoryAccess(m_install, m_directory, std::string("user"));
    EXPECT_TRUE(m_started.empty());
}

TEST_F(Grants, PrepareSiteDirectoryCreatesTheDirectoryThenGrantsTheRecordsWorker) {
    SiteSettings record;
    record.workerIdentity = "IIS_WPG";
    const std::string logs = m_machine.Str() + kPathSeparator + "Logs" + kPathSeparator + "W3SVC1";
    PrepareSiteDirectory(m_install, logs, record);
    EXPECT_TRUE(std::filesystem::is_directory(logs));
    ASSERT_EQ(m_started.size(), 2u);
    EXPECT_NE(m_started[1].find("\"" + logs + "\" /dir /grant \"WEBHOST\\IIS_WPG\" /write"),
              std::string::npos);

    // A file in the way is left alone, and the tool finds it and starts as usual.
    m_started.clear();
    const std::string file = m_machine.Str() + kPathSeparator + "a file";
    std::ofstream(file) << "x";
    record.workerIdentity.reset();
    PrepareSiteDirectory(m_install, file, record);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_EQ(m_started.size(), 2u);
}

TEST(AccountQualifier, IsTheComputersNameUnlessSet) {
    SetAccountQualifier(std::nullopt);
    EXPECT_EQ(AccountQualifier(), ComputerName::Get());
    EXPECT_EQ(ComputerName::Get().find('.'), std::string::npos);
    SetAccountQualifier(std::string("OTHER"));
    EXPECT_EQ(AccountQualifier(), "OTHER");
    SetAccountQualifier(std::nullopt);
}

} // namespace
} // namespace qv::test
