#include "ViewerIcon.h"

#include "widgets/Images.h"

#include <QPainter>

#include <algorithm>

namespace qv {

QIcon ViewerIcon::Make() {
    // A log page: a sheet with a title band and ruled lines, one of them marked.
    return Images::DrawnIcon([](QPainter& painter, qreal unit) {
        const QRectF sheet(2 * unit, 0.5 * unit, 12 * unit, 15 * unit);
        painter.setPen(QPen(QColor(0x3a, 0x4a, 0x5e), std::max(1.0, unit * 0.75)));
        painter.setBrush(QColor(0xfa, 0xfb, 0xfc));
        painter.drawRoundedRect(sheet, unit, unit);
        painter.fillRect(QRectF(2.5 * unit, 1 * unit, 11 * unit, 3 * unit), QColor(0x2d, 0x6c, 0xb5));
        for (int line = 0; line < 4; ++line) {
            const qreal y = (6 + line * 2.3) * unit;
            const QColor colour = line == 2 ? QColor(0xd9, 0x53, 0x2b) : QColor(0x8a, 0x96, 0xa3);
            painter.fillRect(QRectF(4 * unit, y, (line % 2 ? 6 : 8) * unit, std::max(1.0, 1.1 * unit)),
                             colour);
        }
    });
}

} // namespace qv
