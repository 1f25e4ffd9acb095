#pragma once

// Helpers of the sketch game's tests: mouse events straight to a picture,
// and looks at the pixels of the drawing and the guess list.

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace DrawingProbe {

inline void mouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                  Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

inline void press(QWidget *w, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(w, QEvent::MouseButtonPress, at, button, button);
}

inline void move(QWidget *w, QPoint at, Qt::MouseButton held = Qt::LeftButton)
{
    mouse(w, QEvent::MouseMove, at, Qt::NoButton, held);
}

inline void release(QWidget *w, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

// How many pixels of the rectangle have the colour.
inline int count(const QImage &image, const QRect &rect, QRgb colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// Every opaque pixel of the icon shows at `at` of the picture (and the icon
// has enough of them to tell).
inline bool showsIcon(const QImage &picture, QPoint at, const QImage &icon)
{
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            if (qAlpha(icon.pixel(x, y)) != 255)
                continue;
            ++opaque;
            if ((picture.pixel(at + QPoint(x, y)) & 0xFFFFFF) != (icon.pixel(x, y) & 0xFFFFFF))
                return false;
        }
    return opaque > 20;
}

} // namespace DrawingProbe
