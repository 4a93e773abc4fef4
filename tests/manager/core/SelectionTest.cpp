#include "SiteMachineRecords.h"
#include "manager/core/BaseRowRule.h"
#include "manager/core/ControlStates.h"
#include "manager/core/EnableBoxText.h"
#include "manager/core/SettingsSession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv;

namespace {
constexpr int D = SiteRows::kDefaultRow;
constexpr int A = SiteRows::kAllSitesRow;
constexpr int None = SiteRows::kNoRow;
} // namespace

TEST(BaseRowRule, ChoosesTheRowWhoseRecordIsShown) {
    test::ManagerRecords records;
    const SiteRows rows(&records.defaultRecord, records.Pointers());
    struct Case {
        const char* what;
        std::vector<int> selected;
        int focus, shown, last, base, lastAfter;
    };
    const Case cases[] = {
        {"click on a site", {3}, 3, 2, 2, 3, 3},
        {"Shift+Down extends to the focused site", {2, 3}, 3, 2, 2, 3, 3},
        {"Ctrl+click Default keeps the shown site", {D, 3}, D, 3, 3, 3, 3},
        {"Default alone", {D}, D, 3, 3, D, 3},
        {"Ctrl+click All Web Sites while Default is shown", {D, A}, A, D, 3, D, 3},
        {"All Web Sites alone keeps the shown site", {A}, A, 4, 4, 4, 4},
        {"All Web Sites alone without a shown site", {A}, A, None, None, 2, 2},
        {"All Web Sites alone while Default was shown", {A}, A, D, 3, D, 3},
        {"Ctrl+click clearing the shown site shows the one left", {4}, 2, 2, 2, 4, 4},
        {"Ctrl+click Default with two sites goes to the last site", {D, 2, 4}, D, 4, 4, 4, 4},
        {"a selected site beats Default", {D, 3}, 3, D, 2, 3, 3},
        {"Default and All Web Sites", {D, A}, D, 3, 3, D, 3},
        {"nothing selected", {}, 2, 3, 3, None, 3},
    };
    for (const Case& c : cases) {
        const auto choice =
            BaseRowRule::Choose(rows, RowSelection(rows, c.selected), c.focus, c.shown, c.last);
        EXPECT_EQ(choice.base, c.base) << c.what;
        EXPECT_EQ(choice.lastSiteRow, c.lastAfter) << c.what;
    }
}

TEST(SettingsSession, CallerTitleListsTheSitesItNamesAndTheFirstStartsShown) {
    test::ManagerRecords records;
    // A caller naming no site: both top rows, nothing selected, no base to fall back on.
    SettingsSession none(records.defaultRecord, records.Pointers(), "/qv/", std::string("Other"));
    EXPECT_EQ(none.Rows().Count(), 2);
    none.SelectionChanged(A, {A});
    EXPECT_FALSE(none.HasBase());
    EXPECT_FALSE(none.UpdateControlStates().enableBox);
    records.Add(7, "");
    // Case-sensitive substring; an empty description is in every title.
    SettingsSession session(records.defaultRecord, records.Pointers(), "/qv/",
                            std::string("Shop (intranet)"));
    ASSERT_EQ(session.Rows().Count(), 4);
    EXPECT_EQ(session.Rows().RecordOfRow(3)->siteId, 7u);
    EXPECT_EQ(session.Selection().SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(session.EnableText(), "Enable Quorvane for Shop");
    records.Site(1).EnableDisable = 0;
    EXPECT_TRUE(session.Rows().StatusOf(2).grey);
}

TEST(SettingsSession, ComparisonMarksWhatDiffersAcrossTheAffectedRecords) {
    test::ManagerRecords records;
    records.Site(0).Directory = "Errors"; // differs from site 3's "errors" in case only
    records.Site(0).Logging = 1;
    records.Site(2).ServerState = 1; // site 4, not selected
    SettingsSession session(records.defaultRecord, records.Pointers(), "/qv/");
    session.SelectionChanged(3, {2, 3});
    const SiteSettings& shown = session.Combined().Values();
    EXPECT_EQ(shown.siteId, 3u);
    EXPECT_EQ(shown.Directory, "Varies");
    EXPECT_EQ(shown.Logging, CombinedSettings::kVaries);
    EXPECT_EQ(shown.ServerState, 0);
    // "All Web Sites" compares every site, selected or not.
    session.SelectionChanged(A, {A});
    EXPECT_EQ(session.Combined().Values().ServerState, CombinedSettings::kVaries);
    session.SelectionChanged(2, {});
    EXPECT_FALSE(session.HasBase());
    EXPECT_EQ(session.ShownRow(), None);
    EXPECT_EQ(session.EnableBoxState(), 0);
    EXPECT_EQ(session.UpdateControlStates(), ControlStates{});
}

TEST(EnableBoxText, OneTextPerKindOfSelection) {
    struct Case {
        bool defaultSelected, allSites;
        int sites;
        const char* text;
    };
    const Case cases[] = {
        {false, false, 0, "Enable Quorvane"},
        {false, false, 1, "Enable Quorvane for Intranet"},
        {false, false, 2, "Enable Quorvane for Selected Sites"},
        {false, true, 3, "Enable Quorvane for All Sites"},
        {true, false, 0, "Enable Quorvane for Default Settings"},
        {true, false, 2, "Enable Quorvane for Selected Sites and Default Settings"},
        {true, true, 1, "Enable Quorvane for All Sites and Default Settings"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnableBoxText::For(c.defaultSelected, c.allSites, c.sites, "Intranet"), c.text);
}

TEST(ControlStates, FollowTheCombinedFlags) {
    using I = ControlStates::Inputs;
    const std::pair<I, ControlStates> cases[] = {
        // hasBase, base site, EnableDisable, Logging, Dyn404, SendErrorImage, selected sites
        {I{false, 3, 1, 1, 1, 1, 1}, ControlStates{}},
        {I{true, 3, 0, 1, 1, 1, 1}, {true, false, false, false, false, false, false, false, true}},
        {I{true, 3, 1, 0, 0, 1, 1}, {true, true, true, false, true, true, true, false, true}},
        {I{true, 3, 2, 2, 2, 2, 2}, {true, true, true, true, true, true, true, true, true}},
        {I{true, 0, 1, 1, 0, 0, 1}, {true, true, true, false, false, true, true, true, false}},
        {I{true, 0, 1, 1, 0, 0, 0}, {true, true, true, false, false, true, true, true, true}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ControlStates::For(cases[i].first), cases[i].second) << "case " << i;
}
