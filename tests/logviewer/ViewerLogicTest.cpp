#include "logviewer/LogViewerSelection.h"
#include "logviewer/ViewerCommandLine.h"
#include "logviewer/ViewerLayout.h"
#include "logviewer/ViewerPlacement.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace qv;

TEST(ViewerCommandLine, SiteNumberAfterTheFirstSlash) {
    EXPECT_EQ(ViewerCommandLine::RequestedSite("/3"), 3u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite("/0"), 0u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite(""), 0u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite("7"), 0u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite("-x /12 /4"), 12u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite("/714302958 extra"), 714302958u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite("/5x"), 5u);
    EXPECT_EQ(ViewerCommandLine::RequestedSite("/99999999999"), std::numeric_limits<std::uint32_t>::max());
    EXPECT_EQ(ViewerCommandLine::Join({"qv_logviewer", "-x", "/3"}), "-x /3");
    EXPECT_EQ(ViewerCommandLine::Join({"qv_logviewer"}), "");
}

namespace {

std::vector<LogViewerSite> ThreeSites() {
    return {{1, "Default Web Site", "/logs/1"}, {3, "Shop", "/logs/3"}, {714302958, "Intranet", "/logs/x"}};
}

std::vector<LogFileEntry> Files(int count) {
    std::vector<LogFileEntry> files;
    for (int i = 0; i < count; ++i)
        files.push_back({"qv06031" + std::to_string(i) + ".log", 0, "", ""});
    return files;
}

} // namespace

TEST(LogViewerSelection, RequestedSiteOrTheFirst) {
    EXPECT_EQ(LogViewerSelection(ThreeSites(), 3).SiteIndex(), 1);
    EXPECT_EQ(LogViewerSelection(ThreeSites(), 714302958).SiteIndex(), 2);
    EXPECT_EQ(LogViewerSelection(ThreeSites(), 0).SiteIndex(), 0);
    EXPECT_EQ(LogViewerSelection(ThreeSites(), 2).SiteIndex(), 0);
    const LogViewerSelection none({}, 3);
    EXPECT_EQ(none.SiteIndex(), -1);
    EXPECT_EQ(none.LogDirectory(), "");

    LogViewerSelection selection(ThreeSites(), 0);
    selection.ChooseSite(2);
    EXPECT_EQ(selection.LogDirectory(), "/logs/x");
}

TEST(LogViewerSelection, NewestFileThenTheSamePosition) {
    LogViewerSelection selection(ThreeSites(), 1);
    selection.RebuildFiles(Files(2), true);
    ASSERT_NE(selection.SelectedFile(), nullptr);
    EXPECT_EQ(selection.SelectedFile()->fileName, "qv060311.log");

    // Refresh with a new day: the position stays, so the same file is shown again.
    selection.RebuildFiles(Files(3), false);
    EXPECT_EQ(selection.FileIndex(), 1);
    EXPECT_EQ(selection.SelectedFile()->fileName, "qv060311.log");

    // Files removed so that the position is gone: nothing is selected.
    selection.RebuildFiles(Files(1), false);
    EXPECT_EQ(selection.SelectedFile(), nullptr);

    // None shown, then files appear: still nothing until one is chosen.
    selection.RebuildFiles({}, true);
    EXPECT_EQ(selection.FileIndex(), -1);
    selection.RebuildFiles(Files(2), false);
    EXPECT_EQ(selection.SelectedFile(), nullptr);
    selection.ChooseFile(0);
    EXPECT_EQ(selection.SelectedFile()->fileName, "qv060310.log");
}

TEST(ViewerLayout, ListAndOkFollowTheClientArea) {
    for (const QSize client : {QSize(400, 350), QSize(522, 384), QSize(1201, 877)}) {
        const ViewerLayout layout = ViewerLayout::ForClient(client);
        EXPECT_EQ(layout.list, QRect(5, 75, client.width() - 10, client.height() - 115));
        EXPECT_EQ(layout.ok, QRect(client.width() / 2 - 37, client.height() - 30, 75, 23));
        // The added controls share OK's row without touching it or each other.
        for (const QRect& rect : {layout.find, layout.progress, layout.exportButton}) {
            EXPECT_FALSE(rect.intersects(layout.ok));
            EXPECT_FALSE(rect.intersects(layout.list));
            EXPECT_GE(rect.left(), 5);
            EXPECT_LE(rect.right(), client.width() - 5);
            EXPECT_GT(rect.width(), 60);
        }
        EXPECT_FALSE(layout.count.intersects(layout.list));
        EXPECT_FALSE(layout.count.intersects(layout.exportButton));
        EXPECT_FALSE(layout.find.intersects(layout.count));
    }
}

TEST(ViewerPlacement, KeepsWindowAndColumnsInTheRegistry) {
    test::TempMachine machine;
    ViewerPlacement first;
    first.Load();
    EXPECT_FALSE(first.Window().has_value());
    EXPECT_EQ(first.Columns(), ViewerPlacement::kDefaultColumns);

    first.SetWindow({10, 20, 610, 470});
    first.SetColumns({1, 2, 3, 4, 5, 6, 7, 8});
    first.Save();
    ViewerPlacement second;
    second.Load();
    ASSERT_TRUE(second.Window().has_value());
    EXPECT_EQ(second.Window()->right, 610);
    EXPECT_EQ(second.Window()->bottom, 470);
    EXPECT_EQ(second.Columns(), (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));

    // Values of another size keep the defaults; a width below 1 falls back to its column's default.
    RegistryKey key;
    ASSERT_EQ(key.Open(ViewerPlacement::kKey, RegAccess::Write), kErrorSuccess);
    const std::int32_t shortWindow[2] = {1, 2};
    key.SetValue("win", kRegBinary, shortWindow, sizeof(shortWindow));
    const std::int32_t columns[8] = {0, -5, 30, 40, 50, 60, 70, 80};
    key.SetValue("cols", kRegBinary, columns, sizeof(columns));
    ViewerPlacement third;
    third.Load();
    EXPECT_FALSE(third.Window().has_value());
    EXPECT_EQ(third.Columns(), (std::array<std::int32_t, 8>{70, 60, 30, 40, 50, 60, 70, 80}));
}
