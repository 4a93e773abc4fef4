#include "SiteMachine.h"
#include "settings/FileTransfer.h"
#include "settings/SiteSettings.h"
#include "settings/TemplateDeployment.h"

#include <gtest/gtest.h>

#include <system_error>

namespace qv::test {
namespace {

using NameList = std::vector<std::string>;

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

    SiteSettings m_record;
};

TEST_F(TemplateTest, NewSiteGetsRulesAndErrorFilesWithoutOverwriting) {
    // No error directory yet: only the rules file arrives, and no folder is made.
    DeployNewSiteTemplates(m_record, m_install);
    EXPECT_EQ(ReadFile(JoinPath(m_record.siteRoot, "rules.qv")), "# template rules\n/old\t/new\n");
    EXPECT_FALSE(Exists(ErrorDirectory()));

    MakeDirectory(ErrorDirectory());
    WriteFile(JoinPath(m_record.siteRoot, "rules.qv"), "own rules");
    WriteFile(JoinPath(ErrorDirectory(), "404.htm"), "own page");
    DeployNewSiteTemplates(m_record, m_install);
    EXPECT_EQ(ReadFile(JoinPath(m_record.siteRoot, "rules.qv")), "own rules");
    EXPECT_EQ(ReadFile(JoinPath(ErrorDirectory(), "404.htm")), "own page");
    EXPECT_EQ(Names(ErrorDirectory()), (NameList{"404.gif", "404.htm"}));
}

TEST_F(TemplateTest, NewSiteWithoutImagesGetsNoImage) {
    m_record.SendErrorImage = 0;
    MakeDirectory(ErrorDirectory());
    DeployNewSiteTemplates(m_record, m_install);
    EXPECT_EQ(Names(ErrorDirectory()), (NameList{"404.htm"}));
    EXPECT_TRUE(Exists(JoinPath(m_record.siteRoot, "rules.qv")));
}

TEST_F(TemplateTest, CopyRulesTemplateNeverReplacesAndNeedsARoot) {
    EXPECT_TRUE(CopyRulesTemplate(m_record, m_install));
    EXPECT_EQ(ReadFile(JoinPath(m_record.siteRoot, "rules.qv")), "# template rules\n/old\t/new\n");
    WriteFile(JoinPath(m_record.siteRoot, "rules.qv"), "edited");
    EXPECT_FALSE(CopyRulesTemplate(m_record, m_install));
    EXPECT_EQ(ReadFile(JoinPath(m_record.siteRoot, "rules.qv")), "edited");

    SiteSettings noRoot;
    EXPECT_FALSE(CopyRulesTemplate(noRoot, m_install));
    std::filesystem::remove(NativePath(JoinPath(Templates(), "rules.qv")));
    std::filesystem::remove(NativePath(JoinPath(m_record.siteRoot, "rules.qv")));
    EXPECT_FALSE(CopyRulesTemplate(m_record, m_install));
    EXPECT_FALSE(Exists(JoinPath(m_record.siteRoot, "rules.qv")));
}

TEST_F(TemplateTest, ExampleFilesCreateTheDirectoryAndReplaceFiles) {
    // The permission tool is given no path with a quotation mark.
    m_record.siteRoot = MakeDirectory("wwwroot \xc3\xa9t\xc3\xa9");
    m_record.Directory = "custom errors/deeper";
    EXPECT_TRUE(CreateExampleFiles(m_record, m_install));
    EXPECT_EQ(Names(ErrorDirectory()), (NameList{"404.gif", "404.htm", "500.htm"}));
    EXPECT_EQ(GrantsFor(ErrorDirectory()), 2u);

    WriteFile(JoinPath(ErrorDirectory(), "404.htm"), "edited page");
    EXPECT_TRUE(CreateExampleFiles(m_record, m_install));
    EXPECT_EQ(ReadFile(JoinPath(ErrorDirectory(), "404.htm")), "template 404 page");
    EXPECT_FALSE(Exists(JoinPath(m_record.siteRoot, "rules.qv")));

    std::filesystem::remove_all(NativePath(Templates()));
    EXPECT_FALSE(CreateExampleFiles(m_record, m_install));
    SiteSettings noRoot = m_record;
    noRoot.siteRoot.clear();
    EXPECT_FALSE(CreateExampleFiles(noRoot, m_install));
}

TEST_F(TemplateTest, CopyFolderFilesRefusesTheDriveRootAndFollowsTheRecursiveFlag) {
    const std::string target = MakeDirectory("copy target");
    EXPECT_FALSE(CopyFolderFiles("", target, true));
    EXPECT_FALSE(CopyFolderFiles("/", target, false));
    EXPECT_FALSE(CopyFolderFiles("C:\\", target, false));
    EXPECT_FALSE(CopyFolderFiles(JoinPath(m_machine.Str(), "missing"), target, false));
    EXPECT_FALSE(CopyFolderFiles(Templates(), "", false));
    EXPECT_TRUE(Names(target).empty());

    EXPECT_TRUE(CopyFolderFiles(Templates(), target, false));
    EXPECT_EQ(Names(target), (NameList{"404.gif", "404.htm", "500.htm"}));
    EXPECT_TRUE(CopyFolderFiles(Templates(), target, true));
    EXPECT_EQ(Names(target), (NameList{"404.gif", "404.htm", "500.htm", "more"}));
    EXPECT_EQ(ReadFile(JoinPath(JoinPath(target, "more"), "inner.htm")), "inner");

    // A target inside the source is not copied into itself.
    const std::string inside = JoinPath(Templates(), "more");
    EXPECT_TRUE(CopyFolderFiles(Templates(), inside, true));
    EXPECT_FALSE(Exists(JoinPath(inside, "more")));
    EXPECT_TRUE(Exists(JoinPath(inside, "500.htm")));
}

TEST_F(TemplateTest, MovesNeverReplaceAndNeverLoseAFile) {
    const std::string from = MakeDirectory("from");
    const std::string to = MakeDirectory("to");
    WriteFile(JoinPath(from, "a.htm"), "a");
    WriteFile(JoinPath(from, "b.htm"), "b from");
    WriteFile(JoinPath(to, "b.htm"), "b to");

    EXPECT_EQ(MoveFileNoOverwrite(JoinPath(from, "a.htm"), JoinPath(to, "a.htm")), MoveResult::Moved);
    EXPECT_EQ(MoveFileNoOverwrite(JoinPath(from, "b.htm"), JoinPath(to, "b.htm")), MoveResult::TargetExists);
    EXPECT_EQ(ReadFile(JoinPath(to, "a.htm")), "a");
    EXPECT_EQ(ReadFile(JoinPath(from, "b.htm")), "b from");
    EXPECT_EQ(ReadFile(JoinPath(to, "b.htm")), "b to");

    // The step taken between file systems: copy, then remove the source.
    WriteFile(JoinPath(from, "c.htm"), "c");
    EXPECT_EQ(MoveFileByCopy(JoinPath(from, "b.htm"), JoinPath(to, "b.htm")), MoveResult::TargetExists);
    EXPECT_EQ(MoveFileByCopy(JoinPath(from, "c.htm"), JoinPath(to, "c.htm")), MoveResult::Moved);
    EXPECT_EQ(ReadFile(JoinPath(to, "c.htm")), "c");
    EXPECT_FALSE(Exists(JoinPath(from, "c.htm")));
    // A copy that cannot be made leaves the source as it was.
    EXPECT_EQ(MoveFileByCopy(JoinPath(from, "b.htm"), JoinPath(JoinPath(to, "missing"), "b.htm")),
              MoveResult::Failed);
    EXPECT_EQ(MoveFileByCopy(JoinPath(from, "gone.htm"), JoinPath(to, "gone.htm")), MoveResult::Failed);
    EXPECT_EQ(ReadFile(JoinPath(from, "b.htm")), "b from");
    EXPECT_FALSE(Exists(JoinPath(to, "gone.htm")));
}

// Where the machine has a second file system (/dev/shm), a real move between the two.
TEST_F(TemplateTest, MoveToAnotherFileSystemCopiesAndRemoves) {
    const std::filesystem::path shm = "/dev/shm";
    std::error_code error;
    if (kPathSeparator != '/' || !std::filesystem::is_directory(shm, error))
        GTEST_SKIP() << "no second file system";
    const std::string away = (shm / ("qv-" + m_machine.Path().filename().string())).string();
    std::filesystem::create_directories(away);
    // Another file system is where a hard link cannot go.
    WriteFile(JoinPath(away, "probe"), "");
    std::filesystem::create_hard_link(JoinPath(away, "probe"), m_machine.Path() / "probe", error);
    if (error != std::errc::cross_device_link) {
        std::filesystem::remove_all(away);
        GTEST_SKIP() << "/dev/shm is on the same file system";
    }
    WriteFile(JoinPath(away, "x.htm"), "x");
    WriteFile(JoinPath(away, "y.htm"), "y away");
    const std::string to = MakeDirectory("to");
    WriteFile(JoinPath(to, "y.htm"), "y here");

    EXPECT_EQ(MoveFileNoOverwrite(JoinPath(away, "x.htm"), JoinPath(to, "x.htm")), MoveResult::Moved);
    EXPECT_EQ(MoveFileNoOverwrite(JoinPath(away, "y.htm"), JoinPath(to, "y.htm")), MoveResult::TargetExists);
    EXPECT_EQ(ReadFile(JoinPath(to, "x.htm")), "x");
    EXPECT_FALSE(Exists(JoinPath(away, "x.htm")));
    EXPECT_EQ(ReadFile(JoinPath(away, "y.htm")), "y away");
    EXPECT_EQ(ReadFile(JoinPath(to, "y.htm")), "y here");
    std::filesystem::remove_all(away);
}

} // namespace
} // namespace qv::test
