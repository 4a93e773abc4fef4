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

// Rows 2, 3 and 4 are sites 1, 3 and 4.
TEST(BaseRowRule, ChoosesTheRowWhoseRecordIsShown) {
    test::ManagerRecords records;
    const SiteRows rows(&records.defaultRecord, records.Pointers());
    struct Case {
        const char* what;
        std::vector<int> selected;
        int focus, shown, last;
        int base, lastAfter;
    };
    const Case cases[] = {
        {"click on a site", {3}, 3, 2, 2, 3, 3},
        {"Shift+Down extends to the focused site", {2, 3}, 3, 2, 2, 3, 3},
        {"Ctrl+click Default keeps the shown site", {D, 3}, D, 3, 3, 3, 3},
        {"Default alone", {D}, D, 3, 3, D, 3},
        {"Ctrl+click All Web Sites while Default is shown", {D, A}, A, D, 3, D, 3},
        {"All Web Sites alone keeps the shown site", {A}, A, 4, 4, 4, 4},
        {"All Web Sites alone after Default falls to the first site", {A}, A, None, None, 2, 2},
        {"All Web Sites alone while Default was shown keeps Default", {A}, A, D, 3, D, 3},
        {"Ctrl+click clearing the shown site shows the one left", {4}, 2, 2, 2, 4, 4},
        {"Ctrl+click Default with two sites goes to the last site", {D, 2, 4}, D, 4, 4, 4, 4},
        {"a selected site beats Default", {D, 3}, 3, D, 2, 3, 3},
        {"Default and All Web Sites: Default, no site row selected", {D, A}, D, 3, 3, D, 3},
        {"nothing selected leaves no base", {}, 2, 3, 3, None, 3},
    };
    for (const Case& c : cases) {
        const RowSelection selection(rows, c.selected);
        const BaseRowRule::Choice choice = BaseRowRule::Choose(rows, selection, c.focus, c.shown, c.last);
        EXPECT_EQ(choice.base, c.base) << c.what;
        EXPECT_EQ(choice.lastSiteRow, c.lastAfter) << c.what;
    }
}

TEST(SiteRows, CallerTitleListsOnlyTheSitesItNames) {
    test::ManagerRecords records;
    records.Add(7, "");
    const SiteRows all(&records.defaultRecord, records.Pointers());
    EXPECT_EQ(all.Count(), 6);
    EXPECT_EQ(all.Text(A), "All Web Sites");

    // Case-sensitive substring; an empty description is in every title.
    const SiteRows named(&records.defaultRecord, records.Pointers(),
                         std::string("Shop Properties (intranet)"));
    ASSERT_EQ(named.Count(), 4);
    EXPECT_EQ(named.Text(2), "Shop");
    EXPECT_EQ(named.RecordOfRow(3)->siteId, 7u);
    EXPECT_EQ(named.RecordOfRow(A), nullptr);

    records.Site(1).EnableDisable = 0;
    EXPECT_EQ(named.StatusOf(2).text, "Disabled");
    EXPECT_TRUE(named.StatusOf(2).grey);
    EXPECT_EQ(named.StatusOf(D).text, "Disabled");
    EXPECT_EQ(named.StatusOf(A).text, "");
}

TEST(SettingsSession, StartsOnTheFirstListedSiteOrWithoutBase) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/", std::string("Intranet"));
    EXPECT_EQ(session.Selection().SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(session.ShownRow(), 2);
    EXPECT_EQ(session.Combined().Values().siteId, 4u);
    EXPECT_FALSE(session.Combined().Changed());
    EXPECT_EQ(session.EnableText(), "Enable Quorvane for Intranet");

    // A caller naming no site: both top rows, nothing selected, nothing enabled.
    SettingsSession none(records.defaultRecord, records.Pointers(), "/opt/qv/", std::string("Other"));
    EXPECT_EQ(none.Rows().Count(), 2);
    EXPECT_FALSE(none.HasBase());
    EXPECT_EQ(none.ShownRow(), None);
    EXPECT_FALSE(none.UpdateControlStates().enableBox);
    none.SelectionChanged(A, {A});
    EXPECT_FALSE(none.HasBase());
}

TEST(SettingsSession, ServerWithoutSitesShowsTheDefaultRowAndWritesNothing) {
    SiteSettings defaultRecord;
    SettingsSession session(defaultRecord, {}, "/opt/qv/");
    EXPECT_EQ(session.Rows().Count(), 1);
    EXPECT_FALSE(session.HasBase());
    session.SelectionChanged(D, {D});
    ASSERT_TRUE(session.HasBase());
    session.Combined().Values().Directory = "new";
    EXPECT_TRUE(session.ValueEdited().empty());
    EXPECT_EQ(defaultRecord.modified, 0);
    EXPECT_FALSE(session.ApplyEnabled());
}

TEST(SettingsSession, ComparisonMarksWhatDiffersAcrossTheAffectedRecords) {
    test::ManagerRecords records;
    records.Site(0).Directory = "Errors"; // case differs from site 3's
    records.Site(0).Logging = 1;
    records.Site(2).ServerState = 1; // site 4, not selected
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");

    session.SelectionChanged(3, {2, 3});
    const SiteSettings& shown = session.Combined().Values();
    EXPECT_EQ(shown.siteId, 3u);
    EXPECT_EQ(shown.Directory, "Varies");
    EXPECT_EQ(shown.Logging, CombinedSettings::kVaries);
    EXPECT_EQ(shown.ServerState, 0);
    EXPECT_EQ(shown.LogDir, "Varies") << "each site keeps its log directory expanded";
    EXPECT_EQ(session.ShownRow(), 3);

    // "All Web Sites" compares every site, selected or not.
    session.SelectionChanged(A, {A});
    EXPECT_EQ(session.Combined().Values().ServerState, CombinedSettings::kVaries);
    EXPECT_EQ(session.AffectedRows(), (std::vector<int>{2, 3, 4}));

    // One site alone is shown as it is.
    session.SelectionChanged(2, {2});
    EXPECT_EQ(session.Combined().Values().Directory, "Errors");
    EXPECT_EQ(session.Combined().Values().Logging, 1);

    // Clearing every selection leaves no base and disables everything.
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
        {false, true, 0, "Enable Quorvane for All Sites"},
        {false, true, 3, "Enable Quorvane for All Sites"},
        {true, false, 0, "Enable Quorvane for Default Settings"},
        {true, false, 2, "Enable Quorvane for Selected Sites and Default Settings"},
        {true, true, 1, "Enable Quorvane for All Sites and Default Settings"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnableBoxText::For(c.defaultSelected, c.allSites, c.sites, "Intranet"), c.text);
}

TEST(ControlStates, FollowTheCombinedFlags) {
    struct Case {
        const char* what;
        ControlStates::Inputs in;
        ControlStates out;
    };
    using I = ControlStates::Inputs;
    const Case cases[] = {
        {"no base", I{false, 3, 1, 1, 1, 1, 1}, ControlStates{}},
        {"disabled site", I{true, 3, 0, 1, 1, 1, 1},
         ControlStates{true, false, false, false, false, false, false, false, true}},
        {"enabled, no logging, no dynamic pages", I{true, 3, 1, 0, 0, 1, 1},
         ControlStates{true, true, true, false, true, true, true, false, true}},
        {"varying flags count as on", I{true, 3, 2, 2, 2, 2, 2},
         ControlStates{true, true, true, true, true, true, true, true, true}},
        {"default shown with sites hides View", I{true, 0, 1, 1, 0, 0, 1},
         ControlStates{true, true, true, false, false, true, true, true, false}},
        {"default alone keeps View", I{true, 0, 1, 1, 0, 0, 0},
         ControlStates{true, true, true, false, false, true, true, true, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ControlStates::For(c.in), c.out) << c.what;
}
