#pragma once

// Pre-rendered glyphs for the screen engine. Screens are drawn one glyph per
// byte, so the engine does not lay out text: each byte of a font is rendered
// once with QPainter::drawText in white ink (on black, and alone), coloured
// once per colour pair it is used in, and copied onto the surface from
// then on. The pixels are the same as drawing the glyph directly in those
// colours.

#include <QFont>
#include <QRect>
#include <QRgb>

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;

// One glyph's shape, relative to the top-left corner of its text.
struct GlyphView
{
    quint8 byte = 0;
    QRect box;
    bool opaque = false;   // every pixel of `box` is covered
    bool binary = true;    // every pixel fully covered or untouched
};

// The glyphs of one font in one colour pair, coloured on first use. A font
// keeps the pairs last used, as many as fit in a memory budget (every pair
// of the colour codes at the usual sizes); the server can name more through
// ball colours, and the oldest pair then makes room.
struct GlyphColours
{
    QRgb fore = 0;
    QRgb back = 0;
    bool opaqueBackground = false;
    quint64 lastUse = 0;
    std::vector<QRgb> pixels;      // laid out as the font's shapes
    std::array<bool, 256> ready{};

    bool matches(QRgb f, QRgb b, bool opaque) const
    {
        return fore == f && back == b && opaqueBackground == opaque && !pixels.empty();
    }
};

// One font at one resolution: its metrics and its glyph shapes.
class GlyphFont
{
public:
    GlyphFont(const QFont &font, int dotsPerMeterX, int dotsPerMeterY);

    const QFont &font() const { return m_font; }
    int advance(quint8 byte) const { return m_advance[byte]; }
    int ascent() const { return m_ascent; }
    int height() const { return m_height; }

    // The glyph with its background filled (`opaqueBackground`) or without.
    GlyphView glyph(quint8 byte, bool opaqueBackground);
    // The colour pair's glyphs (`fore` and `back` opaque); valid until the
    // next call. `back` does not matter without a background.
    GlyphColours &colours(QRgb fore, QRgb back, bool opaqueBackground);
    // `pixels` of `colours` for this glyph, coloured if not done yet.
    const QRgb *colouredGlyph(GlyphColours &colours, quint8 byte);
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
    struct Shapes
    {
        std::array<QRect, 256> box;
        std::array<qsizetype, 256> offset{};
        std::array<bool, 256> opaque{};
        std::array<bool, 256> binary{};
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
    std::vector<GlyphColours> m_colours;             // sized by the budget
    std::unordered_map<quint64, size_t> m_colourIndex; // pair -> entry
    quint64 m_clock = 0;
};

// A shape pixel in colours: ink × fore + (cover − ink) × back per channel,
// premultiplied, with alpha = cover.
QRgb ColourGlyphPixel(QRgb shape, QRgb fore, QRgb back);
