// The wizard's page flow, the choice of sites and the command line, without a machine.
#include "wizard/core/WizardFlow.h"
#include "wizard/core/DeploymentPlan.h"
#include "wizard/core/SiteChoice.h"
#include "wizard/core/WizardCommandLine.h"

#include <gtest/gtest.h>

#include <deque>
#include <iterator>
#include <optional>
#include <sstream>

namespace qv::test {
namespace {

using Page = WizardPageId;
using Kind = WizardFlow::Move::Kind;

// "Back|Next|Cancel" as the buttons read, Back as "on"/"off".
std::string ButtonsText(Page page) {
    const WizardFlow::Buttons buttons = WizardFlow::ButtonsOf(page);
    return std::string(buttons.backEnabled ? "on" : "off") + "|" + buttons.nextText + "|" +
           buttons.cancelText;
}

TEST(WizardFlowTest, ButtonsOfEachPage) {
    EXPECT_EQ(ButtonsText(Page::Welcome), "off|&Next >|&Cancel");
    EXPECT_EQ(ButtonsText(Page::SiteSelection), "on|&Next >|&Cancel");
    EXPECT_EQ(ButtonsText(Page::DefaultSettings), "on|&Next >|Cancel");
    EXPECT_EQ(ButtonsText(Page::Finish), "off|&Finish >|&Cancel");
}

// A walk of button presses from Welcome; each row the move answered and the page current after it.
TEST(WizardFlowTest, MovesBetweenPages) {
    struct Press {
        bool next;
        Kind kind;
        std::optional<Page> current;
        bool deploy;
    };
    const std::vector<Press> walk = {
        {false, Kind::None, Page::Welcome, false}, // Back is disabled on page 1
        {true, Kind::ShowPage, Page::SiteSelection, false},
        {false, Kind::ShowPage, Page::Welcome, false},
        {true, Kind::ShowPage, Page::SiteSelection, false},
        {true, Kind::ShowPage, Page::DefaultSettings, false},
        {false, Kind::ShowPage, Page::SiteSelection, false}, // back from 3 to 2
        {true, Kind::ShowPage, Page::DefaultSettings, false},
        {true, Kind::ShowPage, Page::Finish, true}, // entering page 4 deploys
        {false, Kind::None, Page::Finish, false},   // a Back command on page 4 does nothing
        {true, Kind::Finish, Page::Finish, false},  // Next is Finish there
    };
    WizardFlow flow;
    // Not started (the empty frame without sites): no page, no move.
    EXPECT_EQ(flow.Next().kind, Kind::None);
    EXPECT_EQ(flow.Back().kind, Kind::None);
    EXPECT_FALSE(flow.Current());
    const WizardFlow::Move start = flow.Start();
    EXPECT_EQ(start.kind, Kind::ShowPage);
    EXPECT_FALSE(start.from);
    EXPECT_EQ(start.to, Page::Welcome);
    EXPECT_EQ(flow.Start().kind, Kind::None); // started once
    for (std::size_t i = 0; i < walk.size(); ++i) {
        const std::optional<Page> before = flow.Current();
        const WizardFlow::Move move = walk[i].next ? flow.Next() : flow.Back();
        EXPECT_EQ(move.kind, walk[i].kind) << "press " << i;
        EXPECT_EQ(flow.Current(), walk[i].current) << "press " << i;
        EXPECT_EQ(move.deploy, walk[i].deploy) << "press " << i;
        if (move.kind == Kind::ShowPage) {
            EXPECT_EQ(move.from, before) << "press " << i;
            EXPECT_EQ(move.to, walk[i].current) << "press " << i;
        }
    }
    EXPECT_TRUE(flow.Deployed());
}

class SiteChoiceTest : public ::testing::Test {
protected:
    SiteChoiceTest() {
        for (std::uint32_t id : {1u, 3u, 4u}) {
            SiteSettings& site = m_sites.emplace_back();
            site.siteId = id;
            m_records.push_back(&site);
        }
    }
    std::vector<std::int32_t> CurrentFlags() const {
        std::vector<std::int32_t> flags;
        for (const SiteSettings* record : m_records)
            flags.push_back(record->EnableDisable);
        return flags;
    }

    std::deque<SiteSettings> m_sites;
    std::vector<SiteSettings*> m_records;
};

TEST_F(SiteChoiceTest, LeavingThePageWritesEveryRowAndPageThreeListsTheChosen) {
    using Flags = std::vector<std::int32_t>;
    using Rows = std::vector<std::size_t>;
    const struct {
        Flags before;
        Rows selected;
        Flags after;
    } cases[] = {
        {{1, 1, 1}, {0, 2}, {1, 0, 1}},    // two of three
        {{0, 0, 0}, {0, 1, 2}, {1, 1, 1}}, // Select All
        {{1, 1, 1}, {}, {0, 0, 0}},        // nothing selected
        {{0, 1, 0}, {1, 7}, {0, 1, 0}},    // a row beyond the list is ignored
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < m_sites.size(); ++i)
            m_sites[i].EnableDisable = c.before[i];
        SiteChoice::WriteBack(m_records, c.selected);
        EXPECT_EQ(CurrentFlags(), c.after);
        // Shown again (back from page 3), the page selects what was left selected.
        const Rows shown = SiteChoice::SelectedRows(m_records);
        EXPECT_EQ(shown.size(), SiteChoice::Chosen(m_records).size());
        for (std::size_t row : shown)
            EXPECT_EQ(c.after[row], 1);
    }
}

TEST_F(SiteChoiceTest, QuestionOnceHiddenStaysHidden) {
    SiteChoice choice;
    EXPECT_TRUE(choice.QuestionVisible(2));
    EXPECT_FALSE(choice.QuestionVisible(0));
    EXPECT_FALSE(choice.QuestionVisible(3));
}

TEST(WizardCommandLineTest, FromSettingsExactly) {
    const struct {
        const char* line;
        bool fromSettings;
    } cases[] = {
        {"/FromSettings", true},
        {"x /FromSettings", true}, // text before the first "/" does not count
        {"/fromsettings", false},
        {"/FROMSETTINGS", false},
        {"/FromSettings ", false},
        {"/FromSettings /x", false},
        {"/FromSettingsX", false},
        {"/a /FromSettings", false}, // from the first "/"
        {"", false},
        {"FromSettings", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WizardCommandLine::FromSettings(c.line), c.fromSettings) << c.line;
        // The window reads it from the arguments, joined as Windows hands them over.
        std::istringstream words(c.line);
        const std::vector<std::string> args(std::istream_iterator<std::string>(words), {});
        const WizardCommandLine::Parsed parsed = WizardCommandLine::Parse(args);
        EXPECT_EQ(parsed.mode, WizardCommandLine::Mode::Window) << c.line;
        const std::string line = c.line;
        if (line.empty() || line.back() != ' ') { // the split drops a final blank
            EXPECT_EQ(parsed.fromSettings, c.fromSettings) << c.line;
        }
    }
}

// The unattended switches: each line's words, then the mode and what was read
// ("sites|ids|dir|rules|examples") or the start of the error.
TEST(WizardCommandLineTest, UnattendedSwitches) {
    using Mode = WizardCommandLine::Mode;
    const struct {
        const char* line;
        Mode mode;
        const char* read; // or the error's beginning
    } cases[] = {
        {"/unattended", Mode::Unattended, "default||-|1|1"},
        {"/UNATTENDED /Sites:ALL", Mode::Unattended, "all||-|1|1"},
        {"/unattended /sites:none /norules", Mode::Unattended, "none||-|0|1"},
        {"/unattended /sites:3,1,3,7 /NoExamples", Mode::Unattended, "list|3,1,7|-|1|0"},
        {"/sites:1 /unattended /directory:web-errors", Mode::Unattended, "list|1|web-errors|1|1"},
        {"/unattended /directory:Web-Errors/x", Mode::Unattended, "default||Web-Errors/x|1|1"},
        {"/?", Mode::Usage, ""},
        {"/unattended /?", Mode::Usage, ""},
        {"/unattended /bogus", Mode::Error, "Unknown switch: /bogus"},
        {"/unattended /FromSettings", Mode::Error, "Unknown switch"},
        {"/unattended extra", Mode::Error, "Unknown switch: extra"},
        {"/unattended /sites:", Mode::Error, "The switch /sites"},
        {"/unattended /sites:1,,3", Mode::Error, "The switch /sites"},
        {"/unattended /sites:0", Mode::Error, "The switch /sites"},
        {"/unattended /sites:-1", Mode::Error, "The switch /sites"},
        {"/unattended /sites:1a", Mode::Error, "The switch /sites"},
        {"/unattended /sites:4294967296", Mode::Error, "The switch /sites"},
        {"/unattended /sites:all /sites:1", Mode::Error, "The switch /sites is given twice"},
        {"/unattended /norules /NORULES", Mode::Error, "The switch /norules is given twice"},
        {"/unattended /unattended", Mode::Error, "The switch /unattended is given twice"},
        {"/unattended /directory:", Mode::Error, "The switch /directory needs"},
        {"/? /norules", Mode::Error, "\"/?\" takes no other switch"},
        {"/sites:all /norules", Mode::Window, ""}, // without /unattended the window ignores them
    };
    for (const auto& c : cases) {
        std::istringstream words(c.line);
        const std::vector<std::string> args(std::istream_iterator<std::string>(words), {});
        const WizardCommandLine::Parsed parsed = WizardCommandLine::Parse(args);
        ASSERT_EQ(parsed.mode, c.mode) << c.line << ": " << parsed.error;
        if (c.mode == Mode::Error) {
            EXPECT_EQ(parsed.error.rfind(c.read, 0), 0u) << c.line << ": " << parsed.error;
            continue;
        }
        if (c.mode != Mode::Unattended)
            continue;
        static const char* const kSites[] = {"default", "all", "none", "list"};
        std::string ids;
        for (std::uint32_t id : parsed.siteIds)
            ids += (ids.empty() ? "" : ",") + std::to_string(id);
        const std::string read = std::string(kSites[static_cast<int>(parsed.sites)]) + "|" + ids + "|" +
                                 parsed.directory.value_or("-") + "|" + (parsed.createRulesFile ? "1" : "0") +
                                 "|" + (parsed.createExampleFiles ? "1" : "0");
        EXPECT_EQ(read, c.read) << c.line;
    }
    EXPECT_NE(WizardCommandLine::Usage().find("/unattended"), std::string::npos);
}

// The order of the writes: the default record, then each site's save followed, for a chosen one, by its
// example files and then its rules file.
TEST(DeploymentPlanTest, StepsInOrder) {
    std::deque<SiteSettings> sites(3);
    std::vector<SiteSettings*> records;
    const std::uint32_t ids[] = {1, 3, 4};
    const std::int32_t chosen[] = {1, 0, 1};
    for (std::size_t i = 0; i < sites.size(); ++i) {
        sites[i].siteId = ids[i];
        sites[i].EnableDisable = chosen[i];
        records.push_back(&sites[i]);
    }
    records.insert(records.begin() + 1, nullptr); // an empty position is skipped
    SiteSettings defaults;
    const struct {
        bool examples;
        bool rules;
        const char* steps;
    } cases[] = {
        {true, true, "D0 S1.1 E1.1 R1.1 S3.2 S4.3 E4.3 R4.3"},
        {true, false, "D0 S1.1 E1.1 S3.2 S4.3 E4.3"},
        {false, true, "D0 S1.1 R1.1 S3.2 S4.3 R4.3"},
        {false, false, "D0 S1.1 S3.2 S4.3"},
    };
    for (const auto& c : cases) {
        const DeploymentPlan plan(defaults, records, {"errors", c.examples, c.rules});
        std::string steps;
        for (const DeploymentPlan::Step& step : plan.Steps()) {
            static const char kKinds[] = "DSER";
            steps += (steps.empty() ? "" : " ") + std::string(1, kKinds[static_cast<int>(step.kind)]);
            steps += step.kind == DeploymentPlan::Step::Kind::SaveDefault
                         ? "0"
                         : std::to_string(step.record->siteId) + "." + std::to_string(step.siteNumber);
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(plan.SiteCount(), 3u);
        EXPECT_EQ(plan.ChosenCount(), 2u);
    }
    // The directory text is cut as the page's edit holds it, never inside a character.
    const std::string longName = std::string(258, 'a') + "Ã©" + "bc";
    const std::string cut = DeploymentPlan(defaults, records, {longName, true, true}).Directory();
    EXPECT_LE(cut.size(), DeploymentPlan::kMaxDirectory);
    EXPECT_EQ(cut.substr(0, 258), std::string(258, 'a'));
}

} // namespace
} // namespace qv::test
