#include "SiteMachineRecords.h"
#include "manager/core/LoggingChoices.h"
#include "manager/core/RulesFileStatus.h"
#include "manager/core/RulesTargets.h"
#include "manager/core/SettingsSession.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TextEditor.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace qv;

namespace {

constexpr int D = SiteRows::kDefaultRow;
constexpr int A = SiteRows::kAllSitesRow;

// Sites 1, 3 and 4 with their roots and an installation directory, all in a fresh machine.
struct PagesMachine {
    test::TempMachine machine;
    test::ManagerRecords records;
    std::string install = (machine.Path() / "install").string() + kPathSeparator;
    PagesMachine() {
        std::filesystem::create_directories(std::filesystem::path(install) / "Templates");
        for (SiteSettings& site : records.sites) {
            site.siteRoot = (machine.Path() / ("root" + std::to_string(site.siteId))).string();
            std::filesystem::create_directories(site.siteRoot);
        }
    }
    std::string Template() const { return JoinPath(install + "Templates", "rules.qv"); }
    std::string RulesOf(std::size_t index) { return JoinPath(records.Site(index).siteRoot, "rules.qv"); }
};

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(RulesTargets, NamesOpensAndCreatesTheFilesOfTheSelection) {
    PagesMachine m;
    SettingsSession session(m.records.defaultRecord, m.records.Pointers(), m.install);
    const std::string several = RulesTargets::kSeveralSitesLine, site3 = m.RulesOf(1);
    struct Case {
        const char* what;
        std::vector<int> selected;
        int focus;
        std::string line;
        bool ask;
        std::vector<std::uint32_t> opened;
    };
    const Case cases[] = {
        {"one site", {3}, 3, site3, false, {3}},
        {"two sites", {2, 3}, 3, several, true, {1, 3}},
        {"Default with three sites: the template among them", {D, 2, 3, 4}, D, several, true, {0, 1, 3, 4}},
        {"All Web Sites and one site is no several", {A, 3}, 3, site3, false, {3}},
        {"All Web Sites alone keeps the shown site", {A}, A, site3, false, {3}},
        {"Default alone names the template", {D}, D, m.Template(), false, {0}},
        {"nothing selected", {}, 2, "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.SelectionChanged(c.focus, c.selected);
        EXPECT_EQ(RulesTargets::PathLine(session), c.line);
        const RulesTargets::EditPlan plan = RulesTargets::PlanEdit(session);
        EXPECT_EQ(plan.ask, c.ask);
        std::vector<std::uint32_t> opened;
        for (const SiteSettings* record : plan.records)
            opened.push_back(record->siteId);
        EXPECT_EQ(opened, c.opened);
    }
    // A missing site file is created from the template only.
    const SiteSettings& site = m.records.Site(0);
    EXPECT_FALSE(RulesTargets::PrepareFile(site, m.install)) << "no template yet";
    EXPECT_FALSE(std::filesystem::exists(m.RulesOf(0)));
    Write(m.Template(), "/a\t/b\n");
    EXPECT_TRUE(RulesTargets::PrepareFile(site, m.install));
    EXPECT_EQ(RulesFileStatus::Read(m.RulesOf(0)).count, 1u);
    Write(m.RulesOf(0), "");
    EXPECT_FALSE(RulesTargets::PrepareFile(site, m.install)) << "an existing file stays as it is";
    EXPECT_EQ(std::filesystem::file_size(m.RulesOf(0)), 0u);
    std::filesystem::remove(m.Template());
    EXPECT_FALSE(RulesTargets::PrepareFile(m.records.defaultRecord, m.install));
    EXPECT_FALSE(std::filesystem::exists(m.Template())) << "the default entry never creates anything";
}

TEST(RulesFileStatus, CountsRulesAndShowsTheModifiedTime) {
    PagesMachine m;
    const std::string path = m.RulesOf(0);
    Write(path, "# a comment\t/x\n\n   \t# indented comment\tx\nno tab here\n/old\t/new\n\t/a\t/b\tR\n");
    RulesFileStatus status = RulesFileStatus::Read(path);
    EXPECT_TRUE(status.exists);
    EXPECT_EQ(status.CountText(), "2");
    Write(path, "");
    status = RulesFileStatus::Read(path);
    EXPECT_EQ(status.CountText(), "0");
    EXPECT_EQ(status.ModifiedText(), RulesFileStatus::TimeText(status.modified));
    EXPECT_NE(status.ModifiedText(), RulesFileStatus::kNotApplicable);
    // The fixed ctime form, at noon UTC of Wednesday 2 January 1980: the same day in every time zone.
    const std::string text = RulesFileStatus::TimeText(315662400);
    ASSERT_EQ(text.size(), 25u) << text;
    EXPECT_EQ(text.substr(0, 11), "Wed Jan 02 ");
    EXPECT_EQ(text.substr(13, 1), ":");
    EXPECT_EQ(text.substr(19), " 1980\n");
}

TEST(LoggingChoices, ViewerAndFolderChooser) {
    PagesMachine m;
    SettingsSession session(m.records.defaultRecord, m.records.Pointers(), m.install);
    session.SelectionChanged(D, {D});
    EXPECT_FALSE(LoggingChoices::ViewerCommand(session)) << "no program file";
    const std::string program = m.install + "qv_logviewer" + kProgramSuffix;
    Write(program, "");
    const std::string quoted = *Process::QuoteProgram(program);
    EXPECT_EQ(LoggingChoices::ViewerCommand(session), quoted + " /0");
    session.SelectionChanged(3, {2, 3});
    EXPECT_EQ(LoggingChoices::ViewerCommand(session), quoted + " /3") << "the base site of several";
    session.SelectionChanged(2, {});
    EXPECT_FALSE(LoggingChoices::ViewerCommand(session)) << "no base";
    // The folder chooser starts only at an existing folder, and what it returns ends with a separator.
    const std::string root = m.records.Site(0).siteRoot;
    const std::string sep(1, kPathSeparator);
    const struct {
        std::string text;
        bool preselected;
    } starts[] = {
        {root, true},           {root + sep, true},
        {"Varies", false},      {root + sep + "[SITE]", false},
        {"[PROGFILES]", false}, {root + sep + "no", false},
        {"relative", false},    {"", false},
    };
    for (const auto& s : starts)
        EXPECT_EQ(!LoggingChoices::StartFolder(s.text).empty(), s.preselected) << s.text;
    EXPECT_EQ(LoggingChoices::ChosenFolder("C:" + sep + "Logs"), "C:" + sep + "Logs" + sep);
    EXPECT_EQ(LoggingChoices::ChosenFolder(root + sep), root + sep);
    EXPECT_EQ(LoggingChoices::ChosenFolder(std::string(300, 'x')).size(), LoggingChoices::kMaxLogDir);
}

TEST(TextEditor, DesktopExecLineTakesThePathOnce) {
    const std::string path = "/srv/a b/rules.qv";
    const std::string quoted = *Process::QuoteArgument(path);
    const struct {
        const char* exec;
        std::optional<std::string> command;
    } cases[] = {
        {"gedit %U", "gedit " + quoted},
        {"kate -b %f %F", "kate -b " + quoted},
        {"mousepad", "mousepad " + quoted},
        {"editor --percent=%% %i %c %k", "editor --percent=% " + quoted},
        {"", std::nullopt},
        {"%u", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextEditor::FromExecLine(c.exec, path), c.command) << c.exec;
}
