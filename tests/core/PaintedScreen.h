#pragma once

// A screen stream painted by the engine onto a fresh 600x500 image, written
// in 4 KiB pieces or byte by byte, in either glyph mode; the image comes
// back as RGB32 for comparing pixels.

#include <QByteArray>
#include <QColor>
#include <QImage>

#include "Ansi.h"
#include "AnsiCanvas.h"

inline QImage paintScreen(const QByteArray &stream, QImage::Format format, AnsiCanvas::GlyphMode mode,
                          int fontSize, bool bytewise, int rowCount = 40)
{
    QImage image(600, 500, format);
    image.fill(QColor(0x10, 0x20, 0x30));
    TAnsi ansi;
    ansi.AttachSurface(&image);
    if (fontSize)
        ansi.SetFontSize(fontSize);
    ansi.SetRowCount(rowCount);
    ansi.Surface()->setGlyphMode(mode);
    if (bytewise) {
        for (const char c : stream)
            ansi.PutByte(quint8(c));
    } else {
        for (qsizetype at = 0; at < stream.size(); at += 4096)
            ansi.Write(stream.mid(at, 4096));
    }
    return image.convertToFormat(QImage::Format_RGB32);
}
