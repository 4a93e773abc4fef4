#pragma once
// Where the resizable controls go for a client area of the viewer. The list keeps 5 pixels at the sides,
// 75 at the top and 40 at the bottom; OK (75 x 23) stays centred 30 pixels above the bottom edge. The find
// box, the row count and Export share OK's row: the find box left of OK, the count and Export right of it;
// the progress bar stands where the count does while a file is read.
#include <QRect>
#include <QSize>

namespace qv {

struct ViewerLayout {
    QRect list;
    QRect ok;
    QRect find;
    QRect count;
    QRect progress;
    QRect exportButton;

    static constexpr int kMinimumWidth = 400;
    static constexpr int kMinimumHeight = 350;

    static ViewerLayout ForClient(const QSize& client);
};

} // namespace qv
