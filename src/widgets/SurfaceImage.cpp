#include "SurfaceImage.h"

#include <QMouseEvent>
#include <QPainter>

TSurfaceImage::TSurfaceImage(QSize size, QWidget *parent)
    : QWidget(parent)
    , m_image(size, QImage::Format_RGB32)
{
    m_image.fill(Qt::black);
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSurfaceImage::repaintNow()
{
    ++m_repaints;
    repaint();
}

void TSurfaceImage::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.drawImage(event->rect(), m_image, event->rect());
}

void TSurfaceImage::mousePressEvent(QMouseEvent *event)
{
    m_lastPressTime = event->timestamp();
    emit pressed(event->position().toPoint(), event->button());
}

void TSurfaceImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Depending on where the events come from, the second press of a
    // double-click arrives as a press of its own (with the same time) or
    // only as the double-click; it is reported as a press once either way.
    if (event->timestamp() != m_lastPressTime)
        emit pressed(event->position().toPoint(), event->button());
    emit doubleClicked(event->position().toPoint());
}

void TSurfaceImage::mouseMoveEvent(QMouseEvent *event)
{
    emit moved(event->position().toPoint(), event->buttons());
}

void TSurfaceImage::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(event->position().toPoint(), event->button());
}
