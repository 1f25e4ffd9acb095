#pragma once

// Colours as the service and the settings store keep them: 32-bit values,
// low byte red, then green, then blue. A value with the top bit set names a
// system colour (0x80000005 the window background, 0x80000008 the window text).

#include <QColor>

using TColor = quint32;

namespace TColors {
inline constexpr TColor Black = 0x000000;
inline constexpr TColor Maroon = 0x000080;
inline constexpr TColor Green = 0x008000;
inline constexpr TColor Olive = 0x008080;
inline constexpr TColor Navy = 0x800000;
inline constexpr TColor Purple = 0x800080;
inline constexpr TColor Teal = 0x808000;
inline constexpr TColor Gray = 0x808080;
inline constexpr TColor Silver = 0xC0C0C0;
inline constexpr TColor Red = 0x0000FF;
inline constexpr TColor Lime = 0x00FF00;
inline constexpr TColor Yellow = 0x00FFFF;
inline constexpr TColor Blue = 0xFF0000;
inline constexpr TColor Fuchsia = 0xFF00FF;
inline constexpr TColor Aqua = 0xFFFF00;
inline constexpr TColor White = 0xFFFFFF;
inline constexpr TColor Window = 0x80000005;
inline constexpr TColor WindowText = 0x80000008;
} // namespace TColors

inline constexpr TColor RGBToTColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

// System colours resolve through the application's palette.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor &color);

// The contrast ratio of two colours by their relative luminance: 1 for the
// same colour, 21 for black on white.
double ContrastRatio(const QColor &a, const QColor &b);

// `colour`, or, when it stands out too little from `background` to be read,
// the same hue mixed towards white (on a dark background) or black (on a
// light one) until it does.
QColor ReadableOn(const QColor &colour, const QColor &background);
