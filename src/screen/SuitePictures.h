#pragma once

// The suite's own pictures, drawn by code when first asked for: the logo
// "BITMAPVT" shown on splash screens and idle menu pictures, and the icon
// of the programs' windows and of the tray.

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QRect>

class QPainter;

// The picture of that resource name; a null image for names the suite has
// no picture for. Pictures are drawn on a key colour that their pixel (5, 5)
// shows, to be drawn with that colour transparent.
QImage SuitePicture(const QByteArray &name);

// The picture with the colour of its pixel (5, 5) made transparent.
QImage KeyedPicture(const QImage &picture);

// Draws `picture` at natural size with its top-left corner at `topLeft`,
// the colour of its pixel (5, 5) left out.
void DrawKeyedPicture(QPainter &painter, const QPoint &topLeft, const QImage &picture);

// Draws `picture` keyed as above, whole: scaled down (never up) to fit
// `area` with its proportions kept, centred in it.
void DrawKeyedPictureFitted(QPainter &painter, const QRect &area, const QImage &picture);

QIcon SuiteIcon();
