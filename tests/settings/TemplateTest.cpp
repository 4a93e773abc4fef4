#include "SiteMachine.h"
#include "settings/TemplateDeployment.h"

#include <system_error>

namespace qv::test {
namespace {

class TemplateTest : public SiteMachineTest {
protected:
    void SetUp() override {
        SiteMachineTest::SetUp();
        MakeTemplates();
        m_record.siteId = 1;
        m_record.siteRoot = MakeDirectory("wwwroot " + Quote() + "main" + Quote() + " \xc3\xa9t\xc3\xa9");
        m_record.Directory = "errors";
        m_record.EnableDisable = 1;
        m_record.SendErrorImage = 1;
    }
    std::string ErrorDirectory() const { return JoinPath(m_record.siteRoot, m_record.Directory); }
    std::string ErrorFile(const std::string& name) const { return JoinPath(ErrorDirectory(), name); }
    std::string Rules() const { return JoinPath(m_record.siteRoot, "rules.qv"); }

    SiteSettings m_record;
};

TEST_F(TemplateTest, NewSiteGetsRulesAndErrorFilesWithoutOverwriting) {
    // No error directory yet: only the rules file arrives, and no folder is made.
    DeployNewSiteTemplates(m_record, m_install);
    EXPECT_EQ(ReadFile(Rules()), "# template rules\n/old\t/new\n");
    EXPECT_FALSE(Exists(ErrorDirectory()));
    MakeDirectory(ErrorDirectory());
    WriteFile(Rules(), "own rules");
    m_record.SendErrorImage = 0;
    DeployNewSiteTemplates(m_record, m_install);
    EXPECT_EQ(Files(ErrorDirectory()), NameList{"404.htm=t"});
    WriteFile(ErrorFile("404.htm"), "own page");
    m_record.SendErrorImage = 1;
    DeployNewSiteTemplates(m_record, m_install);
    EXPECT_EQ(ReadFile(Rules()), "own rules");
    EXPECT_EQ(Files(ErrorDirectory()), (NameList{"404.gif=t", "404.htm=own page"}));
    // The rules template alone: never replaces, needs a root and a template.
    EXPECT_FALSE(CopyRulesTemplate(m_record, m_install) || CopyRulesTemplate(SiteSettings{}, m_install));
    std::filesystem::remove(FileSystem::Native(Rules()));
    EXPECT_TRUE(CopyRulesTemplate(m_record, m_install));
}

TEST_F(TemplateTest, ExampleFilesAndLogDirectoriesAreMadeThenGrantedToTheWorker) {
    m_record.siteRoot = MakeDirectory("wwwroot \xc3\xa9t\xc3\xa9"); // the tool is given no quotation mark
    m_record.Directory = "custom errors/deeper";
    EXPECT_TRUE(CreateExampleFiles(m_record, m_install));
    EXPECT_EQ(Files(ErrorDirectory()), (NameList{"404.gif=t", "404.htm=t", "500.htm=t"}));
    EXPECT_EQ(GrantsFor(ErrorDirectory()), 2u);
    WriteFile(ErrorFile("404.htm"), "edited page");
    EXPECT_TRUE(CreateExampleFiles(m_record, m_install)); // replaces
    EXPECT_EQ(ReadFile(ErrorFile("404.htm")), "t");
    EXPECT_FALSE(Exists(Rules()));
    m_record.workerIdentity = "IIS_WPG";
    const std::string logs = JoinPath(m_machine.Str(), "W3SVC1");
    PrepareSiteDirectory(m_install, logs, m_record);
    EXPECT_TRUE(std::filesystem::is_directory(FileSystem::Native(logs)));
    EXPECT_EQ(GrantsFor(logs), 2u);
    // A file in the way is left alone, and the tool finds it and starts as usual.
    const std::string file = JoinPath(m_machine.Str(), "a file");
    WriteFile(file, "x");
    PrepareSiteDirectory(m_install, file, m_record);
    EXPECT_EQ(ReadFile(file), "x");
    EXPECT_EQ(GrantsFor(file), 2u);
    std::filesystem::remove_all(FileSystem::Native(Templates()));
    EXPECT_FALSE(CreateExampleFiles(m_record, m_install));
}

TEST_F(TemplateTest, RootsThatNameNothingNeverReachTheCurrentDirectory) {
    // A relative root, or one relative to a drive's current directory, is no root.
    const std::filesystem::path here = FileSystem::Native(MakeDirectory("current"));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(here);
    for (const char* root : {"wwwroot", "C:wwwroot", "\\wwwroot", ".", ""}) {
        SCOPED_TRACE(root);
        m_record.siteRoot = root;
        DeployNewSiteTemplates(m_record, m_install);
        EXPECT_FALSE(CopyRulesTemplate(m_record, m_install));
        EXPECT_FALSE(CreateExampleFiles(m_record, m_install));
        PrepareSiteDirectory(m_install, "logs", m_record);
    }
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(here));
    EXPECT_TRUE(m_commands.empty());
}

TEST_F(TemplateTest, StoredWindowsPathsAreMappedForEveryUse) {
    if (kPathSeparator != '/')
        GTEST_SKIP() << "Windows paths are this system's own paths there";
    // A UNC root, a Windows-form installation directory (as a .reg import leaves it) and log directory.
    const std::string install = "C:\\Program Files\\Quorvane\\", drive = m_machine.Str() + "/drive_c/";
    WriteFile(drive + "Program Files/Quorvane/setacl", "");
    WriteFile(drive + "Program Files/Quorvane/Templates/rules.qv", "unc rules");
    WriteFile(drive + "Program Files/Quorvane/Templates/404.htm", "unc 404");
    const std::string farm = MakeDirectory("unc/fileserver/web/farm");
    m_record.siteRoot = "\\\\fileserver\\web\\farm";
    EXPECT_TRUE(CopyRulesTemplate(m_record, install) && CreateExampleFiles(m_record, install));
    EXPECT_EQ(ReadFile(farm + "/rules.qv"), "unc rules");
    EXPECT_EQ(ReadFile(farm + "/errors/404.htm"), "unc 404");
    m_commands.clear();
    m_record.workerIdentity = "IIS_WPG";
    PrepareSiteDirectory(install, "C:\\Logs\\W3SVC1", m_record);
    EXPECT_TRUE(std::filesystem::is_directory(drive + "Logs/W3SVC1"));
    ASSERT_EQ(m_commands.size(), 2u);
    const std::vector<std::string> arguments = Process::SplitCommandLine(m_commands[1]);
    ASSERT_EQ(arguments.size(), 7u);
    EXPECT_EQ(arguments[0], drive + "Program Files/Quorvane/setacl");
    EXPECT_EQ(arguments[1], drive + "Logs/W3SVC1");
}

TEST_F(TemplateTest, CopyFolderFilesRefusesTheDriveRootAndFollowsTheRecursiveFlag) {
    const std::string target = MakeDirectory("copy target");
    for (const char* source : {"", "/", "C:\\"})
        EXPECT_FALSE(CopyFolderFiles(source, target, false)) << source;
    EXPECT_FALSE(CopyFolderFiles(Templates(), "", false));
    EXPECT_TRUE(Files(target).empty());
    EXPECT_TRUE(CopyFolderFiles(Templates(), target, false));
    EXPECT_EQ(Files(target), (NameList{"404.gif=t", "404.htm=t", "500.htm=t"}));
    EXPECT_TRUE(CopyFolderFiles(Templates(), target, true));
    EXPECT_EQ(Files(JoinPath(target, "more")), NameList{"inner.htm=t"});
    // A target inside the source is not copied into itself.
    const std::string inside = JoinPath(Templates(), "more");
    EXPECT_TRUE(CopyFolderFiles(Templates(), inside, true));
    EXPECT_FALSE(Exists(JoinPath(inside, "more")));
}

TEST_F(TemplateTest, MovesNeverReplaceAndNeverLoseAFile) {
    const std::string from = MakeDirectory("from"), to = MakeDirectory("to");
    for (const char* name : {"a.htm", "b.htm", "c.htm"})
        WriteFile(JoinPath(from, name), std::string("from ") + name);
    WriteFile(JoinPath(to, "b.htm"), "b to");
    const auto move = [&](auto how, const char* name, const std::string& into) {
        return how(JoinPath(from, name), JoinPath(into, name));
    };
    EXPECT_EQ(move(FileSystem::MoveNoOverwrite, "a.htm", to), MoveResult::Moved);
    EXPECT_EQ(move(FileSystem::MoveNoOverwrite, "b.htm", to), MoveResult::TargetExists);
    // The step taken between file systems: copy, then remove the source; a failed copy leaves the source.
    EXPECT_EQ(move(FileSystem::MoveByCopy, "b.htm", to), MoveResult::TargetExists);
    EXPECT_EQ(move(FileSystem::MoveByCopy, "c.htm", to), MoveResult::Moved);
    EXPECT_EQ(move(FileSystem::MoveByCopy, "b.htm", JoinPath(to, "missing")), MoveResult::Failed);
    EXPECT_EQ(move(FileSystem::MoveByCopy, "gone.htm", to), MoveResult::Failed);
    EXPECT_EQ(Files(from), NameList{"b.htm=from b.htm"});
    EXPECT_EQ(Files(to), (NameList{"a.htm=from a.htm", "b.htm=b to", "c.htm=from c.htm"}));
    // Where /dev/shm is another file system (a hard link cannot go there), a real move between the two.
    const std::string away = "/dev/shm/qv-" + m_machine.Path().filename().string();
    std::error_code error;
    if (kPathSeparator == '/' && std::filesystem::is_directory("/dev/shm", error)) {
        WriteFile(JoinPath(away, "x.htm"), "x");
        std::filesystem::create_hard_link(JoinPath(away, "x.htm"), m_machine.Path() / "probe", error);
    }
    if (error == std::errc::cross_device_link) {
        WriteFile(JoinPath(away, "y.htm"), "y away");
        EXPECT_EQ(FileSystem::MoveNoOverwrite(JoinPath(away, "x.htm"), JoinPath(to, "x.htm")),
                  MoveResult::Moved);
        EXPECT_EQ(FileSystem::MoveNoOverwrite(JoinPath(away, "y.htm"), JoinPath(to, "b.htm")),
                  MoveResult::TargetExists);
        EXPECT_EQ(Files(away), NameList{"y.htm=y away"});
        EXPECT_EQ(Files(to), (NameList{"a.htm=from a.htm", "b.htm=b to", "c.htm=from c.htm", "x.htm=x"}));
    }
    std::filesystem::remove_all(FileSystem::Native(away), error);
}

} // namespace
} // namespace qv::test
