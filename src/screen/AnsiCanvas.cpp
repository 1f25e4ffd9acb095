#include "AnsiCanvas.h"

#include <QPainter>

#include <cstring>

#include "AnsiParams.h"
#include "GlyphCache.h"

namespace {

bool copiesRows(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
           || format == QImage::Format_ARGB32;
}

// Cuts the segment p-q to `box`; false when nothing of it lies inside.
bool clipSegment(QPointF &p, QPointF &q, const QRectF &box)
{
    double t0 = 0, t1 = 1;
    const double dx = q.x() - p.x(), dy = q.y() - p.y();
    const double edges[4][2] = {{-dx, p.x() - box.left()},
                                {dx, box.right() - p.x()},
                                {-dy, p.y() - box.top()},
                                {dy, box.bottom() - p.y()}};
    for (const auto &edge : edges) {
        const double a = edge[0], b = edge[1];
        if (a == 0) {
            if (b < 0)
                return false;
        } else {
            const double t = b / a;
            if (a < 0)
                t0 = qMax(t0, t);
            else
                t1 = qMin(t1, t);
        }
    }
    if (t0 > t1)
        return false;
    const QPointF start = p;
    p = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    q = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

// Each 8-bit channel of `pixel` times alpha / 255.
QRgb scaled(QRgb pixel, uint alpha)
{
    uint rb = (pixel & 0xFF00FFu) * alpha;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
    uint ag = ((pixel >> 8) & 0xFF00FFu) * alpha;
    ag = (ag + ((ag >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
    return rb | ag;
}

} // namespace

AnsiCanvas::AnsiCanvas(QImage *image) : m_image(image) {}

AnsiCanvas::~AnsiCanvas()
{
    flush();
}

void AnsiCanvas::setFont(const QFont &font)
{
    if (font == m_font)
        return;
    flush();
    m_font = font;
    m_glyphFont.reset();
    m_colours = nullptr;
    m_textPainterReady = false;
}

void AnsiCanvas::setFontColor(const QColor &color)
{
    if (color != m_fontColor) {
        m_fontColor = color;
        m_textPainterReady = false;
    }
}

void AnsiCanvas::setBrush(const QBrush &brush)
{
    m_brush = brush;
    m_textPainterReady = false;
}

void AnsiCanvas::setBrushColor(const QColor &color)
{
    if (color != m_brush.color()) {
        m_brush.setColor(color);
        m_textPainterReady = false;
    }
}

void AnsiCanvas::setBrushStyle(Qt::BrushStyle style)
{
    if (style != m_brush.style()) {
        m_brush.setStyle(style);
        m_textPainterReady = false;
    }
}

void AnsiCanvas::setGlyphMode(GlyphMode mode)
{
    flush();
    m_glyphMode = mode;
}

GlyphFont &AnsiCanvas::glyphFont()
{
    if (!m_glyphFont) {
        int dpmX = m_image->dotsPerMeterX(), dpmY = m_image->dotsPerMeterY();
        if (dpmX <= 0 || dpmY <= 0)
            dpmX = dpmY = 3780; // 96 dots per inch
        m_glyphFont = GlyphFont::forFont(m_font, dpmX, dpmY);
    }
    return *m_glyphFont;
}

int AnsiCanvas::textWidth(quint8 byte)
{
    return glyphFont().advance(byte);
}

int AnsiCanvas::textHeight()
{
    return glyphFont().height();
}

QRect AnsiCanvas::imageRect() const
{
    return m_image->rect();
}

void AnsiCanvas::drawGlyph(quint8 byte)
{
    GlyphFont &font = glyphFont();
    if (!m_image->isNull()) {
        if (m_scroll.lines == 0 || !drawPendingGlyph(byte)) {
            applyScroll();
            drawGlyphOn(byte, *m_image, m_penPos, m_image->rect());
        }
    }
    m_penPos.setX(ClampCoord(qint64(m_penPos.x()) + font.advance(byte)));
}

// While scrolls are pending, the rows of the band are not where they will
// end up. Text on the bottom row goes to the newest strip (and what reaches
// a pixel above it to the strip before); pixels right of the band or below
// it do not move and are drawn on the image. A glyph reaching anywhere else
// makes the caller apply the scrolls first.
bool AnsiCanvas::drawPendingGlyph(quint8 byte)
{
    GlyphFont &font = glyphFont();
    const QRect cell(m_penPos.x(), m_penPos.y(), font.advance(byte), font.height());
    const QRect reach =
        font.glyphBounds(byte, m_brush.style() == Qt::SolidPattern).translated(m_penPos) | cell;
    const int line = m_scroll.lineHeight;
    const int width = m_scroll.width;
    const QRect bottom = m_scroll.bottomRow();
    const QRect above = bottom.translated(0, -line);
    const bool hasAbove = m_scroll.strips.size() >= 2;
    const QRect rest(0, 0, width, (hasAbove ? above.top() : bottom.top()));
    if (reach.intersects(rest))
        return false;

    struct Piece
    {
        QImage *image;
        QRect clip; // in surface coordinates
        QPoint origin;
    };
    const Piece pieces[] = {
        {&m_scroll.strips.back(), bottom, bottom.topLeft()},
        {hasAbove ? &m_scroll.strips[m_scroll.strips.size() - 2] : nullptr, above, above.topLeft()},
        {m_image, QRect(width, 0, qMax(0, m_image->width() - width), m_image->height()), QPoint()},
        {m_image, QRect(0, bottom.bottom() + 1, width, m_image->height()), QPoint()},
    };
    for (const Piece &piece : pieces) {
        if (!piece.image || !reach.intersects(piece.clip))
            continue;
        drawGlyphOn(byte, *piece.image, m_penPos - piece.origin,
                    piece.clip.translated(-piece.origin) & piece.image->rect());
    }
    return true;
}

void AnsiCanvas::drawGlyphOn(quint8 byte, QImage &target, QPoint at, const QRect &clip)
{
    if (m_glyphMode == GlyphMode::DrawText) {
        drawGlyphText(byte, target, at, clip);
    } else {
        const bool opaque = m_brush.style() == Qt::SolidPattern;
        blit(glyphFont().glyph(byte, opaque), at, target, clip);
    }
}

void AnsiCanvas::drawGlyphText(quint8 byte, QImage &target, QPoint at, const QRect &clip)
{
    if (m_textPainter && m_textPainter->device() != &target)
        endTextPainter();
    if (!m_textPainter) {
        m_textPainter = std::make_unique<QPainter>(&target);
        m_textPainterReady = false;
    }
    // The painter stays open over a run of glyphs; its colours are set again
    // only when they change.
    if (!m_textPainterReady) {
        glyphFont().preparePainter(*m_textPainter, m_fontColor.rgb(), m_brush.color().rgb(),
                                   m_brush.style() == Qt::SolidPattern);
        m_textPainterReady = true;
    }
    const bool clipped = clip != target.rect();
    if (clipped)
        m_textPainter->setClipRect(clip);
    glyphFont().drawText(*m_textPainter, at, byte);
    if (clipped)
        m_textPainter->setClipping(false);
}

void AnsiCanvas::blit(const GlyphView &glyph, QPoint at, QImage &target, const QRect &clip)
{
    const int width = glyph.box.width();
    const int left = at.x() + glyph.box.left(), top = at.y() + glyph.box.top();
    const int x0 = qMax(left, clip.left()), x1 = qMin(left + width, clip.right() + 1);
    const int y0 = qMax(top, clip.top()), y1 = qMin(top + glyph.box.height(), clip.bottom() + 1);
    if (x0 >= x1 || y0 >= y1)
        return;
    const bool opaqueBackground = m_brush.style() == Qt::SolidPattern;
    const QRgb fore = m_fontColor.rgb() | 0xFF000000u;
    const QRgb back = opaqueBackground ? (m_brush.color().rgb() | 0xFF000000u) : 0;
    // The pair stays the same over a run of text; the font is asked again
    // when it changed or when another engine took the entry meanwhile.
    if (!m_colours || !m_colours->matches(fore, back, opaqueBackground))
        m_colours = &glyphFont().colours(fore, back, opaqueBackground);
    const QRgb *pixels = m_glyphFont->colouredGlyph(*m_colours, glyph.byte);
    const QImage::Format format = target.format();
    if (!copiesRows(format) || (format == QImage::Format_ARGB32 && !glyph.binary)) {
        endTextPainter();
        const QImage image(reinterpret_cast<const uchar *>(pixels), width, glyph.box.height(),
                           qsizetype(width) * 4, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&target);
        painter.setClipRect(clip);
        painter.drawImage(QPoint(left, top), image);
        return;
    }

    uchar *bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    const int columns = x1 - x0;
    const QRgb *source = pixels + qsizetype(y0 - top) * width + (x0 - left);
    // Glyph rows are a few pixels wide: plain loops beat a library call each.
    for (int row = y0; row < y1; ++row, source += width) {
        QRgb *dest = reinterpret_cast<QRgb *>(bits + row * stride) + x0;
        if (glyph.opaque) {
            for (int i = 0; i < columns; ++i)
                dest[i] = source[i];
            continue;
        }
        for (int i = 0; i < columns; ++i) {
            const QRgb pixel = source[i];
            const uint alpha = qAlpha(pixel);
            if (alpha == 255)
                dest[i] = pixel;
            else if (alpha != 0) // premultiplied "source over"
                dest[i] = pixel + scaled(dest[i], 255 - alpha);
        }
    }
}

void AnsiCanvas::lineTo(QPoint to)
{
    const QPoint from = m_penPos;
    m_penPos = to;
    if (m_image->isNull() || m_pen.style() == Qt::NoPen)
        return;
    flush();
    const int width = m_pen.width();
    // Only what can reach the image is drawn, so that far-off end points
    // cost nothing; the margin covers the pen's width and caps.
    const int margin = width + 4;
    QPointF p(from), q(to);
    if (!clipSegment(p, q, QRectF(imageRect().adjusted(-margin, -margin, margin, margin))))
        return;
    QPen pen(m_pen);
    if (width <= 1) {
        // A thin line stops before its end point, as on the reference platform.
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    QPainter painter(m_image);
    painter.setPen(pen);
    painter.drawLine(p, q);
}

void AnsiCanvas::roundRect(int left, int top, int right, int bottom)
{
    if (m_image->isNull() || right <= left || bottom <= top)
        return;
    flush();
    const bool outline = m_pen.style() != Qt::NoPen;
    const bool filled = m_brush.style() != Qt::NoBrush;
    if (!outline && !filled)
        return;
    const int margin = m_pen.width() + 4;
    const QRect reach = imageRect().adjusted(-margin, -margin, margin, margin);
    // Edges far outside the image are pulled in to just outside it: what
    // shows is the same, and the painter never sees huge coordinates.
    const int l = qMax(left, reach.left()), t = qMax(top, reach.top());
    const int r = qMin(right, reach.right()), b = qMin(bottom, reach.bottom());
    if (r <= l || b <= t)
        return;
    QPainter painter(m_image);
    painter.setPen(m_pen);
    painter.setBrush(m_brush);
    // The outline runs through the centres of the outermost pixels.
    painter.drawRoundedRect(QRectF(l + 0.5, t + 0.5, r - l - 1, b - t - 1), 1, 1);
}

void AnsiCanvas::ellipse(int left, int top, int right, int bottom)
{
    if (m_image->isNull() || right <= left || bottom <= top)
        return;
    flush();
    QPainter painter(m_image);
    painter.setPen(m_pen);
    painter.setBrush(m_brush);
    painter.drawEllipse(QRect(left, top, right - left, bottom - top));
}

void AnsiCanvas::fillAll()
{
    if (m_image->isNull())
        return;
    flush();
    if (m_brush.style() == Qt::SolidPattern) {
        m_image->fill(m_brush.color());
        return;
    }
    if (m_brush.style() == Qt::NoBrush)
        return;
    QPainter painter(m_image);
    painter.fillRect(imageRect(), m_brush);
}

QRect AnsiCanvas::PendingScroll::bottomRow() const
{
    return QRect(0, bandEnd - 2 * lineHeight, width, lineHeight);
}

void AnsiCanvas::copyBandUp(int fromY, int toY, int width)
{
    if (m_image->isNull() || fromY <= 0)
        return;
    const int columns = qMin(width, m_image->width());
    if (toY <= fromY || columns <= 0)
        return;
    // A run of scrolls over the same band (text arriving at the bottom row)
    // is collected and moved once: each scroll only starts a new strip for
    // the bottom row, filled from the line below the band.
    const bool deferrable =
        copiesRows(m_image->format()) && toY <= m_image->height() && toY >= 2 * fromY;
    const bool sameBand = deferrable && m_scroll.lines > 0 && m_scroll.lineHeight == fromY
                          && m_scroll.bandEnd == toY && m_scroll.width == columns;
    if (!sameBand)
        flush();
    if (!deferrable) {
        moveBandUp(fromY, toY, columns);
        return;
    }
    endTextPainter();
    if (!sameBand) {
        m_scroll.lineHeight = fromY;
        m_scroll.bandEnd = toY;
        m_scroll.width = columns;
    }
    ++m_scroll.lines;
    m_scroll.strips.push_back(m_image->copy(0, toY - fromY, columns, fromY));
    // Only as many strips as the band has rows can still show.
    const int rows = (toY - fromY) / fromY;
    while (int(m_scroll.strips.size()) > rows)
        m_scroll.strips.pop_front();
}

void AnsiCanvas::moveBandUp(int fromY, int toY, int columns)
{
    const int endRow = qMin(toY, m_image->height());
    if (endRow <= fromY)
        return;
    const int depth = m_image->depth();
    if (depth % 8 == 0) {
        const size_t bytes = size_t(columns) * size_t(depth / 8);
        uchar *bits = m_image->bits();
        const qsizetype stride = m_image->bytesPerLine();
        for (int row = fromY; row < endRow; ++row)
            std::memmove(bits + (row - fromY) * stride, bits + row * stride, bytes);
        return;
    }
    const QImage band = m_image->copy(0, fromY, columns, endRow - fromY);
    QPainter painter(m_image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), band);
}

void AnsiCanvas::applyScroll()
{
    if (m_scroll.lines == 0)
        return;
    endTextPainter();
    const int line = m_scroll.lineHeight;
    const int destEnd = m_scroll.bandEnd - line;   // the band's rows end here after a move
    const qint64 shift = qint64(m_scroll.lines) * line;
    const size_t bytes = size_t(m_scroll.width) * sizeof(QRgb);
    uchar *bits = m_image->bits();
    const qsizetype stride = m_image->bytesPerLine();
    // What stays of the old band moves up by all the lines at once ...
    for (qint64 row = 0; row + shift < destEnd; ++row)
        std::memmove(bits + row * stride, bits + (row + shift) * stride, bytes);
    // ... and the strips, newest lowest, fill the rows below it.
    int top = destEnd - line;
    for (auto strip = m_scroll.strips.rbegin(); strip != m_scroll.strips.rend() && top >= 0;
         ++strip, top -= line)
        for (int y = 0; y < line; ++y)
            std::memcpy(bits + (top + y) * stride, strip->constScanLine(y), bytes);
    m_scroll = PendingScroll();
}

void AnsiCanvas::endTextPainter()
{
    if (m_textPainter) {
        m_textPainter.reset();
        m_textPainterReady = false;
    }
}

void AnsiCanvas::flush()
{
    endTextPainter();
    applyScroll();
}
