#include "SurfaceDrawing.h"

#include <QFontMetrics>
#include <QPainter>

#include "Ansi.h"
#include "ByteText.h"
#include "SuitePictures.h"

namespace SurfaceDrawing {

void ResourcePicture(QImage &surface, const TAnsiRect &rect, const QImage &picture)
{
    if (picture.isNull())
        return;
    QPainter p(&surface);
    if (rect.Right != 0) {
        p.drawImage(rect.toQRect(), KeyedPicture(picture));
    } else {
        DrawKeyedPicture(p, QPoint(rect.Left, rect.Top), picture);
    }
}

void SurfaceText(QImage &surface, TAnsi &engine, const TAnsiRect &rect, const QByteArray &text,
                 int smallSizeAtMost)
{
    SurfaceText(surface, engine.Surface(), rect, text, engine.FontSize() > smallSizeAtMost,
                [&engine](int code) { return engine.ColorOf(code); });
}

void SurfaceText(QImage &surface, AnsiCanvas *canvas, const TAnsiRect &rect,
                 const QByteArray &text, bool sizeAsGiven,
                 const std::function<TColor(int code)> &colourOf)
{
    if (!canvas)
        return;
    const QColor brushColour = canvas->brush().color();

    QFont font(QStringLiteral("Arial"));
    const int size = sizeAsGiven ? rect.Right : rect.Right - 2;
    font.setPointSize(qBound(1, size, 400));
    int code = rect.Bottom;
    if (code > 90) {
        font.setBold(true);
        code -= 30;
    }
    bool transparent = false;
    if (rect.Bottom > 60) {
        transparent = true;
        code -= 30;
    }

    QPainter p(&surface);
    p.setFont(font);
    p.setPen(ToQColor(colourOf(code)));
    if (!transparent) {
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(brushColour);
    }
    const QFontMetrics metrics(font);
    p.drawText(QPoint(rect.Left, rect.Top + metrics.ascent()), DisplayText(text));
    p.end();
    canvas->setBrush(QBrush(brushColour, Qt::SolidPattern));
}

} // namespace SurfaceDrawing
