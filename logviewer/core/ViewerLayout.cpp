#include "ViewerLayout.h"

#include <algorithm>

namespace qv {

namespace {
constexpr int kMargin = 5;
constexpr int kGap = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
} // namespace

ViewerLayout ViewerLayout::ForClient(int width, int height) {
    ViewerLayout layout;
    layout.list = {kMargin, 75, width - 2 * kMargin, height - 115};
    layout.ok = {width / 2 - 37, height - 30, kButtonWidth, kButtonHeight};

    const int row = layout.ok.top;
    layout.find = {kMargin, row, std::max(0, layout.ok.left - kGap - kMargin), kButtonHeight};
    layout.exportButton = {width - kMargin - kButtonWidth, row, kButtonWidth, kButtonHeight};
    const int countLeft = layout.ok.Right() + kGap;
    const int countWidth = std::max(0, layout.exportButton.left - kGap - countLeft);
    // The count may wrap to two lines in the band below the list.
    layout.count = {countLeft, height - 38, countWidth, 36};
    layout.progress = {countLeft, row, countWidth, kButtonHeight};
    return layout;
}

ViewerRect ViewerLayout::RestoredWindow(const ViewerRect& kept) {
    return {kept.left, kept.top, std::max(kept.width, kMinimumWidth), std::max(kept.height, kMinimumHeight)};
}

} // namespace qv
