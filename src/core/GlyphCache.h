#pragma once

// Pre-rendered glyphs for the screen engine. Screens are drawn one glyph per
// byte, so the engine does not lay out text: each byte of a font is rendered
// once with QPainter::drawText (white ink on black, and white ink alone), and
// every colour pair's glyphs are derived from that by arithmetic and copied
// onto the surface. The pixels are the same as drawing the glyph directly.

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRgb>

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;

// One glyph in one colour pair: premultiplied pixels of `box`, which is
// relative to the top-left corner of the text.
struct GlyphView
{
    const QRgb *pixels = nullptr;
    QRect box;
    bool opaque = false;       // every pixel fully opaque: rows copy as they are
    bool binaryAlpha = true;   // every pixel fully opaque or fully transparent
};

// The 256 glyphs of one font in one colour pair, derived on first use.
class GlyphSet
{
public:
    QRgb fore = 0;
    QRgb back = 0;
    bool opaqueBackground = false;
    std::unique_ptr<QRgb[]> pixels; // glyph after glyph, as laid out by the font's shapes
    std::array<bool, 256> ready{};
};

// One font at one resolution: its metrics, its glyph shapes and its glyph sets.
class GlyphFont
{
public:
    GlyphFont(const QFont &font, int dotsPerMeterX, int dotsPerMeterY);

    const QFont &font() const { return m_font; }
    int advance(quint8 byte) const { return m_advance[byte]; }
    int ascent() const { return m_ascent; }
    int height() const { return m_height; }

    // The glyph set for text colour `fore` on `back`; `back` is not used
    // when the background is left untouched (`opaqueBackground` false).
    std::shared_ptr<GlyphSet> set(QRgb fore, QRgb back, bool opaqueBackground);
    GlyphView glyph(GlyphSet &set, quint8 byte);
    // Where a glyph touches pixels, relative to the text's top-left corner.
    QRect glyphBounds(quint8 byte, bool opaqueBackground) { return shapes(opaqueBackground).box[byte]; }

    // Draws one glyph directly: QPainter::drawText at the text's top-left
    // corner, with the background filled when `opaqueBackground`.
    void drawText(QPainter &painter, QPoint topLeft, quint8 byte) const;
    void preparePainter(QPainter &painter, QRgb fore, QRgb back, bool opaqueBackground) const;

    // The shared instance for a font at a resolution.
    static std::shared_ptr<GlyphFont> forFont(const QFont &font, int dotsPerMeterX,
                                              int dotsPerMeterY);

private:
    // The shapes of all 256 glyphs with or without background, rendered in
    // white ink (on black): red is the ink, alpha what the glyph covers.
    struct Shapes
    {
        std::array<QRect, 256> box;
        std::array<qsizetype, 256> offset{};
        std::array<bool, 256> opaque{};
        std::array<bool, 256> binaryAlpha{};
        std::vector<QRgb> pixels;
    };
    const Shapes &shapes(bool opaqueBackground);
    void renderShapes(Shapes &shapes, bool opaqueBackground) const;

    QFont m_font;
    int m_dotsPerMeterX;
    int m_dotsPerMeterY;
    int m_ascent = 0;
    int m_height = 0;
    std::array<int, 256> m_advance{};
    std::unique_ptr<Shapes> m_shapes[2];
    std::unordered_map<quint64, std::shared_ptr<GlyphSet>> m_sets;
};
