#pragma once
// Where the resizable controls go for a client area of the viewer. The list keeps 5 pixels at the sides,
// 75 at the top and 40 at the bottom; OK (75 x 23) stays centred 30 pixels above the bottom edge. The find
// box, the row count and Export share OK's row: the find box left of OK, the count and Export right of it;
// the progress bar stands where the count does while a file is read.
#include "ViewerRect.h"

namespace qv {

struct ViewerLayout {
    ViewerRect list;
    ViewerRect ok;
    ViewerRect find;
    ViewerRect count;
    ViewerRect progress;
    ViewerRect exportButton;

    static constexpr int kMinimumWidth = 400;
    static constexpr int kMinimumHeight = 350;

    static ViewerLayout ForClient(int width, int height);
    // The window's place as it was kept, at least the minimum size.
    static ViewerRect RestoredWindow(const ViewerRect& kept);
};

} // namespace qv
