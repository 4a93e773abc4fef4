#include "logviewer/core/ViewerCommandLine.h"
#include "logviewer/core/ViewerLayout.h"
#include "logviewer/core/ViewerSelection.h"
#include "logviewer/core/ViewerTemplate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace qv;

TEST(ViewerCommandLine, SiteNumberAfterTheFirstSlash) {
    const std::pair<const char*, std::uint32_t> lines[] = {
        {"/3", 3},         {"/0", 0},
        {"", 0},           {"7", 0},
        {"-x /12 /4", 12}, {"/714302958 extra", 714302958},
        {"/5x", 5},        {"/99999999999", std::numeric_limits<std::uint32_t>::max()}};
    for (const auto& [line, site] : lines)
        EXPECT_EQ(ViewerCommandLine::RequestedSite(line), site) << line;
    EXPECT_EQ(ViewerCommandLine::Join({"qv_logviewer", "-x", "/3"}), "-x /3");
    EXPECT_EQ(ViewerCommandLine::Join({"qv_logviewer"}), "");
}

namespace {

std::vector<ViewerSite> ThreeSites() {
    return {{1, "Default Web Site", "/logs/1"}, {3, "Shop", "/logs/3"}, {714302958, "Intranet", "/logs/x"}};
}

std::vector<LogFileEntry> Files(int count) {
    std::vector<LogFileEntry> files;
    for (int i = 0; i < count; ++i)
        files.push_back({"qv06031" + std::to_string(i) + ".log", 0, "", ""});
    return files;
}

} // namespace

TEST(ViewerSelection, RequestedSiteOrTheFirstThenTheNewestFileThenTheSamePosition) {
    const std::pair<std::uint32_t, int> requests[] = {{3, 1}, {714302958, 2}, {0, 0}, {2, 0}};
    for (const auto& [site, index] : requests)
        EXPECT_EQ(ViewerSelection(ThreeSites(), site).SiteIndex(), index) << site;
    const ViewerSelection none({}, 3);
    EXPECT_EQ(none.SiteIndex(), -1);
    EXPECT_EQ(none.LogDirectory(), "");
    ViewerSelection selection(ThreeSites(), 0);
    selection.ChooseSite(2);
    EXPECT_EQ(selection.LogDirectory(), "/logs/x");
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

TEST(ViewerLayout, ControlsShareTheBottomRowWithoutOverlap) {
    const ViewerLayout smallest = ViewerLayout::ForClient(400, 350);
    EXPECT_EQ(smallest.list, (ViewerRect{5, 75, 390, 235}));
    EXPECT_EQ(smallest.ok, (ViewerRect{163, 320, 75, 23}));
    for (const auto& [width, height] : {std::pair{400, 350}, {522, 384}, {1201, 877}}) {
        const ViewerLayout layout = ViewerLayout::ForClient(width, height);
        for (const ViewerRect& rect : {layout.find, layout.progress, layout.exportButton}) {
            EXPECT_FALSE(rect.Intersects(layout.ok));
            EXPECT_FALSE(rect.Intersects(layout.list));
            EXPECT_GE(rect.left, 5);
            EXPECT_LE(rect.Right(), width - 5);
            EXPECT_GT(rect.width, 60);
        }
        EXPECT_FALSE(layout.count.Intersects(layout.list));
        EXPECT_FALSE(layout.count.Intersects(layout.exportButton));
        EXPECT_FALSE(layout.find.Intersects(layout.count));
    }
    // A kept place smaller than the window can be keeps its corner and grows.
    EXPECT_EQ(ViewerLayout::RestoredWindow({10, 20, 100, 1000}), (ViewerRect{10, 20, 400, 1000}));
}

TEST(ViewerTemplate, LabelsAreNotCutAndTheListsStayInTheirBand) {
    // Base units and label widths of small, usual, wide and large fonts.
    const int fonts[][4] = {{4, 10, 20, 20}, {6, 13, 60, 40}, {7, 15, 200, 150}, {9, 16, 90, 60}};
    for (const auto& [baseX, baseY, siteLabel, fileLabel] : fonts) {
        const ViewerTemplate places =
            ViewerTemplate::ForFont(DialogUnits(baseX, baseY), siteLabel, fileLabel);
        EXPECT_LT(places.siteLabel.Right(), places.siteList.left) << baseX;
        EXPECT_LT(places.fileLabel.Right(), places.fileList.left) << baseX;
        EXPECT_GE(places.siteLabel.width, siteLabel);
        EXPECT_LE(places.fileList.Bottom(), 73) << baseX;
        EXPECT_GT(places.fileList.top, places.siteList.Bottom() - 1) << baseX;
        EXPECT_GE(places.refresh.left, places.fileList.Right()) << baseX;
        EXPECT_LE(places.refresh.Right(), places.clientWidth) << baseX;
    }
    // The column widths were made for a font 6 pixels wide.
    EXPECT_EQ(ViewerTemplate::ForFont(DialogUnits(6, 13), 0, 0).columns, ViewerTemplate::kDefaultColumns);
    EXPECT_EQ(ViewerTemplate::ForFont(DialogUnits(9, 20), 0, 0).columns[4], 300);
}
