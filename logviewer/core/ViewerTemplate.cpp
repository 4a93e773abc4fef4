#include "ViewerTemplate.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

// The base width of the font the template was drawn for, and the gap kept after a label.
constexpr int kTemplateBaseX = 6;
constexpr int kLabelGap = 6;
// The list's band at the top is this high whatever the font: the lists stay inside it.
constexpr int kTopBand = 75;

} // namespace

ViewerTemplate ViewerTemplate::ForFont(const DialogUnits& units, int siteLabelWidth, int fileLabelWidth) {
    ViewerTemplate result;
    // A drop-down list is as high as the font needs (the template's 73 units include the open list); a
    // label stands level with its list.
    const int listHeight = units.Y(12) + 4;
    result.siteLabel = {units.X(7), units.Y(8), std::max(units.X(58), siteLabelWidth), listHeight};
    result.fileLabel = {units.X(7), units.Y(28), std::max(units.X(31), fileLabelWidth), listHeight};
    const int push =
        std::max(0, std::max(result.siteLabel.Right(), result.fileLabel.Right()) + kLabelGap - units.X(70));
    result.siteList = {units.X(70) + push, units.Y(8), units.X(189), listHeight};
    result.fileList = {units.X(70) + push, units.Y(28), units.X(189), listHeight};
    // Refresh stands level with the file list beside it.
    const int refreshHeight = units.Y(14);
    result.refresh = {units.X(266) + push, result.fileList.top + (listHeight - refreshHeight) / 2,
                      units.X(50), refreshHeight};
    result.clientWidth = units.X(348) + push;
    result.clientHeight = units.Y(236);
    const double scale = static_cast<double>(units.BaseX()) / kTemplateBaseX;
    for (std::size_t i = 0; i < result.columns.size(); ++i)
        result.columns[i] = static_cast<std::int32_t>(std::lround(kDefaultColumns[i] * scale));
    const int overflow = result.fileList.Bottom() + 2 - kTopBand;
    if (overflow > 0) {
        const int up = std::min(overflow, result.siteList.top - 2);
        for (ViewerRect* rect :
             {&result.siteLabel, &result.siteList, &result.fileLabel, &result.fileList, &result.refresh})
            rect->top -= up;
    }
    return result;
}

} // namespace qv
