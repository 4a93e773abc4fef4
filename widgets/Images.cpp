#include "Images.h"

#include <QPainter>

namespace qv {

QIcon Images::DrawnIcon(const std::function<void(QPainter&, qreal)>& draw) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, size / 16.0);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QList<QPixmap> Images::CutStrip(const QImage& strip, int tileWidth, const QColor& transparent) {
    QList<QPixmap> tiles;
    if (tileWidth <= 0)
        return tiles;
    QImage image = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = transparent.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xff000000u) == clear)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    for (int left = 0; left + tileWidth <= image.width(); left += tileWidth)
        tiles.append(QPixmap::fromImage(image.copy(left, 0, tileWidth, image.height())));
    return tiles;
}

} // namespace qv
