#include "LobbyIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

constexpr int IconSize = 16;
constexpr int IconCount = 36;

// Nine colours on four shapes: every icon differs from the others.
QPixmap onlineIcon(int index)
{
    static const QColor colours[] = {
        QColor(230, 60, 60),  QColor(240, 150, 40), QColor(235, 220, 50),
        QColor(70, 190, 70),  QColor(50, 200, 200), QColor(70, 120, 240),
        QColor(160, 90, 230), QColor(235, 110, 190), QColor(200, 200, 200),
    };
    QPixmap picture(IconSize, IconSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = colours[index % 9];
    p.setPen(QPen(colour.darker(180), 1));
    p.setBrush(colour);
    const QRectF box(2.5, 2.5, 11, 11);
    switch ((index / 9) % 4) {
    case 0:
        p.drawEllipse(box);
        break;
    case 1:
        p.drawRoundedRect(box, 2, 2);
        break;
    case 2: {
        QPainterPath diamond;
        diamond.moveTo(8, 1.5);
        diamond.lineTo(14.5, 8);
        diamond.lineTo(8, 14.5);
        diamond.lineTo(1.5, 8);
        diamond.closeSubpath();
        p.drawPath(diamond);
        break;
    }
    default: {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 ? 3.0 : 7.0;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            const QPointF point(8 + radius * std::cos(angle), 8.5 + radius * std::sin(angle));
            i ? star.lineTo(point) : star.moveTo(point);
        }
        star.closeSubpath();
        p.drawPath(star);
        break;
    }
    }
    // A highlight so the icons read on dark and light windows alike.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QRectF(5, 4.5, 3.5, 3));
    return picture;
}

QPixmap stateIcon(int index)
{
    QPixmap picture(IconSize, IconSize);
    picture.fill(Qt::transparent);
    if (index == 0)
        return picture;
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    if (index == 1) {
        // Away: a grey clock.
        p.setPen(QPen(QColor(90, 90, 90), 1.2));
        p.setBrush(QColor(215, 215, 215));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
    } else {
        // Busy: a red bar.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 40, 40));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 7, 7, 2));
    }
    return picture;
}

} // namespace

const QList<QIcon> &LobbyIcons()
{
    static const QList<QIcon> icons = [] {
        QList<QIcon> list;
        for (int i = 0; i < IconCount; ++i)
            list.append(QIcon(onlineIcon(i)));
        return list;
    }();
    return icons;
}

const QList<QIcon> &LobbyStateIcons()
{
    static const QList<QIcon> icons = [] {
        QList<QIcon> list;
        for (int i = 0; i < 3; ++i)
            list.append(QIcon(stateIcon(i)));
        return list;
    }();
    return icons;
}
