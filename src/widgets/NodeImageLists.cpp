#include "NodeImageLists.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace NodeImageLists {

namespace {

// Seven colours, each shape is drawn in all of them.
const QColor kColours[] = {
    QColor(200, 0, 0),   QColor(0, 150, 0),   QColor(0, 80, 220),  QColor(230, 180, 0),
    QColor(150, 0, 180), QColor(0, 170, 170), QColor(90, 90, 90),
};
constexpr int kColourCount = int(std::size(kColours));

QImage blankIcon()
{
    QImage image(IconSize, IconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPolygonF star(QPointF c, qreal outer, qreal inner, int points)
{
    QPolygonF polygon;
    for (int i = 0; i < points * 2; ++i) {
        const qreal r = (i % 2) ? inner : outer;
        const qreal a = -M_PI / 2 + i * M_PI / points;
        polygon << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    return polygon;
}

// Shapes of the first list: a person, a star, a ball, a flag, a diamond.
void drawListOne(QPainter &p, int shape, const QColor &colour)
{
    const QPen edge(colour.darker(170), 1);
    p.setPen(edge);
    p.setBrush(colour);
    switch (shape) {
    case 0: // a person: head and shoulders
        p.drawEllipse(QRectF(5, 1.5, 6, 6));
        p.drawRoundedRect(QRectF(2.5, 8.5, 11, 6.5), 3, 3);
        break;
    case 1:
        p.drawPolygon(star(QPointF(8, 8.5), 7.5, 3.2, 5));
        break;
    case 2: {
        QRadialGradient shade(QPointF(6, 6), 8);
        shade.setColorAt(0, colour.lighter(170));
        shade.setColorAt(1, colour);
        p.setBrush(shade);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        break;
    }
    case 3: // a flag on a pole
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.drawLine(QPointF(3, 1.5), QPointF(3, 15));
        p.setPen(edge);
        p.drawPolygon(QPolygonF({{3.5, 2}, {14, 5}, {3.5, 8.5}}));
        break;
    default:
        p.drawPolygon(QPolygonF({{8, 1}, {14.5, 8}, {8, 15}, {1.5, 8}}));
        break;
    }
}

// Shapes of the second list: a dot, a ring, a tick, a cross, a square.
void drawListTwo(QPainter &p, int shape, const QColor &colour)
{
    switch (shape) {
    case 0:
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(QRectF(4, 4, 8, 8));
        break;
    case 1:
        p.setPen(QPen(colour, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    case 2:
        p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{2.5, 8.5}, {6.5, 12.5}, {13.5, 3.5}}));
        break;
    case 3:
        p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    default:
        p.setPen(QPen(colour.darker(170), 1));
        p.setBrush(colour);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    }
}

QList<QImage> makeList(void (*draw)(QPainter &, int, const QColor &))
{
    QList<QImage> list;
    list.reserve(IconCount);
    for (int i = 0; i < IconCount; ++i) {
        QImage image = blankIcon();
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, i / kColourCount, kColours[i % kColourCount]);
        p.end();
        list.append(image);
    }
    return list;
}

} // namespace

const QList<QImage> &ImageList1()
{
    static const QList<QImage> list = makeList(drawListOne);
    return list;
}

const QList<QImage> &ImageList2()
{
    static const QList<QImage> list = makeList(drawListTwo);
    return list;
}

QList<QIcon> Icons(const QList<QImage> &images)
{
    QList<QIcon> icons;
    icons.reserve(images.size());
    for (const QImage &image : images)
        icons.append(QIcon(QPixmap::fromImage(image)));
    return icons;
}

} // namespace NodeImageLists
