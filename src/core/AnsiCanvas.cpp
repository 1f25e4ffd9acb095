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
    m_glyphSet.reset();
}

void AnsiCanvas::setFontColor(const QColor &color)
{
    if (color != m_fontColor) {
        m_fontColor = color;
        m_glyphSet.reset();
    }
}

void AnsiCanvas::setBrush(const QBrush &brush)
{
    m_brush = brush;
    m_glyphSet.reset();
}

void AnsiCanvas::setBrushColor(const QColor &color)
{
    if (color != m_brush.color()) {
        m_brush.setColor(color);
        m_glyphSet.reset();
    }
}

void AnsiCanvas::setBrushStyle(Qt::BrushStyle style)
{
    if (style != m_brush.style()) {
        m_brush.setStyle(style);
        m_glyphSet.reset();
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

void AnsiCanvas::selectGlyphSet()
{
    if (!m_glyphSet)
        m_glyphSet = glyphFont().set(m_fontColor.rgb(), m_brush.color().rgb(),
                                     m_brush.style() == Qt::SolidPattern);
}

void AnsiCanvas::drawGlyph(quint8 byte)
{
    GlyphFont &font = glyphFont();
    if (!m_image->isNull()) {
        QImage *target = m_image;
        QPoint origin;
        // While a scroll is pending, text on the bottom row goes to the
        // newest strip; anything else applies the scroll first.
        if (m_scroll.lines > 0) {
            const QRect cell(m_penPos.x(), m_penPos.y(), font.advance(byte), font.height());
            const QRect reach =
                font.glyphBounds(byte, m_brush.style() == Qt::SolidPattern).translated(m_penPos)
                | cell;
            if (m_scroll.bottomRow().contains(reach)) {
                target = &m_scroll.strips.back();
                origin = m_scroll.bottomRow().topLeft();
            } else {
                applyScroll();
            }
        }
        if (m_glyphMode == GlyphMode::DrawText) {
            drawGlyphText(byte, target, m_penPos - origin);
        } else {
            selectGlyphSet();
            blit(font.glyph(*m_glyphSet, byte), m_penPos - origin, *target);
        }
    }
    m_penPos.setX(ClampCoord(qint64(m_penPos.x()) + font.advance(byte)));
}

void AnsiCanvas::drawGlyphText(quint8 byte, QImage *target, QPoint at)
{
    if (m_textPainter && m_textPainter->device() != target)
        m_textPainter.reset();
    if (!m_textPainter) {
        m_textPainter = std::make_unique<QPainter>(target);
        m_glyphSet.reset();
    }
    // The painter stays open over a run of glyphs; its colours are set again
    // only when they change (the glyph set is the marker for that).
    if (!m_glyphSet) {
        glyphFont().preparePainter(*m_textPainter, m_fontColor.rgb(), m_brush.color().rgb(),
                                   m_brush.style() == Qt::SolidPattern);
        selectGlyphSet();
    }
    glyphFont().drawText(*m_textPainter, at, byte);
}

void AnsiCanvas::blit(const GlyphView &glyph, QPoint at, QImage &target)
{
    if (glyph.box.isEmpty())
        return;
    const QRect box = glyph.box.translated(at);
    const QRect clipped = box & target.rect();
    if (clipped.isEmpty())
        return;
    const QImage::Format format = target.format();
    if (!copiesRows(format) || (format == QImage::Format_ARGB32 && !glyph.binaryAlpha)) {
        endTextPainter();
        const QImage image(reinterpret_cast<const uchar *>(glyph.pixels), glyph.box.width(),
                           glyph.box.height(), qsizetype(glyph.box.width()) * 4,
                           QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&target);
        painter.drawImage(box.topLeft(), image);
        return;
    }

    uchar *bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    const int columns = clipped.width();
    const QRgb *source = glyph.pixels + qsizetype(clipped.top() - box.top()) * glyph.box.width()
                         + (clipped.left() - box.left());
    for (int row = clipped.top(); row <= clipped.bottom(); ++row, source += glyph.box.width()) {
        QRgb *dest = reinterpret_cast<QRgb *>(bits + row * stride) + clipped.left();
        if (glyph.opaque) {
            std::memcpy(dest, source, size_t(columns) * sizeof(QRgb));
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
        m_glyphSet.reset();
    }
}

void AnsiCanvas::flush()
{
    endTextPainter();
    applyScroll();
}
