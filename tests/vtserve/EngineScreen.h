#pragma once

// The door clients' screen engine on an image of its own, read back cell by
// cell: the character it holds, and the colours its pixels show (the
// engine's glyphs are drawn without smoothing, so a cell's pixels are its
// glyph colour and its background colour). Column 80, which the engine does
// not print, is read from the surface texts drawn there. Feeding records any
// byte that would have been printed at column 80 or beyond.

#include <QImage>

#include <array>

#include "Ansi.h"

struct EngineScreen {
    struct Seen {
        uchar ch = ' ';
        QRgb fg = 0;
        QRgb bg = 0;
        bool glyphSeen = false;   // the cell shows pixels of two colours
    };

    static constexpr std::array<QRgb, 16> Palette = {
        0x000000, 0x800000, 0x008000, 0xA85400, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };

    QImage image{1000, 600, QImage::Format_RGB32};
    TAnsi engine;
    std::array<Seen, 27> column80;
    int bytesAtColumn80 = 0;
    int strayTexts = 0;

    EngineScreen()
    {
        image.fill(Qt::black);
        engine.AttachSurface(&image);
        engine.SetMeasuredFontSize(9);   // as the door clients set it
        engine.SetRowCount(26);
        engine.OnSurfaceText = [this](const TAnsiRect &rect, const QByteArray &text) {
            const int row = rect.Top / engine.CellHeight();
            if (rect.Left != 80 * engine.CellWidth() || row < 1 || row > 26 || text.isEmpty()) {
                ++strayTexts;
                return;
            }
            Seen s;
            s.ch = uchar(text.at(0));
            s.fg = ToQColor(engine.ColorOf(rect.Bottom)).rgb() & 0xFFFFFF;
            s.bg = engine.Surface()->brush().color().rgb() & 0xFFFFFF;
            column80[size_t(row)] = s;
        };
    }

    void feed(const QByteArray &bytes)
    {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar b = uchar(bytes.at(i));
            const bool printable = !(b == 0 || (b >= 0x07 && b <= 0x0D) || b == 0x1B);
            if (engine.ParseState() == AnsiByteParser::TParseState::Ground && printable && engine.CursorColumn() >= 80)
                ++bytesAtColumn80;
            if (engine.ParseState() == AnsiByteParser::TParseState::Sequence && b == 'J' && !engine.WidgetCapture()
                && !engine.PictureCapture())
                column80.fill(Seen());   // a clear takes column 80 too
            engine.PutByte(b);
        }
        engine.Surface()->flush();
    }

    Seen at(int row, int column) const
    {
        if (column == 80)
            return column80[size_t(row)];
        Seen s;
        s.ch = engine.CharAtCell(column, row);
        if (s.ch == 0)
            s.ch = ' ';
        const int w = engine.CellWidth();
        const int h = engine.CellHeight();
        QRgb first = image.pixel(column * w, row * h) & 0xFFFFFF;
        int firstCount = 0;
        QRgb second = first;
        int secondCount = 0;
        for (int y = row * h; y < (row + 1) * h; ++y) {
            for (int x = column * w; x < (column + 1) * w; ++x) {
                const QRgb p = image.pixel(x, y) & 0xFFFFFF;
                if (p == first) {
                    ++firstCount;
                } else {
                    second = p;
                    ++secondCount;
                }
            }
        }
        // The background is the colour of most pixels, but for the blocks.
        const bool block = s.ch == 0xDB;
        const bool firstIsBack = (firstCount >= secondCount) != block;
        s.bg = firstIsBack || !secondCount ? first : second;
        s.fg = firstIsBack ? second : first;
        s.glyphSeen = secondCount > 0;
        return s;
    }
};
