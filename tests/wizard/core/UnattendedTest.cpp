// The backup of the stored settings and the unattended mode, in-process on a machine.
#include "WizardMachine.h"

#include "RegCommand.h"
#include "wizard/core/SettingsBackup.h"
#include "wizard/core/UnattendedMode.h"
#include "wizard/core/WizardCommandLine.h"

#include <sstream>

namespace qv::test {
namespace {

class UnattendedTest : public WizardMachineTest {
protected:
    void SetUp() override {
        WizardMachineTest::SetUp();
        StoreText(kSitesKey, value::Directory, "errors");
        StoreText(SiteKey(1), value::Directory, "old");
        StoreText(SiteKey(1), value::EnableDisable, "0");
    }

    // Runs the unattended mode on the machine; the exit code, stdout and stderr joined by '|'.
    std::string Run(const std::string& line) {
        std::istringstream words(line);
        const std::vector<std::string> args(std::istream_iterator<std::string>(words), {});
        std::ostringstream out, err;
        const int code = UnattendedMode(out, err).Run(args, Connect(), m_install);
        return std::to_string(code) + "|" + out.str() + "|" + err.str();
    }
    std::string Backups() const { return m_install + "Backups"; }
    // Nothing of a deployment: the stored settings as they were, no folder in a root, no backup.
    void ExpectNothingWritten(const std::string& context) {
        EXPECT_EQ(Text(1, value::Directory), "old") << context;
        EXPECT_EQ(Text(3, value::Directory), "-") << context;
        EXPECT_EQ(Files(m_root1), Names{}) << context;
        EXPECT_EQ(Files(m_root3), Names{}) << context;
    }
    using Names = std::vector<std::string>;
};

TEST_F(UnattendedTest, BackupRestoresThroughQvRegImport) {
    const std::string odd = "caf\xC3\xA9 \"quoted\" \\ back";
    StoreText(SiteKey(3), value::Directory, odd);
    Store(SiteKey(3), "binary", 3, std::string("\x00\x01\xFF", 3));
    const SettingsBackup::Result backup = SettingsBackup::Write(m_install, 0);
    ASSERT_EQ(backup.status, SettingsBackup::Status::Written) << backup.error;
    EXPECT_EQ(FileSystem::Native(backup.path).filename().string(), SettingsBackup::BaseName(0) + ".reg");

    RegistryKey::DeleteTree(SettingsBackup::KeyPath());
    std::istringstream in;
    std::ostringstream out, err;
    const auto encoding =
        kPathSeparator == '\\' ? RegFileWriter::Encoding::Utf16Le : RegFileWriter::Encoding::Utf8;
    EXPECT_EQ(RegCommand(in, out, err, encoding).Run({"import", backup.path}), 0) << err.str();
    EXPECT_EQ(Text(3, value::Directory), odd);
    EXPECT_EQ(Text(1, value::EnableDisable), "0");
    EXPECT_EQ(Text(0, value::Directory), "errors");
    std::uint32_t type = 0;
    EXPECT_EQ(Stored(SiteKey(3), "binary", &type), std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(type, 3u);
}

TEST_F(UnattendedTest, BackupNamesNeverClashAndNothingToSaveOnAFreshMachine) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 4;
    when.tm_min = 5;
    when.tm_sec = 12;
    when.tm_isdst = -1;
    const std::time_t now = std::mktime(&when);
    EXPECT_EQ(SettingsBackup::BaseName(now), "Settings-2026-12-07-040512");
    const std::string first = SettingsBackup::Write(m_install, now).path;
    const std::string second = SettingsBackup::Write(m_install, now).path;
    EXPECT_EQ(FileSystem::Native(first).filename().string(), "Settings-2026-12-07-040512.reg");
    EXPECT_EQ(FileSystem::Native(second).filename().string(), "Settings-2026-12-07-040512-2.reg");
    EXPECT_EQ(ReadFile(first), ReadFile(second));
    EXPECT_EQ(Files(Backups()).size(), 2u); // no scratch file left

    RegistryKey::DeleteTree(kProductKey);
    const SettingsBackup::Result none = SettingsBackup::Write(m_install, now);
    EXPECT_EQ(none.status, SettingsBackup::Status::NothingToSave);
    EXPECT_TRUE(none.Usable());
}

// Exit codes, output and what is written, from the command line on.
TEST_F(UnattendedTest, EndToEnd) {
    const std::string errors1 = FileSystem::LocalPath(JoinPath(m_root1, "web-errors"));
    const std::string result = Run("/unattended /SITES:1 /directory:web-errors");
    ASSERT_EQ(result.substr(0, 2), "0|") << result;
    EXPECT_NE(result.find("|Backup: " + FileSystem::LocalPath(Backups())), std::string::npos) << result;
    EXPECT_NE(result.find("\nDefault settings: wrote settings.\n"
                          "Site 3 (Shop), disabled: wrote settings.\n"
                          "Site 1 (Default Web Site), enabled: wrote settings, error folder " +
                          errors1 +
                          ", 3 example files, rules file.\n"
                          "Deployed 2 sites (1 enabled) with no failure.\n|"),
              std::string::npos)
        << result;
    EXPECT_EQ(Text(1, value::Directory), "web-errors");
    EXPECT_EQ(Text(1, value::EnableDisable), "1");
    EXPECT_EQ(Text(3, value::EnableDisable), "0");

    // Without /sites the default entry's choice holds; a missing template is a failed piece.
    StoreText(kSitesKey, value::EnableDisable, "0");
    EXPECT_EQ(Run("/unattended /norules").substr(0, 2), "0|");
    EXPECT_EQ(Text(1, value::EnableDisable), "0");
    std::filesystem::remove(FileSystem::Native(JoinPath(Templates(), "rules.qv")));
    const std::string failed = Run("/unattended /sites:all /noexamples");
    EXPECT_EQ(failed.substr(0, 2), "1|") << failed;
    EXPECT_NE(failed.find("Site 3 (Shop), enabled: wrote settings; FAILED: rules file template missing.\n"),
              std::string::npos)
        << failed;
    EXPECT_NE(failed.find("with 2 failures.\n"), std::string::npos) << failed;

    EXPECT_EQ(Run("/?").substr(0, 2), "0|");
    EXPECT_EQ(Files(Backups()).size(), 3u); // one per deployment
}

TEST_F(UnattendedTest, NothingWrittenOnABadCommandLineOrWithoutBackup) {
    const struct {
        const char* line;
        const char* result; // the start of "code|out|err"
    } cases[] = {
        {"/unattended /sites:1,2", "2||ERROR: The web server has no site 2 (its sites: 3, 1)."},
        {"/unattended /bogus", "2||ERROR: Unknown switch: /bogus\nType \"qv_wizard /?\" for usage.\n"},
        {"/unattended /directory:", "2||ERROR: The switch /directory needs a directory name."},
        {"/FromSettings", "2||ERROR: Without /unattended"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.line).rfind(c.result, 0), 0u) << c.line << ": " << Run(c.line);
        ExpectNothingWritten(c.line);
    }
    EXPECT_FALSE(Exists(Backups()));

    // A file where the backups go: the backup fails and the deployment does not start.
    WriteFile(Backups(), "in the way");
    const std::string result = Run("/unattended /sites:all");
    EXPECT_EQ(result.rfind("1||ERROR: The stored settings could not be backed up: ", 0), 0u) << result;
    EXPECT_NE(result.find("Nothing was written.\n"), std::string::npos) << result;
    ExpectNothingWritten("no backup");

    m_model = std::make_shared<MetabaseModel>();
    EXPECT_EQ(Run("/unattended"), "1||ERROR: The web server has no web site. Nothing was written.\n");

    // What the program's main calls: the machine's own web server has no site (no metabase here).
    std::ostringstream out, err;
    EXPECT_EQ(RunUnattended({"/unattended", "/sites:all"}, out, err), UnattendedMode::kFailed);
    EXPECT_EQ(RunUnattended({"/unattended", "/sites"}, out, err), UnattendedMode::kBadCommandLine);
    EXPECT_EQ(RunUnattended({"/?"}, out, err), UnattendedMode::kDone);
    EXPECT_EQ(out.str(), WizardCommandLine::Usage());
    ExpectNothingWritten("the machine's server");
}

} // namespace
} // namespace qv::test
