#pragma once
// The viewer's fixed controls where the dialog template puts them, in dialog units turned into pixels for
// the window's font (a dialog unit is a quarter of the font's average character width across and an eighth
// of its height down). A label as wide as its text pushes its drop-down list right where a wide font needs
// it, so that no label is cut.
#include <QRect>
#include <QSize>

namespace qv {

struct ViewerTemplate {
    QRect siteLabel;
    QRect siteList;
    QRect fileLabel;
    QRect fileList;
    QRect refresh;
    QSize client;       // the window's size before it is resized or restored
    double scale = 1.0; // pixel widths made for the template's own font, for this one

    // baseUnits: the font's average character width and height in pixels; label widths: their text's.
    static ViewerTemplate ForFont(const QSize& baseUnits, int siteLabelWidth, int fileLabelWidth);
};

} // namespace qv
