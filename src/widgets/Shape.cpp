#include "Shape.h"

#include <QPainter>

TShape::TShape(const QString &name, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_color(color)
{
    setObjectName(name);
    setFixedSize(12, 12);
}

void TShape::setBrushColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_color);
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
