#pragma once

// Colours on screen: the TColor values of ColorValues.h as QColor.

#include <QColor>

#include "ColorValues.h"

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
