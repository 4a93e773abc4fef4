#include "ViewerTemplate.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

// The base units of the font the template was drawn for, and the gap kept after a label.
constexpr int kTemplateBaseX = 6;
constexpr int kLabelGap = 6;

struct Units {
    QSize base;
    int X(int dlu) const { return static_cast<int>(std::lround(dlu * base.width() / 4.0)); }
    int Y(int dlu) const { return static_cast<int>(std::lround(dlu * base.height() / 8.0)); }
    QRect Rect(int x, int y, int width, int height) const { return QRect(X(x), Y(y), X(width), Y(height)); }
};

} // namespace

ViewerTemplate ViewerTemplate::ForFont(const QSize& baseUnits, int siteLabelWidth, int fileLabelWidth) {
    const Units units{baseUnits.expandedTo(QSize(1, 1))};
    ViewerTemplate result;
    // A drop-down list is as high as the font needs (the template's 73 units include the open list); a
    // label stands level with its list.
    const int listHeight = units.Y(12) + 4;
    result.siteLabel = QRect(units.X(7), units.Y(8), std::max(units.X(58), siteLabelWidth), listHeight);
    result.fileLabel = QRect(units.X(7), units.Y(28), std::max(units.X(31), fileLabelWidth), listHeight);
    const int push = std::max(0, std::max(result.siteLabel.right(), result.fileLabel.right()) + 1 +
                                     kLabelGap - units.X(70));
    result.siteList = QRect(units.X(70) + push, units.Y(8), units.X(189), listHeight);
    result.fileList = QRect(units.X(70) + push, units.Y(28), units.X(189), listHeight);
    // Refresh stands level with the file list beside it.
    result.refresh = units.Rect(266, 27, 50, 14);
    result.refresh.moveLeft(result.refresh.left() + push);
    result.refresh.moveTop(result.fileList.top() + (result.fileList.height() - result.refresh.height()) / 2);
    result.client = QSize(units.X(348) + push, units.Y(236));
    result.scale = static_cast<double>(units.base.width()) / kTemplateBaseX;
    // The list's band at the top is 75 pixels whatever the font: the lists stay inside it.
    const int overflow = result.fileList.bottom() + 1 + 2 - 75;
    if (overflow > 0) {
        for (QRect* rect :
             {&result.siteLabel, &result.siteList, &result.fileLabel, &result.fileList, &result.refresh})
            rect->translate(0, -std::min(overflow, result.siteList.top() - 2));
    }
    return result;
}

} // namespace qv
