#include "TestData.h"
#include "support/TempMachine.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

namespace qv::test {
namespace {

std::string Contents(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class QvSitesTest : public ::testing::Test {
protected:
    void UseMetabase(const std::string& name) {
        std::filesystem::copy_file(std::string(QV_TEST_DATA_DIR) + "/metabase/" + name + "/MetaBase.xml",
                                   m_file);
    }
    // An IIS 7 to 10 sample: its files where Windows keeps applicationHost.config.
    void UseApplicationHost(const std::string& name) {
        std::filesystem::create_directories(m_config);
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(QV_TEST_DATA_DIR) + "/apphost/" + name))
            std::filesystem::copy_file(entry.path(), m_config / entry.path().filename());
    }
    void SetVersion(const std::string& version) {
        RegistryKey key;
        ASSERT_EQ(key.Create("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::Write), 0);
        ASSERT_EQ(key.SetValue("CurrentVersion", kRegSz, version.c_str(), std::uint32_t(version.size() + 1)),
                  0);
    }
    // qv_sites on the machine, which always ends with status 0: its output; m_err gets its stderr.
    std::string Run(const std::string& options = "") {
        const std::string out = m_dir + "/out", err = m_dir + "/err";
        const std::string command =
            "'" QV_SITES_PROGRAM "' --machine '" + m_dir + "' " + options + " >'" + out + "' 2>'" + err + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        m_err = Contents(err);
        return Contents(out);
    }
    // The value in the machine's MetaBase.xml that begins with head: the long ones pass through whole.
    std::string Value(const std::string& head) {
        const std::string xml = Contents(m_file);
        const std::size_t at = xml.find('"' + head) + 1;
        return xml.substr(at, xml.find('"', at) - at);
    }

    TempMachine m_machine;
    const std::string m_dir = m_machine.Str();
    const std::string m_file = m_dir + "/MetaBase.xml";
    const std::filesystem::path m_config = m_machine.Path() / "drive_c/Windows/System32/inetsrv/config";
    std::string m_err;
};

TEST_F(QvSitesTest, ListsTheSitesOfAnIis6Server) {
    UseMetabase("iis6");
    EXPECT_EQ(Run(),
              "1\tDefault Web Site\t" + m_dir + "/drive_e/inetpub/wwwroot\tIIS_WPG\n2\t" +
                  Value("Description of 129 ") + "\t/srv/www/two\t\n3\t" + Value("Description of 1298 ") +
                  "\t/srv/www/three\tIIS_WPG\n4\t\t/srv/www/four\tIIS_WPG\n5\tRoot of 129 characters\t" +
                  Value("/srv/www/r129") + "\tCONTOSO_web\n6\tRoot of 130 characters\t" +
                  Value("/srv/www/r130") + "\t\n7\tSeven, without AppPoolId\t/srv/www/seven\t\n" +
                  "7\tSeven, without AppPoolId\t/srv/www/seven\t\n8\tRoot of 259 characters\t" +
                  Value("/srv/www/r259") + "\tIIS_WPG\n9\tRoot of 260 characters\t\tIIS_WPG\n12\t\t\t\n" +
                  "10\tTen, described in a Custom element\t" + m_dir +
                  "/drive_e/Web Sites/Ten\tCONTOSO_web\n");
    EXPECT_EQ(m_err, "");
    EXPECT_EQ(Value("Description of 1298 ").size(), 1298u);
    EXPECT_EQ(Value("/srv/www/r259").size(), 259u);
}

TEST_F(QvSitesTest, AnOlderServerGivesEverySiteTheServicesAccount) {
    UseMetabase("iis51");
    // Read as IIS 6, the pool the sites inherit does not exist.
    for (const std::string version : {"5.1", "5.2"}) {
        SetVersion(version);
        const std::string account = version == "5.1" ? "IWAM_OLDBOX" : "";
        EXPECT_EQ(Run(), "1\tDefault Web Site\t" + m_dir + "/drive_c/Inetpub/wwwroot\t" + account +
                             "\n2\tIntranet\t" + m_dir + "/drive_d/Intranet\t" + account + "\n");
    }
}

TEST_F(QvSitesTest, RootsAreMappedAfterTheirStoredLengthIsCounted) {
    // A drive root of 259 stored characters stays, however long the machine directory makes it here; a UNC
    // root lands below unc/; a relative root or one relative to a drive names nothing.
    std::string xml =
        "<?xml version =\"1.0\"?>\n<configuration xmlns=\"urn:microsoft-catalog:XML_Metabase_V64_0\">"
        "\n<MBProperty>\n";
    const std::pair<const char*, std::string> roots[] = {{"1", "C:\\" + std::string(256, 'r')},
                                                         {"2", "\\\\fileserver\\web\\farm"},
                                                         {"3", "wwwroot"},
                                                         {"4", "C:wwwroot"}};
    for (const auto& [id, root] : roots)
        xml += std::string("<IIsWebServer Location =\"/LM/W3SVC/") + id + "\">\n</IIsWebServer>\n" +
               "<IIsWebVirtualDir Location =\"/LM/W3SVC/" + id + "/ROOT\" Path=\"" + root +
               "\">\n</IIsWebVirtualDir>\n";
    std::ofstream(m_file) << xml << "</MBProperty>\n</configuration>\n";
    EXPECT_EQ(Run(), "1\t\t" + m_dir + "/drive_c/" + std::string(256, 'r') + "\t\n2\t\t" + m_dir +
                         "/unc/fileserver/web/farm\t\n3\t\t\t\n4\t\t\t\n");
    EXPECT_EQ(m_err, "");
}

TEST_F(QvSitesTest, NoSitesWithoutAServerOrWithAMalformedFileWhichIsNamedInOneLine) {
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(m_err, "");
    std::filesystem::create_directory(m_file); // not a file at all
    EXPECT_EQ(Run(), "");
    EXPECT_NE(m_err.find(m_file), std::string::npos);
    std::filesystem::remove(m_file);
    UseMetabase("malformed");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(m_err.rfind(m_file + ":10:", 0), 0u) << m_err;
    EXPECT_EQ(m_err.find('\n'), m_err.size() - 1);
}

TEST_F(QvSitesTest, ListsTheSitesOfAnIis10ServerWithRootsAndPoolAccounts) {
    SetVersion("10.0");
    UseApplicationHost("iis10");
    EXPECT_EQ(
        Run(),
        "1\tDefault Web Site\t" + m_dir + "/drive_c/inetpub/wwwroot\tIIS AppPool\\DefaultAppPool\n" +
            "7\tFenwick & Hale Intranet\t" + m_dir +
            "/drive_d/Web Sites/Fenwick Hale Intranet\tFENWICKHALE\\svc-intranet\n" +
            "3\tBrackenridge Shop\t" + m_dir + "/drive_c/inetpub/Sites/Brackenridge Shop\tNETWORK SERVICE\n" +
            "714302958\tLarkspur Clinic Portal\t" + m_dir +
            "/drive_c/Sites/Larkspur Portal\tsvc-portal@larkspur.example\n" + "12\tBuild Server\t\t\n" +
            "20\tReports Drop\t" + m_dir + "/drive_c/inetpub/ftproot\tLOCAL SERVICE\n" + "9\tParked\t\t\n");
    EXPECT_EQ(m_err, "");
}

TEST_F(QvSitesTest, SectionsMovedOutAndAMalformedFileOfAnIis7Server) {
    SetVersion("6.0");
    UseApplicationHost("configsource");
    EXPECT_EQ(Run(), "2\tMarsh Lane Library\t" + m_dir + "/drive_e/Library\tMARSHLANE\\web\n" +
                         "5\tMarsh Lane Events\t" + m_dir + "/drive_e/Events\tNETWORK SERVICE\n");
    std::filesystem::remove_all(m_config);
    UseApplicationHost("malformed");
    EXPECT_EQ(Run(), "");
    const std::string file = "C:\\Windows\\System32\\inetsrv\\config\\applicationHost.config";
    EXPECT_EQ(m_err, file + ":8:17: '<' is not allowed in an attribute value\n");
}

// applicationHost.config counts on Windows 6.0 and later, and only where it is; the switch names the source.
TEST_F(QvSitesTest, TheVersionAndTheFilesPresentChooseTheSource) {
    UseMetabase("iis51");
    UseApplicationHost("configsource");
    const std::string metabaseSites = "1\tDefault Web Site\t" + m_dir +
                                      "/drive_c/Inetpub/wwwroot\t\n2\tIntranet\t" + m_dir +
                                      "/drive_d/Intranet\t\n";
    const std::string config = "C:\\Windows\\System32\\inetsrv\\config\\applicationHost.config";
    const std::tuple<std::string, bool, std::string, std::string> cases[] = {
        {"10.0", true, "2\tMarsh Lane Library",
         "source: applicationHost.config " + config + " (" + m_config.string() +
             "/applicationHost.config)\n"},
        {"5.2", true, metabaseSites, "source: metabase " + m_file + "\n"},
        {"10.0", false, "1\tDefault Web Site\t" + m_dir + "/drive_c/Inetpub/wwwroot\tIWAM_OLDBOX\n",
         "source: metabase " + m_file + "\n"},
    };
    for (const auto& [version, withConfig, sites, source] : cases) {
        SetVersion(version);
        if (!withConfig)
            std::filesystem::remove_all(m_config);
        EXPECT_EQ(Run("--source").substr(0, sites.size()), sites) << version;
        EXPECT_EQ(m_err, source) << version;
    }
    std::filesystem::remove(m_file);
    EXPECT_EQ(Run("--source"), "");
    EXPECT_EQ(m_err, "source: none (no web server found)\n");
}

} // namespace
} // namespace qv::test
