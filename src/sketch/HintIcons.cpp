#include "HintIcons.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "NodeImageLists.h"

namespace HintIcons {

namespace {

// Every picture leaves its corners empty: the guess list draws an icon with
// the colour of its pixel (1, 1) left out.
QImage blank()
{
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A red cross: nowhere near.
void wayOff(QPainter &p)
{
    p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

// A pale blue snowflake.
void colder(QPainter &p)
{
    p.setPen(QPen(QColor(40, 120, 230), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(8, 8);
    for (int i = 0; i < 3; ++i) {
        const qreal a = M_PI / 2 + i * M_PI / 3;
        const QPointF d(6 * std::cos(a), 6 * std::sin(a));
        p.drawLine(c - d, c + d);
    }
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(c, 1.5, 1.5);
}

// A yellow sun with rays.
void warmer(QPainter &p)
{
    p.setPen(QPen(QColor(240, 150, 0), 1.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(8, 8);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        p.drawLine(c + QPointF(4.5 * std::cos(a), 4.5 * std::sin(a)),
                   c + QPointF(6.5 * std::cos(a), 6.5 * std::sin(a)));
    }
    p.setBrush(QColor(255, 220, 0));
    p.drawEllipse(c, 3.5, 3.5);
}

// A flame: red outside, yellow inside.
void gettingHot(QPainter &p)
{
    QPainterPath outer;
    outer.moveTo(8, 2);
    outer.cubicTo(12, 6, 14, 9, 12, 12.5);
    outer.cubicTo(10.5, 14.5, 5.5, 14.5, 4, 12.5);
    outer.cubicTo(2.5, 10, 5, 7, 8, 2);
    p.setPen(QPen(QColor(150, 20, 0), 1));
    p.setBrush(QColor(230, 50, 0));
    p.drawPath(outer);
    QPainterPath inner;
    inner.moveTo(8, 7);
    inner.cubicTo(10, 9, 10.5, 11, 9.5, 12.5);
    inner.cubicTo(8.5, 13.5, 7, 13.5, 6.5, 12.5);
    inner.cubicTo(5.8, 11, 6.5, 9.5, 8, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 40));
    p.drawPath(inner);
}

// A target: red and white rings.
void veryClose(QPainter &p)
{
    const QPointF c(8, 8);
    p.setPen(Qt::NoPen);
    const QColor colours[] = {QColor(210, 0, 0), Qt::white, QColor(210, 0, 0), Qt::white};
    qreal r = 6.5;
    for (const QColor &colour : colours) {
        p.setBrush(colour);
        p.drawEllipse(c, r, r);
        r -= 1.7;
    }
}

// "ab" with a wavy red line under it.
void spelling(QPainter &p)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 120));
    p.drawText(QRectF(1, 1, 14, 10), Qt::AlignCenter, QStringLiteral("ab"));
    p.setPen(QPen(QColor(220, 0, 0), 1.2));
    QPainterPath wave;
    wave.moveTo(2, 13);
    for (int x = 2; x < 14; x += 2)
        wave.quadTo(x + 1, x % 4 == 2 ? 11.5 : 14.5, x + 2, 13);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

// A plain grey tile for the slots nothing uses.
void tile(QPainter &p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(170, 170, 170));
    p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 2, 2);
}

QImage draw(void (*painter)(QPainter &))
{
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    painter(p);
    p.end();
    // The corner stays empty whatever the picture does.
    image.setPixel(1, 1, 0);
    return image;
}

QList<QImage> makeList()
{
    QList<QImage> list;
    list.reserve(Count);
    const QList<QImage> &shared = NodeImageLists::ImageList2();
    for (int i = 0; i < Count; ++i) {
        switch (i) {
        case WayOff: list.append(draw(wayOff)); break;
        case Colder: list.append(draw(colder)); break;
        case Warmer: list.append(draw(warmer)); break;
        case GettingHot: list.append(draw(gettingHot)); break;
        case VeryClose: list.append(draw(veryClose)); break;
        case Spelling: list.append(draw(spelling)); break;
        default:
            list.append(i < shared.size() ? shared.at(i) : draw(tile));
            break;
        }
    }
    return list;
}

} // namespace

const QList<QImage> &ImageList2()
{
    static const QList<QImage> list = makeList();
    return list;
}

QImage Icon(int index)
{
    const QList<QImage> &list = ImageList2();
    return index >= 0 && index < list.size() ? list.at(index) : QImage();
}

} // namespace HintIcons
