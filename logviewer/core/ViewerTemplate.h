#pragma once
// The viewer's fixed controls where the dialog template puts them, in dialog units turned into pixels for
// the window's font (a dialog unit is a quarter of the font's average character width across and an eighth
// of its height down). A label as wide as its text pushes its drop-down list right where a wide font needs
// it, so that no label is cut.
#include "ViewerRect.h"
#include "widgets/DialogUnits.h"

#include <array>
#include <cstdint>

namespace qv {

struct ViewerTemplate {
    ViewerRect siteLabel;
    ViewerRect siteList;
    ViewerRect fileLabel;
    ViewerRect fileList;
    ViewerRect refresh;
    // The window's size before it is resized or restored.
    int clientWidth = 0;
    int clientHeight = 0;
    // The default column widths, made for the template's own font, for this one.
    std::array<std::int32_t, 8> columns{};

    // The column widths for the template's font, 6 pixels wide.
    static constexpr std::array<std::int32_t, 8> kDefaultColumns = {70, 60, 100, 100, 200, 200, 100, 100};

    // The window font's dialog units; the labels' text widths.
    static ViewerTemplate ForFont(const DialogUnits& units, int siteLabelWidth, int fileLabelWidth);
};

} // namespace qv
