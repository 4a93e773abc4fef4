#include "SiteMachineRecords.h"
#include "manager/core/DialogSizes.h"
#include "manager/core/ManagerCommandLine.h"
#include "manager/core/SettingsSession.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace qv;

namespace {

constexpr int D = SiteRows::kDefaultRow;
constexpr int A = SiteRows::kAllSitesRow;

// Records every save; refuses the sites in failing.
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

TEST(ApplySettings, DefaultFirstThenModifiedSitesInOrderOnce) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    session.SelectionChanged(4, {D, 4, 2});
    session.ToggleEnable();
    ASSERT_EQ(session.PendingSaves(), 3u);

    FakeStore store;
    const auto first = session.ApplySettings(true, store.Saver());
    EXPECT_EQ(store.saved, (std::vector<std::uint32_t>{0, 1, 4}));
    EXPECT_EQ(first.result.saved, 3u);
    EXPECT_FALSE(first.closeDialog);
    EXPECT_FALSE(session.ApplyEnabled());

    // A second press finds nothing modified; OK then closes.
    const auto second = session.ApplySettings(false, store.Saver());
    EXPECT_EQ(store.saved.size(), 3u);
    EXPECT_FALSE(second.result.Attempted());
    EXPECT_TRUE(second.closeDialog);
}

TEST(ApplySettings, FailedSavesStayModifiedAndKeepTheDialogOpen) {
    test::ManagerRecords records;
    SettingsSession session(records.defaultRecord, records.Pointers(), "/opt/qv/");
    session.SelectionChanged(D, {D, A});
    session.Combined().Values().Directory = "missing";
    session.ValueEdited();

    FakeStore store;
    store.failing = {0, 3};
    for (bool applyOnly : {false, true}) {
        const auto outcome = session.ApplySettings(applyOnly, store.Saver());
        EXPECT_EQ(outcome.result.failedSites, (std::vector<std::uint32_t>{0, 3}));
        EXPECT_FALSE(outcome.closeDialog);
        EXPECT_TRUE(session.ApplyEnabled());
    }
    EXPECT_EQ(store.saved, (std::vector<std::uint32_t>{1, 4}));
    EXPECT_EQ(records.defaultRecord.modified, 1);
    EXPECT_EQ(records.Site(1).modified, 1);
    EXPECT_EQ(records.Site(0).modified, 0);

    // Once the store takes them, only those two are written and OK closes.
    store.failing.clear();
    const auto retry = session.ApplySettings(false, store.Saver());
    EXPECT_EQ(store.saved, (std::vector<std::uint32_t>{1, 4, 0, 3}));
    EXPECT_TRUE(retry.closeDialog);
    EXPECT_FALSE(session.ApplyEnabled());
}

TEST(DialogSizes, TwentyFourLittleEndianBytesRoundTripThroughTheRegistry) {
    DialogSizes sizes = DialogSizes::AtClose(692, 380, 210, 60);
    EXPECT_EQ(sizes.Width(), 700);
    sizes.left = -2;
    const auto bytes = sizes.Encode();
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[8], 700 % 256);
    EXPECT_EQ(bytes[9], 700 / 256);
    EXPECT_EQ(bytes[16], 210);
    const std::string data(bytes.begin(), bytes.end());
    EXPECT_EQ(DialogSizes::Decode(data), sizes);
    EXPECT_FALSE(DialogSizes::Decode(data.substr(0, 23)).has_value());
    EXPECT_FALSE(DialogSizes::Decode(data + '\0').has_value());

    test::TempMachine machine;
    RegistryKey::DeleteTree(DialogSizes::kKey);
    EXPECT_FALSE(DialogSizes::Load().has_value());
    ASSERT_TRUE(sizes.Save());
    RegistryKey key;
    ASSERT_EQ(key.Open(DialogSizes::kKey, RegAccess::Read), kErrorSuccess);
    std::uint32_t type = 0;
    std::string stored;
    ASSERT_EQ(key.ReadValue(DialogSizes::kValue, &type, stored), kErrorSuccess);
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(stored.size(), 24u);
    key.Close();
    EXPECT_EQ(DialogSizes::Load(), sizes);

    // Columns dragged shut come back at their defaults.
    DialogSizes shut = sizes;
    shut.sitesColumn = 0;
    shut.statusColumn = -1;
    ASSERT_TRUE(shut.Save());
    const auto loaded = DialogSizes::Load();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->sitesColumn, DialogSizes::kDefaultSitesColumn);
    EXPECT_EQ(loaded->statusColumn, DialogSizes::kDefaultStatusColumn);
    RegistryKey::DeleteTree(DialogSizes::kKey);
}

TEST(ManagerCommandLine, TheWordAfterTheLastSpaceIsTheCallerWindow) {
    const std::pair<const char*, std::uint64_t> lines[] = {
        {"Quorvane.exe 1312", 1312},
        {"1312", 0},
        {"", 0},
        {"Quorvane.exe", 0},
        {"Quorvane.exe 12 34", 34},
        {"Quorvane.exe 99x", 99},
        {"Quorvane.exe x99", 0},
        {"Quorvane.exe 1312  ", 1312},
        {"Quorvane.exe 18446744073709551615", 18446744073709551615ull},
        {"Quorvane.exe 18446744073709551616", 0},
        {"\"C:\\Program Files\\Helmark\\Quorvane\\Quorvane.exe\"", 0},
    };
    for (const auto& [line, handle] : lines)
        EXPECT_EQ(ManagerCommandLine::CallerHandle(line), handle) << line;
    EXPECT_EQ(ManagerCommandLine::Join({"Quorvane", "-x", "7"}), "Quorvane -x 7");
}
