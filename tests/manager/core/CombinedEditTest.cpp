#include "SiteMachineRecords.h"
#include "manager/core/SettingsSession.h"
#include "manager/core/UpdatingScope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv;

namespace {

constexpr int D = SiteRows::kDefaultRow;
constexpr int A = SiteRows::kAllSitesRow;

ValueList List(std::initializer_list<const char*> items) {
    ValueList list;
    for (const char* item : items)
        list.Add(item);
    return list;
}

} // namespace

TEST(WriteCombined, WritesEveryValueThatDoesNotVaryIntoEveryAffectedRecord) {
    test::ManagerRecords records;
    records.Site(0).Logging = 1;
    records.Site(1).Directory = "Errors";
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    session.SelectionChanged(3, {2, 3});
    ASSERT_EQ(session.Combined().Values().Directory, "Varies");
    ASSERT_EQ(session.Combined().Values().Logging, CombinedSettings::kVaries);

    // An edit of another value leaves the varying ones as each record has them.
    session.Combined().Values().ServerState = 1;
    EXPECT_EQ(session.ValueEdited(), (std::vector<int>{2, 3}));
    EXPECT_TRUE(session.ApplyEnabled());
    EXPECT_EQ(records.Site(0).Directory, "errors");
    EXPECT_EQ(records.Site(1).Directory, "Errors");
    EXPECT_EQ(records.Site(0).Logging, 1);
    EXPECT_EQ(records.Site(1).Logging, 0);
    EXPECT_EQ(records.Site(1).ServerState, 1);
    EXPECT_EQ(records.Site(2).modified, 0) << "site 4 is not selected";
    EXPECT_EQ(records.defaultRecord.modified, 0);

    // Typing over "Varies": every keystroke is written, except a text that reads "Varies".
    for (const char* typed : {"V", "Vari", "Varies", "Variesx"}) {
        session.Combined().Values().Directory = typed;
        session.ValueEdited();
        const std::string expected = std::string(typed) == "Varies" ? "Vari" : typed;
        EXPECT_EQ(records.Site(0).Directory, expected) << typed;
        EXPECT_EQ(records.Site(1).Directory, expected) << typed;
    }

    // An indeterminate Logging box clicked once writes 0 into both.
    session.Combined().Values().Logging = 0;
    session.ValueEdited();
    EXPECT_EQ(records.Site(0).Logging, 0);
    EXPECT_EQ(records.Site(1).Logging, 0);
}

TEST(WriteCombined, AllWebSitesReachesUnselectedSitesAndDefaultOnlyWhenSelected) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    session.SelectionChanged(A, {A});
    EXPECT_EQ(session.ToggleEnable(), (std::vector<int>{2, 3, 4}));
    for (int row : {2, 3, 4}) {
        EXPECT_EQ(session.Rows().RecordOfRow(row)->modified, 1);
        EXPECT_EQ(session.Rows().StatusOf(row).text, "Disabled");
    }
    EXPECT_EQ(records.defaultRecord.modified, 0);

    session.SelectionChanged(D, {D, A});
    EXPECT_EQ(session.ToggleEnable(), (std::vector<int>{D, 2, 3, 4}));
    EXPECT_EQ(records.defaultRecord.EnableDisable, 1);
    EXPECT_EQ(records.Site(2).EnableDisable, 1);
}

TEST(WriteCombined, LogDirTokensAreExpandedForSitesOnly) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    session.SelectionChanged(D, {D, 4});
    session.Combined().Values().LogDir = "[PROGFILES]Logs/[SITE]/100%";
    session.ValueEdited();
    EXPECT_EQ(records.Site(2).LogDir, "/opt/qv/Logs/4/100%");
    EXPECT_EQ(records.defaultRecord.LogDir, "[PROGFILES]Logs/[SITE]/100%");
}

TEST(WriteCombined, ListsOnlyWhenFlaggedAndFlagsEndWithTheSelection) {
    test::ManagerRecords records;
    records.Site(0).ExtList = List({"htm"});
    records.Site(1).ExtList = List({"html", "htm"});
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    session.SelectionChanged(2, {2, 3});
    session.Combined().Values().ExtList = List({"asp"});
    session.Combined().Values().ImgExts = List({"gif"});

    session.ValueEdited();
    EXPECT_EQ(records.Site(1).ExtList, List({"html", "htm"})) << "not flagged";

    session.Lists().Set(ListChangeFlags::ExtList);
    session.ValueEdited();
    EXPECT_EQ(records.Site(0).ExtList, List({"asp"}));
    EXPECT_EQ(records.Site(1).ExtList, List({"asp"}));
    EXPECT_TRUE(records.Site(1).ImgExts.Empty());

    // The next selection starts without flags: its edits leave site 4's list alone.
    session.SelectionChanged(4, {4});
    EXPECT_FALSE(session.Lists().AnySet());
    session.Combined().Values().ExtList = List({"php"});
    session.ValueEdited();
    EXPECT_TRUE(records.Site(2).ExtList.Empty());
}

TEST(SettingsSession, EditsWhileUpdatingAreStoredButNeitherMarkedNorWritten) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    {
        UpdatingScope updating(session);
        session.Combined().Values().Directory = "filled";
        EXPECT_TRUE(session.ValueEdited().empty());
        session.ToggleEnable();
        EXPECT_EQ(session.Combined().Values().EnableDisable, 0);
    }
    EXPECT_FALSE(session.Updating());
    EXPECT_FALSE(session.Combined().Changed());
    EXPECT_FALSE(session.ApplyEnabled());
    EXPECT_EQ(records.Site(0).Directory, "errors");
    EXPECT_EQ(records.Site(0).modified, 0);

    // An indeterminate enable box is unchecked by one click, checked by the next.
    session.SelectionChanged(A, {A});
    records.Site(1).EnableDisable = 0;
    session.SelectionChanged(A, {A});
    ASSERT_EQ(session.Combined().Values().EnableDisable, CombinedSettings::kVaries);
    session.ToggleEnable();
    EXPECT_EQ(records.Site(0).EnableDisable, 0);
    session.ToggleEnable();
    EXPECT_EQ(records.Site(1).EnableDisable, 1);
}
