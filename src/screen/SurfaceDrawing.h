#pragma once

// What the node clients draw on their game surface when the screen stream
// asks for a picture or a text label. Shared by every window that shows a
// node server's surface, with or without the frame around it.

#include <QByteArray>
#include <QImage>

#include <functional>

#include "Colors.h"

class AnsiCanvas;
class TAnsi;
struct TAnsiRect;

namespace SurfaceDrawing {

// Draws `picture` with the colour of its pixel (5, 5) left out: stretched
// into the rectangle when the rectangle has a right edge, else at natural
// size with its top-left corner at the rectangle's.
void ResourcePicture(QImage &surface, const TAnsiRect &rect, const QImage &picture);

// A text label: its position in the rectangle's left and top, the font size
// in the right edge (2 less while the engine's font is `smallSizeAtMost` or
// smaller) and a colour-and-style code in the bottom edge (above 90 bold,
// above 60 on a clear background, the colour from the engine's table). The
// engine's brush is solid again afterwards, in the colour it had.
void SurfaceText(QImage &surface, TAnsi &engine, const TAnsiRect &rect, const QByteArray &text,
                 int smallSizeAtMost = 8);
// The same with the brush of `canvas`, the font size as given (or 2 less)
// and colours from `colourOf`, for surfaces drawn by another decoder.
void SurfaceText(QImage &surface, AnsiCanvas *canvas, const TAnsiRect &rect,
                 const QByteArray &text, bool sizeAsGiven,
                 const std::function<TColor(int code)> &colourOf);

} // namespace SurfaceDrawing
