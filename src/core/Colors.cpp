#include "Colors.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(TColor color)
{
    if (color & 0x80000000u) {
        const QPalette palette = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                                     ? QGuiApplication::palette()
                                     : QPalette();
        switch (color & 0xFF) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 15:
            return palette.color(QPalette::Button);
        case 13:
            return palette.color(QPalette::Highlight);
        case 14:
            return palette.color(QPalette::HighlightedText);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor &color)
{
    return RGBToTColor(color.red(), color.green(), color.blue());
}
