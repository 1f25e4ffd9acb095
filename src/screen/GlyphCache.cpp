#include "GlyphCache.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include "Cp437.h"

namespace {

constexpr int kMaxFonts = 16;
// What the coloured glyphs of one font may take.
constexpr size_t kColourBudgetBytes = 16 * 1024 * 1024;

quint64 pairKey(QRgb fore, QRgb back, bool opaqueBackground)
{
    return (quint64(fore & 0xFFFFFF) << 32) | (quint64(back & 0xFFFFFF) << 1)
           | (opaqueBackground ? 1 : 0);
}

QString glyphText(quint8 byte)
{
    return QString(QChar(Cp437ToUnicode(byte)));
}

} // namespace

QRgb ColourGlyphPixel(QRgb shape, QRgb fore, QRgb back)
{
    const uint ink = qRed(shape);
    const uint cover = qAlpha(shape);
    if (cover == 0)
        return 0;
    if (cover == 255 && (ink == 0 || ink == 255))
        return ink ? fore : back;
    const uint rest = cover > ink ? cover - ink : 0;
    auto mix = [&](uint f, uint b) { return (f * ink + b * rest + 127) / 255; };
    return qRgba(int(mix(qRed(fore), qRed(back))), int(mix(qGreen(fore), qGreen(back))),
                 int(mix(qBlue(fore), qBlue(back))), int(cover));
}

GlyphFont::GlyphFont(const QFont &font, int dotsPerMeterX, int dotsPerMeterY)
    : m_font(font), m_dotsPerMeterX(dotsPerMeterX), m_dotsPerMeterY(dotsPerMeterY)
{
    QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
    device.setDotsPerMeterX(dotsPerMeterX);
    device.setDotsPerMeterY(dotsPerMeterY);
    const QFontMetrics metrics(m_font, &device);
    m_ascent = metrics.ascent();
    m_height = metrics.height();
    for (int b = 0; b < 256; ++b)
        m_advance[b] = metrics.horizontalAdvance(glyphText(quint8(b)));
}

void GlyphFont::preparePainter(QPainter &painter, QRgb fore, QRgb back,
                               bool opaqueBackground) const
{
    painter.setFont(m_font);
    painter.setPen(QColor::fromRgb(fore));
    if (opaqueBackground) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(QColor::fromRgb(back));
    } else {
        painter.setBackgroundMode(Qt::TransparentMode);
    }
}

void GlyphFont::drawText(QPainter &painter, QPoint topLeft, quint8 byte) const
{
    painter.drawText(QPoint(topLeft.x(), topLeft.y() + m_ascent), glyphText(byte));
}

const GlyphFont::Shapes &GlyphFont::shapes(bool opaqueBackground)
{
    std::unique_ptr<Shapes> &entry = m_shapes[opaqueBackground ? 1 : 0];
    if (!entry) {
        entry = std::make_unique<Shapes>();
        renderShapes(*entry, opaqueBackground);
    }
    return *entry;
}

void GlyphFont::renderShapes(Shapes &shapes, bool opaqueBackground) const
{
    // A generous margin: some glyphs reach outside their cell.
    const int margin = m_height + 2;
    int widest = 0;
    for (int advance : m_advance)
        widest = qMax(widest, advance);
    QImage canvas(widest + 2 * margin, m_height + 2 * margin, QImage::Format_ARGB32_Premultiplied);
    canvas.setDotsPerMeterX(m_dotsPerMeterX);
    canvas.setDotsPerMeterY(m_dotsPerMeterY);

    for (int b = 0; b < 256; ++b) {
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            preparePainter(painter, qRgb(255, 255, 255), qRgb(0, 0, 0), opaqueBackground);
            drawText(painter, QPoint(margin, margin), quint8(b));
        }
        int left = canvas.width(), top = canvas.height(), right = -1, bottom = -1;
        for (int y = 0; y < canvas.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
            for (int x = 0; x < canvas.width(); ++x) {
                if (qAlpha(line[x]) != 0) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                }
            }
        }
        shapes.offset[b] = qsizetype(shapes.pixels.size());
        shapes.opaque[b] = right >= 0;
        shapes.binary[b] = true;
        if (right < 0) {
            shapes.box[b] = QRect();
            continue;
        }
        shapes.box[b] = QRect(left - margin, top - margin, right - left + 1, bottom - top + 1);
        for (int y = top; y <= bottom; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
            for (int x = left; x <= right; ++x) {
                const int alpha = qAlpha(line[x]);
                if (alpha != 255)
                    shapes.opaque[b] = false;
                if (alpha != 0 && alpha != 255)
                    shapes.binary[b] = false;
                shapes.pixels.push_back(line[x]);
            }
        }
    }
}

GlyphView GlyphFont::glyph(quint8 byte, bool opaqueBackground)
{
    const Shapes &s = shapes(opaqueBackground);
    GlyphView view;
    view.byte = byte;
    view.box = s.box[byte];
    view.opaque = s.opaque[byte];
    view.binary = s.binary[byte];
    return view;
}

GlyphColours &GlyphFont::colours(QRgb fore, QRgb back, bool opaqueBackground)
{
    if (!opaqueBackground)
        back = 0;
    const quint64 key = pairKey(fore, back, opaqueBackground);
    const auto found = m_colourIndex.find(key);
    if (found != m_colourIndex.end()) {
        GlyphColours &entry = m_colours[found->second];
        entry.lastUse = ++m_clock;
        return entry;
    }
    const size_t setBytes = qMax<size_t>(1, shapes(opaqueBackground).pixels.size() * sizeof(QRgb));
    if (m_colours.empty())
        m_colours.resize(qBound<size_t>(16, kColourBudgetBytes / setBytes, 256));
    size_t slot = 0;
    for (size_t i = 0; i < m_colours.size(); ++i) {
        if (m_colours[i].pixels.empty()) {
            slot = i;
            break;
        }
        if (m_colours[i].lastUse < m_colours[slot].lastUse)
            slot = i;
    }
    GlyphColours &entry = m_colours[slot];
    if (!entry.pixels.empty())
        m_colourIndex.erase(pairKey(entry.fore, entry.back, entry.opaqueBackground));
    entry.fore = fore;
    entry.back = back;
    entry.opaqueBackground = opaqueBackground;
    entry.lastUse = ++m_clock;
    entry.pixels.resize(shapes(opaqueBackground).pixels.size());
    entry.ready.fill(false);
    m_colourIndex.emplace(key, slot);
    return entry;
}

const QRgb *GlyphFont::colouredGlyph(GlyphColours &colours, quint8 byte)
{
    const Shapes &s = shapes(colours.opaqueBackground);
    QRgb *pixels = colours.pixels.data() + s.offset[byte];
    if (!colours.ready[byte]) {
        const qsizetype count = qsizetype(s.box[byte].width()) * s.box[byte].height();
        const QRgb *shape = s.pixels.data() + s.offset[byte];
        for (qsizetype i = 0; i < count; ++i)
            pixels[i] = ColourGlyphPixel(shape[i], colours.fore, colours.back);
        colours.ready[byte] = true;
    }
    return pixels;
}

std::shared_ptr<GlyphFont> GlyphFont::forFont(const QFont &font, int dotsPerMeterX,
                                              int dotsPerMeterY)
{
    // The engine runs on the window thread only; one registry per program,
    // emptied before the application object (and Qt's font caches) go away.
    // It is never destroyed itself, so that the order of static destructors
    // cannot matter.
    static auto *fonts = new QHash<QString, std::shared_ptr<GlyphFont>>;
    static bool cleanupRegistered = false;
    if (!cleanupRegistered && QCoreApplication::instance()) {
        qAddPostRoutine([] { fonts->clear(); });
        cleanupRegistered = true;
    }
    const QString key = font.key() + QLatin1Char('@') + QString::number(dotsPerMeterX)
                        + QLatin1Char('x') + QString::number(dotsPerMeterY);
    auto found = fonts->constFind(key);
    if (found != fonts->constEnd())
        return found.value();
    if (fonts->size() >= kMaxFonts)
        fonts->clear();
    auto created = std::make_shared<GlyphFont>(font, dotsPerMeterX, dotsPerMeterY);
    fonts->insert(key, created);
    return created;
}
