#include "Colors.h"

#include <algorithm>
#include <cmath>

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

namespace {

double channelLuminance(int value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channelLuminance(c.red()) + 0.7152 * channelLuminance(c.green())
           + 0.0722 * channelLuminance(c.blue());
}

// Enough for link text of chat size to be read without effort.
constexpr double kReadableContrast = 4.5;

} // namespace

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor &colour, const QColor &background)
{
    if (ContrastRatio(colour, background) >= kReadableContrast)
        return colour;
    const QColor towards = luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    QColor mixed = colour;
    for (int step = 1; step <= 10; ++step) {
        const double f = step / 10.0;
        mixed = QColor(int(colour.red() + (towards.red() - colour.red()) * f),
                       int(colour.green() + (towards.green() - colour.green()) * f),
                       int(colour.blue() + (towards.blue() - colour.blue()) * f));
        if (ContrastRatio(mixed, background) >= kReadableContrast)
            break;
    }
    return mixed;
}
