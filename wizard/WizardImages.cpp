#include "WizardImages.h"

#include "widgets/Images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace qv {

namespace {

const QColor kBandTop(0x1f, 0x4e, 0x8c);
const QColor kBandBottom(0x12, 0x2f, 0x57);
const QColor kAccent(0xf2, 0xa1, 0x2c);
const QColor kGlobe(0x3f, 0x7f, 0xc8);
const QColor kGlobeEdge(0x1f, 0x4e, 0x8c);
const QColor kGlobeLines(0xcf, 0xe0, 0xf5);

// A shield with a check mark and a four-pointed spark at its shoulder: the handler, set up by a wizard.
void PaintEmblem(QPainter& painter, const QRectF& box, bool spark) {
    const qreal u = box.width() / 16.0;
    const auto at = [&](qreal x, qreal y) { return QPointF(box.left() + x * u, box.top() + y * u); };
    QPainterPath shield;
    shield.moveTo(at(8, 1));
    shield.lineTo(at(14.5, 3.2));
    shield.cubicTo(at(14.5, 10), at(11, 13.8), at(8, 15.5));
    shield.cubicTo(at(5, 13.8), at(1.5, 10), at(1.5, 3.2));
    shield.closeSubpath();
    painter.setPen(QPen(Qt::white, std::max(1.0, 0.7 * u)));
    painter.setBrush(kAccent);
    painter.drawPath(shield);
    painter.setPen(QPen(Qt::white, std::max(1.5, 1.5 * u), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QList<QPointF>{at(4.8, 8.2), at(7.1, 10.6), at(11.3, 5.6)});
    if (!spark)
        return;
    QPainterPath star;
    const QPointF centre = at(14.2, 1.6);
    const qreal r = 2.2 * u;
    const qreal w = 0.55 * u;
    star.moveTo(centre.x(), centre.y() - r);
    star.lineTo(centre.x() + w, centre.y() - w);
    star.lineTo(centre.x() + r, centre.y());
    star.lineTo(centre.x() + w, centre.y() + w);
    star.lineTo(centre.x(), centre.y() + r);
    star.lineTo(centre.x() - w, centre.y() + w);
    star.lineTo(centre.x() - r, centre.y());
    star.lineTo(centre.x() - w, centre.y() - w);
    star.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xf3, 0xc4));
    painter.drawPath(star);
}

// A small globe of meridians and parallels, for the sites the handler serves.
void PaintGlobe(QPainter& painter, const QPointF& centre, qreal radius, const QColor& fill,
                const QColor& lines) {
    painter.setPen(QPen(lines, std::max(1.0, radius / 9)));
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius * 0.45, radius);
    painter.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
    painter.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
    const qreal off = radius * 0.55;
    const qreal half = radius * 0.835;
    painter.drawLine(QPointF(centre.x() - half, centre.y() - off),
                     QPointF(centre.x() + half, centre.y() - off));
    painter.drawLine(QPointF(centre.x() - half, centre.y() + off),
                     QPointF(centre.x() + half, centre.y() + off));
}

} // namespace

QIcon WizardImages::ProgramIcon() {
    return Images::DrawnIcon([](QPainter& painter, qreal unit) {
        PaintEmblem(painter, QRectF(0, 0, 16 * unit, 16 * unit), true);
    });
}

QPixmap WizardImages::Background() {
    QPixmap picture(kBackgroundSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF band(0, 0, kBandWidth, kBackgroundSize.height());
    QLinearGradient ground(band.topLeft(), band.bottomLeft());
    ground.setColorAt(0, kBandTop);
    ground.setColorAt(1, kBandBottom);
    painter.fillRect(band, ground);

    // Rings spreading from the lower left: one setting reaching many sites.
    painter.save();
    painter.setClipRect(band);
    const QPointF source(-20, kBackgroundSize.height() + 30);
    for (int ring = 1; ring <= 6; ++ring) {
        painter.setPen(QPen(QColor(255, 255, 255, 34 - ring * 4), 2));
        painter.drawEllipse(source, ring * 52.0, ring * 52.0);
    }
    const QPointF sites[] = {{44, 248}, {96, 226}, {136, 270}};
    for (const QPointF& site : sites)
        PaintGlobe(painter, site, 11, QColor(0x7f, 0xa8, 0xdc, 200), QColor(0xe6, 0xef, 0xfa, 220));
    painter.restore();

    QRadialGradient glow(QPointF(88, 96), 74);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(band, glow);
    PaintEmblem(painter, QRectF(40, 46, 96, 96), true);

    // The seam between the band and the page.
    painter.fillRect(QRectF(kBandWidth, 0, 3, kBackgroundSize.height()), kAccent);
    return picture;
}

QPixmap WizardImages::Banner() {
    QPixmap picture(kBannerSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wash(0, 0, kBannerSize.width(), 0);
    wash.setColorAt(0, Qt::white);
    wash.setColorAt(0.55, Qt::white);
    wash.setColorAt(1, QColor(0xdd, 0xe7, 0xf4));
    painter.fillRect(picture.rect(), wash);
    const int right = kBannerSize.width();
    PaintGlobe(painter, QPointF(right - 78, 38), 13, QColor(0xc3, 0xd6, 0xee), Qt::white);
    PaintEmblem(painter, QRectF(right - 58, 8, 46, 46), true);
    painter.fillRect(QRect(0, kBannerSize.height() - 2, right, 2), kBandTop);
    return picture;
}

QPixmap WizardImages::Site() {
    // Drawn on white without smoothing, as a picture whose white is no colour.
    QImage picture(kSiteImageSize, kSiteImageSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(kGlobeEdge);
    painter.setBrush(kGlobe);
    painter.drawEllipse(QRect(1, 1, 13, 13));
    painter.setPen(kGlobeLines);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRect(5, 2, 5, 11));
    painter.drawLine(2, 7, 13, 7);
    painter.drawLine(3, 4, 12, 4);
    painter.drawLine(3, 11, 12, 11);
    painter.drawLine(7, 2, 7, 13);
    painter.end();
    const QList<QPixmap> pieces = Images::CutStrip(picture, kSiteImageSize, Qt::white);
    return pieces.value(0);
}

} // namespace qv
