#include "ManagerImages.h"

#include "widgets/Images.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qv {

namespace {

const QColor kBandTop(0x1f, 0x4e, 0x8c);
const QColor kBandBottom(0x12, 0x2f, 0x57);
const QColor kAccent(0xf2, 0xa1, 0x2c);

void PaintBand(QPainter& painter, const QRect& rect) {
    QLinearGradient band(0, 0, 0, rect.height());
    band.setColorAt(0, kBandTop);
    band.setColorAt(1, kBandBottom);
    painter.fillRect(rect, band);
    painter.fillRect(QRect(rect.left(), rect.bottom() - 2, rect.width(), 3), kAccent);
}

// A shield with a check mark: the handler guarding a site's errors.
void PaintEmblem(QPainter& painter, const QRectF& box) {
    const qreal u = box.width() / 16.0;
    QPainterPath shield;
    shield.moveTo(box.left() + 8 * u, box.top() + 0.5 * u);
    shield.lineTo(box.left() + 15 * u, box.top() + 3 * u);
    shield.cubicTo(box.left() + 15 * u, box.top() + 10 * u, box.left() + 11 * u, box.top() + 14 * u,
                   box.left() + 8 * u, box.top() + 15.5 * u);
    shield.cubicTo(box.left() + 5 * u, box.top() + 14 * u, box.left() + 1 * u, box.top() + 10 * u,
                   box.left() + 1 * u, box.top() + 3 * u);
    shield.closeSubpath();
    painter.setPen(QPen(QColor(0xff, 0xff, 0xff), std::max(1.0, 0.8 * u)));
    painter.setBrush(kAccent);
    painter.drawPath(shield);
    painter.setPen(
        QPen(QColor(0xff, 0xff, 0xff), std::max(1.5, 1.6 * u), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QList<QPointF>{{box.left() + 4.5 * u, box.top() + 8 * u},
                                        {box.left() + 7 * u, box.top() + 10.5 * u},
                                        {box.left() + 11.5 * u, box.top() + 5 * u}});
}

} // namespace

QIcon ManagerImages::ProgramIcon() {
    return Images::DrawnIcon(
        [](QPainter& painter, qreal unit) { PaintEmblem(painter, QRectF(0, 0, 16 * unit, 16 * unit)); });
}

QPixmap ManagerImages::Blank() {
    QPixmap blank(kRowImageSize, kRowImageSize);
    blank.fill(Qt::transparent);
    return blank;
}

QPixmap ManagerImages::Arrow() {
    // The strip of row images: blank, then the arrow; white stands for no colour.
    QImage strip(2 * kRowImageSize, kRowImageSize, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1e, 0x9e, 0x3a));
    const int x = kRowImageSize;
    painter.drawRect(x + 2, 6, 7, 4);
    painter.drawPolygon(QPolygon{{x + 8, 2}, {x + 14, 8}, {x + 8, 14}});
    painter.end();
    const QList<QPixmap> images = Images::CutStrip(strip, kRowImageSize, Qt::white);
    return images.size() == 2 ? images[1] : Blank();
}

QPixmap ManagerImages::BannerLeft() {
    QPixmap piece(300, kBannerHeight);
    QPainter painter(&piece);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintBand(painter, piece.rect());
    PaintEmblem(painter, QRectF(10, 6, 34, 34));
    QFont name;
    name.setPointSize(15);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRect(54, 2, 240, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quorvane"));
    QFont line;
    line.setPointSize(8);
    painter.setFont(line);
    painter.setPen(QColor(0xd6, 0xe2, 0xf2));
    painter.drawText(QRect(55, 28, 240, 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Error pages for every web site"));
    return piece;
}

QPixmap ManagerImages::BannerMiddle() {
    QPixmap piece(8, kBannerHeight);
    QPainter painter(&piece);
    PaintBand(painter, piece.rect());
    return piece;
}

QPixmap ManagerImages::BannerRight() {
    QPixmap piece(96, kBannerHeight);
    QPainter painter(&piece);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintBand(painter, piece.rect());
    // Three rising bars: settings reaching every site.
    painter.setPen(Qt::NoPen);
    for (int bar = 0; bar < 3; ++bar) {
        painter.setBrush(bar == 2 ? kAccent : QColor(0x7f, 0xa8, 0xdc));
        const int height = 12 + bar * 8;
        painter.drawRoundedRect(QRectF(40 + bar * 16, kBannerHeight - 8 - height, 10, height), 2, 2);
    }
    return piece;
}

} // namespace qv
