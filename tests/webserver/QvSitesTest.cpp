#include "TestData.h"
#include "support/TempMachine.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace qv::test {
namespace {

const std::string kData = std::string(QV_TEST_DATA_DIR) + "/metabase";

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// qv_sites on the given machine, in a process of its own.
ProgramRun QvSites(const std::string& machine) {
    const std::string errFile = machine + "/qv_sites.err";
    const std::string command =
        std::string("'") + QV_SITES_PROGRAM + "' --machine '" + machine + "' 2>'" + errFile + "'";
    ProgramRun run;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::ifstream err(errFile);
    std::ostringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

std::string Filler(std::size_t n, const std::string& head, const std::string& filler) {
    std::string text = head;
    while (text.size() < n)
        text += filler;
    return text.substr(0, n);
}

std::string Description(std::size_t n) {
    return Filler(n, "Description of " + std::to_string(n) + " characters: ",
                  "abcdefghij klmnopqrst uvwxyz 0123456789 ");
}

std::string Root(std::size_t n) {
    std::string text = "/srv/www/r" + std::to_string(n);
    for (int i = 0; text.size() < n; ++i) {
        char part[32];
        std::snprintf(part, sizeof part, "/d%02d-abcdefghijklmnop", i);
        text += part;
    }
    return text.substr(0, n);
}

class QvSitesTest : public ::testing::Test {
protected:
    void UseMetabase(const std::string& name) {
        std::filesystem::copy_file(kData + "/" + name + "/MetaBase.xml", m_machine.Str() + "/MetaBase.xml");
    }
    void SetVersion(const char* version) {
        RegistryKey key;
        ASSERT_EQ(key.Create("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::Write), 0);
        ASSERT_EQ(key.SetValue("CurrentVersion", kRegSz, version,
                               static_cast<std::uint32_t>(std::strlen(version) + 1)),
                  0);
    }

    TempMachine m_machine;
};

TEST_F(QvSitesTest, ListsTheSitesOfAnIis6Server) {
    UseMetabase("iis6");
    const ProgramRun run = QvSites(m_machine.Str());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string m = m_machine.Str();
    EXPECT_EQ(run.out,
              "1\tDefault Web Site\t" + m + "/drive_e/inetpub/wwwroot\tIIS_WPG\n" + "2\t" + Description(129) +
                  "\t/srv/www/two\t\n" + "3\t" + Description(1298) + "\t/srv/www/three\tIIS_WPG\n" +
                  "4\t\t/srv/www/four\tIIS_WPG\n" + "5\tRoot of 129 characters\t" + Root(129) +
                  "\tCONTOSO_web\n" + "6\tRoot of 130 characters\t" + Root(130) + "\t\n" +
                  "7\tSeven, without AppPoolId\t/srv/www/seven\t\n" +
                  "7\tSeven, without AppPoolId\t/srv/www/seven\t\n" + "8\tRoot of 259 characters\t" +
                  Root(259) + "\tIIS_WPG\n" + "9\tRoot of 260 characters\t\tIIS_WPG\n" + "12\t\t\t\n" +
                  "10\tTen, described in a Custom element\t" + m + "/drive_e/Web Sites/Ten\tCONTOSO_web\n");
}

TEST_F(QvSitesTest, AnOlderServerGivesEverySiteTheServicesAccount) {
    UseMetabase("iis51");
    SetVersion("5.1");
    const ProgramRun run = QvSites(m_machine.Str());
    EXPECT_EQ(run.status, 0);
    const std::string m = m_machine.Str();
    EXPECT_EQ(run.out, "1\tDefault Web Site\t" + m + "/drive_c/Inetpub/wwwroot\tIWAM_OLDBOX\n" +
                           "2\tIntranet\t" + m + "/drive_d/Intranet\tIWAM_OLDBOX\n");

    // The same file read as IIS 6: the pool the sites inherit does not exist.
    SetVersion("5.2");
    EXPECT_EQ(QvSites(m_machine.Str()).out, "1\tDefault Web Site\t" + m + "/drive_c/Inetpub/wwwroot\t\n" +
                                                "2\tIntranet\t" + m + "/drive_d/Intranet\t\n");
}

TEST_F(QvSitesTest, NoSitesWithoutAServerOrWithAMalformedFile) {
    ProgramRun run = QvSites(m_machine.Str());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    UseMetabase("malformed");
    run = QvSites(m_machine.Str());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(m_machine.Str() + "/MetaBase.xml:10:", 0), 0u) << run.err;
}

} // namespace
} // namespace qv::test
