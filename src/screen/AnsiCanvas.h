#pragma once

// The drawing side of the screen engine: a QImage that the host window shows,
// with the drawing state the commands share (font, font colour, pen, brush,
// pen position). Every command leaves the state as it set it, and later
// commands draw with whatever is set unless they set it themselves; hosts may
// read and change it too.
//
// Glyphs are copied from a cache of pre-rendered glyphs; everything else goes
// through QPainter, one painter per command, so that no painter stays open on
// the host's image between commands.

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>

#include <deque>
#include <memory>
#include <optional>

class GlyphFont;
struct GlyphColours;
struct GlyphView;
class QPainter;

class AnsiCanvas
{
public:
    // How glyphs reach the image: copied from the cache, or drawn one by one
    // with QPainter::drawText (slower; kept as the reference the cache must
    // match and as the way to draw on images whose format the copy does not
    // handle).
    enum class GlyphMode { Cached, DrawText };

    explicit AnsiCanvas(QImage *image);
    ~AnsiCanvas();
    AnsiCanvas(const AnsiCanvas &) = delete;
    AnsiCanvas &operator=(const AnsiCanvas &) = delete;

    QImage *image() const { return m_image; }

    const QFont &font() const { return m_font; }
    void setFont(const QFont &font);
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color);
    const QPen &pen() const { return m_pen; }
    void setPen(const QPen &pen) { m_pen = pen; }
    const QBrush &brush() const { return m_brush; }
    void setBrush(const QBrush &brush);
    void setBrushColor(const QColor &color);
    void setBrushStyle(Qt::BrushStyle style);
    QPoint penPos() const { return m_penPos; }
    void moveTo(QPoint point) { m_penPos = point; }

    GlyphMode glyphMode() const { return m_glyphMode; }
    void setGlyphMode(GlyphMode mode);

    // Pixel width of a byte's glyph and height of a line in the current font.
    int textWidth(quint8 byte);
    int textHeight();

    // Draws a byte's glyph at the pen position (the pen's point is the glyph
    // cell's top-left corner), its background filled with the brush colour
    // when the brush is solid and untouched otherwise, and moves the pen
    // right by the glyph's width.
    void drawGlyph(quint8 byte);
    // Draws a line from the pen position to `to` with the pen; the pen ends there.
    void lineTo(QPoint to);
    // A rectangle with the corners given as on the reference drawing
    // interface: right and bottom are one past the last column and row the
    // outline covers (for a one-pixel pen).
    void roundRect(int left, int top, int right, int bottom);
    // A filled ellipse in the box (left, top)-(right, bottom), right and
    // bottom exclusive, drawn with the pen and brush.
    void ellipse(int left, int top, int right, int bottom);
    // Fills the whole image with the brush.
    void fillAll();
    // Copies the band of rows [fromY, toY) of columns [0, width) up to y = 0.
    void copyBandUp(int fromY, int toY, int width);

    // Brings the image up to date: applies scrolls that are still collected
    // and ends the painter the drawText path keeps open. Called by the engine
    // before it hands control to the host and at the end of a Write, so that
    // the host sees every pixel and can paint on the image itself.
    void flush();

private:
    GlyphFont &glyphFont();
    bool drawPendingGlyph(quint8 byte);
    // Draws a glyph with its text's top-left corner at `at` of `target`,
    // touching only the pixels inside `clip` (which lies inside `target`).
    void drawGlyphOn(quint8 byte, QImage &target, QPoint at, const QRect &clip);
    void blit(const GlyphView &glyph, QPoint at, QImage &target, const QRect &clip);
    void drawGlyphText(quint8 byte, QImage &target, QPoint at, const QRect &clip);
    void endTextPainter();
    void moveBandUp(int fromY, int toY, int columns);
    void applyScroll();
    QRect imageRect() const;

    QImage *m_image;
    QFont m_font;
    QColor m_fontColor = Qt::black;
    QPen m_pen;
    QBrush m_brush = QBrush(Qt::white, Qt::SolidPattern);
    QPoint m_penPos;
    GlyphMode m_glyphMode = GlyphMode::Cached;

    std::shared_ptr<GlyphFont> m_glyphFont;
    GlyphColours *m_colours = nullptr; // an entry of m_glyphFont
    std::unique_ptr<QPainter> m_textPainter;
    bool m_textPainterReady = false; // its font and colours are the current ones

    // Scrolls not yet applied to the image.
    struct PendingScroll
    {
        int lines = 0;
        int lineHeight = 0;
        int bandEnd = 0;
        int width = 0;
        std::deque<QImage> strips; // the bottom row after each scroll, oldest first
        QRect bottomRow() const;
    };
    PendingScroll m_scroll;
};
