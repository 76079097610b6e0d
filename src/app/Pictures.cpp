#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace dravik {

namespace {

QPixmap blank(int width, int height) {
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    return pm;
}

void arrow(QPainter &p, QPointF from, QPointF to) {
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double len = std::max(1.0, std::hypot(d.x(), d.y()));
    const QPointF u = d / len, n(-u.y(), u.x());
    for (QPointF tip : {to, from}) {
        const QPointF dir = tip == to ? u : -u;
        QPolygonF head;
        head << tip << tip - dir * 7 + n * 3 << tip - dir * 7 - n * 3;
        p.setBrush(p.pen().color());
        p.drawPolygon(head);
    }
}

void drawDriver(QPainter &p, QPointF centre, double radius) {
    QRadialGradient cone(centre, radius);
    cone.setColorAt(0, QColor(70, 70, 70));
    cone.setColorAt(0.35, QColor(25, 25, 25));
    cone.setColorAt(0.85, QColor(55, 55, 55));
    cone.setColorAt(1, QColor(15, 15, 15));
    p.setPen(QPen(QColor(120, 120, 120), 2));
    p.setBrush(cone);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(QColor(35, 35, 35));
    p.drawEllipse(centre, radius * 0.3, radius * 0.3);
}

} // namespace

QPixmap cabinetPicture(int width, int height) {
    QPixmap pm = blank(width, height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width * 0.5, h = height * 0.62, depth = width * 0.16;
    const QPointF front(width * 0.5 - w / 2 - depth / 2, height * 0.3);
    // Side and top in perspective, then the front baffle.
    QPolygonF side, top;
    side << front + QPointF(w, 0) << front + QPointF(w + depth, -depth * 0.6)
         << front + QPointF(w + depth, h - depth * 0.6) << front + QPointF(w, h);
    top << front << front + QPointF(depth, -depth * 0.6) << front + QPointF(w + depth, -depth * 0.6)
        << front + QPointF(w, 0);
    p.setPen(QPen(QColor(60, 40, 20), 1.5));
    p.setBrush(QColor(120, 82, 45));
    p.drawPolygon(side);
    p.setBrush(QColor(165, 118, 70));
    p.drawPolygon(top);
    QLinearGradient wood(front, front + QPointF(w, h));
    wood.setColorAt(0, QColor(150, 105, 60));
    wood.setColorAt(1, QColor(110, 75, 40));
    p.setBrush(wood);
    p.drawRect(QRectF(front, QSizeF(w, h)));
    drawDriver(p, front + QPointF(w / 2, h * 0.42), w * 0.36);
    // The vent below the driver.
    p.setBrush(Qt::black);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawEllipse(front + QPointF(w / 2, h * 0.86), w * 0.08, w * 0.08);
    return pm;
}

QPixmap ventDiameterPicture(int width, int height) {
    QPixmap pm = blank(width, height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(width * 0.42, height * 0.5);
    const double r = std::min(width, height) * 0.33;
    // The pipe seen from its open end: wall ring and dark bore.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(c, r + 5, r + 5);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(220, 30, 30), 1.5));
    arrow(p, c - QPointF(r, 0), c + QPointF(r, 0));
    p.setPen(Qt::black);
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(QRectF(c.x() + r + 8, c.y() - 8, width, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("D"));
    return pm;
}

QPixmap ventLengthPicture(int width, int height) {
    QPixmap pm = blank(width, height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double top = height * 0.3, tubeH = height * 0.32, left = width * 0.1, len = width * 0.8;
    // The pipe from the side, with its ends as ellipses.
    QLinearGradient shade(0, top, 0, top + tubeH);
    shade.setColorAt(0, QColor(230, 230, 230));
    shade.setColorAt(0.5, QColor(170, 170, 170));
    shade.setColorAt(1, QColor(120, 120, 120));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(shade);
    p.drawRect(QRectF(left, top, len, tubeH));
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(left - tubeH * 0.15, top, tubeH * 0.3, tubeH));
    p.setBrush(QColor(190, 190, 190));
    p.drawEllipse(QRectF(left + len - tubeH * 0.15, top, tubeH * 0.3, tubeH));
    p.setPen(QPen(QColor(220, 30, 30), 1.5));
    const double y = top + tubeH + height * 0.14;
    arrow(p, QPointF(left, y), QPointF(left + len, y));
    p.setPen(Qt::black);
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(QRectF(left, y + 2, len, 16), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("L"));
    return pm;
}

} // namespace dravik
