#pragma once
// The small images the programs draw or cut for themselves: window icons painted at every size a window
// system asks for, and strips of row images whose background colour stands for "no colour".
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>

#include <functional>

class QPainter;

namespace qv {

class Images {
public:
    // draw paints one square image; unit is a sixteenth of its side, so one drawing serves every size. The
    // painter starts antialiased on a transparent ground.
    static QIcon DrawnIcon(const std::function<void(QPainter& painter, qreal unit)>& draw);

    // The strip cut into images tileWidth wide and as high as the strip, left to right, with every pixel of
    // the colour transparent made transparent. A piece narrower than tileWidth at the end is dropped.
    static QList<QPixmap> CutStrip(const QImage& strip, int tileWidth, const QColor& transparent);
};

} // namespace qv
