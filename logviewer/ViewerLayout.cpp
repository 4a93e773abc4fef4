#include "ViewerLayout.h"

#include <algorithm>

namespace qv {

namespace {
constexpr int kMargin = 5;
constexpr int kGap = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
} // namespace

ViewerLayout ViewerLayout::ForClient(const QSize& client) {
    const int width = client.width();
    const int height = client.height();
    ViewerLayout layout;
    layout.list = QRect(kMargin, 75, width - 2 * kMargin, height - 115);
    layout.ok = QRect(width / 2 - 37, height - 30, kButtonWidth, kButtonHeight);

    const int row = layout.ok.top();
    layout.find = QRect(kMargin, row, std::max(0, layout.ok.left() - kGap - kMargin), kButtonHeight);
    layout.exportButton = QRect(width - kMargin - kButtonWidth, row, kButtonWidth, kButtonHeight);
    const int countLeft = layout.ok.right() + 1 + kGap;
    const int countWidth = std::max(0, layout.exportButton.left() - kGap - countLeft);
    // The count may wrap to two lines in the band below the list.
    layout.count = QRect(countLeft, height - 38, countWidth, 36);
    layout.progress = QRect(countLeft, row, countWidth, kButtonHeight);
    return layout;
}

} // namespace qv
