#include "ViewerWindowLayout.h"

#include "ViewerLayout.h"

#include <algorithm>

namespace qv {

namespace {

constexpr int kMargin = 5;
constexpr int kGap = 6;
constexpr int kBandGap = 4;
constexpr int kTopBand = 75;
constexpr int kBottomBand = 40;
constexpr int kScopeWidth = 112;
constexpr int kTypeWidth = 190;
constexpr int kTimeWidth = 64;
constexpr int kDashWidth = 10;
constexpr int kMinimumList = 40;
constexpr int kTallWindow = 480;

// A taller window gives the histogram more height, a small one keeps the list readable.
int HistogramHeight(int height) {
    return height >= kTallWindow ? 72 : 48;
}

int FilterRows(int width) {
    return width >= ViewerWindowLayout::kOneRowWidth ? 1 : 2;
}

// Bands above the list, from the top band's end to the list's top.
int BandsHeight(int width, int height, int rowHeight) {
    return HistogramHeight(height) + kBandGap + FilterRows(width) * (rowHeight + kBandGap);
}

} // namespace

ViewerWindowLayout ViewerWindowLayout::ForClient(int width, int height, const Top& top, int rowHeight) {
    ViewerWindowLayout layout;
    // Refresh stays inside the window; the lists give up what it needs.
    layout.refresh = top.refresh;
    layout.refresh.left =
        std::max(top.fileList.left + kGap, std::min(top.refresh.left, width - kMargin - top.refresh.width));
    const int listWidth =
        std::max(0, std::min(top.fileList.width, layout.refresh.left - kGap - top.fileList.left));
    layout.siteList = top.siteList;
    layout.fileList = top.fileList;
    layout.siteList.width = layout.fileList.width = listWidth;

    const int inner = std::max(0, width - 2 * kMargin);
    layout.histogram = {kMargin, kTopBand, inner, HistogramHeight(height)};
    int y = layout.histogram.Bottom() + kBandGap;

    // The hours and the event type, right to left; the find box and its scope take what is left.
    const auto placeTimes = [&](int right, int row) {
        layout.timeTo = {right - kTimeWidth, row, kTimeWidth, rowHeight};
        layout.timeDash = {layout.timeTo.left - kDashWidth, row, kDashWidth, rowHeight};
        layout.timeFrom = {layout.timeDash.left - kTimeWidth, row, kTimeWidth, rowHeight};
        return layout.timeFrom.left - kGap;
    };
    const int right = width - kMargin;
    if (FilterRows(width) == 1) {
        const int typeRight = placeTimes(right, y);
        layout.type = {typeRight - kTypeWidth, y, kTypeWidth, rowHeight};
        layout.scope = {layout.type.left - kGap - kScopeWidth, y, kScopeWidth, rowHeight};
        layout.find = {kMargin, y, std::max(0, layout.scope.left - kGap - kMargin), rowHeight};
        y += rowHeight + kBandGap;
    } else {
        layout.scope = {right - kScopeWidth, y, kScopeWidth, rowHeight};
        layout.find = {kMargin, y, std::max(0, layout.scope.left - kGap - kMargin), rowHeight};
        y += rowHeight + kBandGap;
        const int typeRight = placeTimes(right, y);
        layout.type = {kMargin, y, std::max(0, typeRight - kMargin), rowHeight};
        y += rowHeight + kBandGap;
    }

    const ViewerLayout bottom = ViewerLayout::ForClient(width, height);
    layout.list = {kMargin, y, inner, std::max(kMinimumList, height - kBottomBand - y)};
    layout.ok = bottom.ok;
    layout.exportButton = bottom.exportButton;
    const int countWidth = std::max(0, layout.ok.left - kGap - kMargin);
    // The count may wrap to two lines in the band below the list.
    layout.count = {kMargin, height - 38, countWidth, 36};
    layout.progress = {kMargin, layout.ok.top, countWidth, layout.ok.height};
    return layout;
}

int ViewerWindowLayout::HeightForTemplate(int templateHeight, int width, int rowHeight) {
    // The histogram's height depends on the window's: take the taller one when the sum reaches it.
    const int small = templateHeight + BandsHeight(width, 0, rowHeight);
    const int tall = templateHeight + BandsHeight(width, 10000, rowHeight);
    return tall >= kTallWindow ? tall : small;
}

} // namespace qv
