#include "SiteMachineRecords.h"
#include "manager/core/DialogSizes.h"
#include "manager/core/ManagerCommandLine.h"
#include "manager/core/SettingsSession.h"
#include "manager/core/UpdatingScope.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace qv;

namespace {

constexpr int D = SiteRows::kDefaultRow;
constexpr int A = SiteRows::kAllSitesRow;

ValueList List(const char* item) {
    ValueList list;
    list.Add(item);
    return list;
}

// Records every save; refuses the site numbers in failing.
struct FakeStore {
    std::vector<std::uint32_t> saved;
    std::set<std::uint32_t> failing;
    SettingsApplier::SaveRecord Saver() {
        return [this](SiteSettings& record) -> long {
            if (failing.count(record.siteId) != 0)
                return kErrorAccessDenied;
            saved.push_back(record.siteId);
            return kErrorSuccess;
        };
    }
};

} // namespace

TEST(WriteCombined, WritesWhatDoesNotVaryIntoEveryAffectedRecord) {
    test::ManagerRecords records;
    records.Site(1).ExtList = List("htm");
    records.Site(0).Logging = 1;
    records.Site(1).Directory = "Errors";
    SettingsSession session(records.defaultRecord, records.Pointers(), "/qv/");
    {
        // Edits while the controls are filled are stored but neither marked nor written.
        UpdatingScope updating(session);
        session.Combined().Values().Directory = "filled";
        EXPECT_TRUE(session.ValueEdited().empty());
    }
    EXPECT_FALSE(session.Updating() || session.ApplyEnabled());
    EXPECT_EQ(records.Site(0).Directory, "errors");
    EXPECT_EQ(records.Site(0).modified, 0);
    session.SelectionChanged(3, {2, 3});
    SiteSettings& shown = session.Combined().Values();
    // An edit of another value leaves the varying ones as each record has them.
    shown.ServerState = 1;
    EXPECT_EQ(session.ValueEdited(), (std::vector<int>{2, 3}));
    EXPECT_TRUE(session.ApplyEnabled());
    EXPECT_EQ(records.Site(1).Directory, "Errors");
    EXPECT_EQ(records.Site(1).Logging, 0);
    EXPECT_EQ(records.Site(0).ServerState, 1);
    EXPECT_EQ(records.Site(2).modified, 0) << "site 4 is not selected";
    // Typing over "Varies" writes every keystroke but a text that reads "Varies".
    for (const char* typed : {"Vari", "Varies", "Variesx"}) {
        shown.Directory = typed;
        session.ValueEdited();
        const std::string expected = std::string(typed) == "Varies" ? "Vari" : typed;
        EXPECT_EQ(records.Site(0).Directory, expected);
        EXPECT_EQ(records.Site(1).Directory, expected);
    }
    // "All Web Sites" writes every site but not Default; one click unchecks an indeterminate enable box.
    records.Site(2).EnableDisable = 0;
    session.SelectionChanged(A, {A});
    EXPECT_EQ(session.ToggleEnable(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(records.Site(0).EnableDisable, 0);
    EXPECT_EQ(records.Site(2).modified, 1);
    EXPECT_EQ(session.Rows().StatusOf(4).text, "Disabled");
    EXPECT_EQ(records.defaultRecord.modified, 0);
    // Log directory tokens are expanded for sites only.
    session.SelectionChanged(D, {D, 4});
    session.Combined().Values().LogDir = "[PROGFILES]Logs/[SITE]/100%";
    session.ValueEdited();
    EXPECT_EQ(records.Site(2).LogDir, "/qv/Logs/4/100%");
    EXPECT_EQ(records.defaultRecord.LogDir, "[PROGFILES]Logs/[SITE]/100%");
    // Lists are written only when flagged, and the flags end with the selection.
    session.SelectionChanged(2, {2, 3});
    session.Combined().Values().ExtList = List("asp");
    session.Combined().Values().ImgExts = List("gif");
    session.ValueEdited();
    EXPECT_EQ(records.Site(1).ExtList, List("htm")) << "not flagged";
    session.Lists().Set(ListChangeFlags::ExtList);
    session.ValueEdited();
    EXPECT_EQ(records.Site(1).ExtList, List("asp"));
    EXPECT_TRUE(records.Site(1).ImgExts.Empty());
    session.SelectionChanged(4, {4});
    session.Combined().Values().ExtList = List("php");
    session.ValueEdited();
    EXPECT_TRUE(records.Site(2).ExtList.Empty());
}

TEST(ApplySettings, DefaultFirstThenModifiedSitesInOrderOnce) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/qv/");
    session.SelectionChanged(4, {D, 4, 2});
    session.ToggleEnable();
    EXPECT_EQ(session.PendingSaves(), 3u);
    FakeStore store;
    EXPECT_FALSE(session.ApplySettings(true, store.Saver()).closeDialog);
    EXPECT_EQ(store.saved, (std::vector<std::uint32_t>{0, 1, 4}));
    EXPECT_FALSE(session.ApplyEnabled());
    // A second press finds nothing modified; OK then closes.
    EXPECT_TRUE(session.ApplySettings(false, store.Saver()).closeDialog);
    EXPECT_EQ(store.saved.size(), 3u);
}

TEST(ApplySettings, FailedSavesStayModifiedAndKeepTheDialogOpen) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/qv/");
    session.SelectionChanged(D, {D, A});
    session.ToggleEnable();
    FakeStore store;
    store.failing = {0, 3};
    for (bool applyOnly : {false, true}) {
        const auto outcome = session.ApplySettings(applyOnly, store.Saver());
        EXPECT_EQ(outcome.result.failedSites, (std::vector<std::uint32_t>{0, 3}));
        EXPECT_FALSE(outcome.closeDialog);
        EXPECT_TRUE(session.ApplyEnabled());
    }
    EXPECT_EQ(store.saved, (std::vector<std::uint32_t>{1, 4}));
    // Once the store takes them, only those two are written and OK closes.
    store.failing.clear();
    EXPECT_TRUE(session.ApplySettings(false, store.Saver()).closeDialog);
    EXPECT_EQ(store.saved, (std::vector<std::uint32_t>{1, 4, 0, 3}));
    EXPECT_FALSE(session.ApplyEnabled());
}

TEST(DialogSizes, TwentyFourLittleEndianBytesRoundTripThroughTheRegistry) {
    DialogSizes sizes = DialogSizes::AtClose(692, 380, 210, 60);
    sizes.left = -2;
    const auto bytes = sizes.Encode();
    EXPECT_EQ(std::vector<int>(bytes.begin(), bytes.begin() + 12),
              (std::vector<int>{0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 700 % 256, 700 / 256, 0, 0}));
    std::string data(bytes.begin(), bytes.end());
    EXPECT_FALSE(DialogSizes::Decode(data.substr(0, 23)).has_value());
    test::TempMachine machine;
    RegistryKey::DeleteTree(DialogSizes::kKey);
    EXPECT_FALSE(DialogSizes::Load().has_value());
    ASSERT_TRUE(sizes.Save());
    EXPECT_EQ(DialogSizes::Load(), sizes);
    RegistryKey key;
    std::uint32_t type = 0;
    std::string stored;
    ASSERT_EQ(key.Open(DialogSizes::kKey, RegAccess::Read), kErrorSuccess);
    ASSERT_EQ(key.ReadValue(DialogSizes::kValue, &type, stored), kErrorSuccess);
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(stored, data);
    key.Close();
    // Columns dragged shut come back at their defaults.
    std::fill(data.begin() + 16, data.end(), '\0');
    EXPECT_EQ(std::pair(DialogSizes::Decode(data)->sitesColumn, DialogSizes::Decode(data)->statusColumn),
              std::pair(130, 50));
    RegistryKey::DeleteTree(DialogSizes::kKey);
}

TEST(ManagerCommandLine, TheWordAfterTheLastSpaceIsTheCallerWindow) {
    const std::pair<const char*, std::uint64_t> lines[] = {
        {"Quorvane.exe 1312", 1312},
        {"1312", 0},
        {"Quorvane.exe 12 34", 34},
        {"Quorvane.exe 99x", 99},
        {"Quorvane.exe x99", 0},
        {"Quorvane.exe 1312  ", 1312},
        {"Quorvane.exe 18446744073709551616", 0},
        {"\"C:\\Program Files\\Helmark\\Quorvane\\Quorvane.exe\"", 0},
    };
    for (const auto& [line, handle] : lines)
        EXPECT_EQ(ManagerCommandLine::CallerHandle(line), handle) << line;
}
