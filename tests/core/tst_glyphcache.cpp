// The glyph cache paints exactly what QPainter::drawText paints, in every
// surface format, with glyphs taller than the cell, and with more colour
// pairs than it keeps.

#include <QSet>
#include <QTest>

#include "PaintedScreen.h"
#include "TestMain.h"

namespace {

// Every byte in several colour pairs, with solid and clear backgrounds.
QByteArray glyphStream()
{
    QByteArray out = "\x1b[0;44m\x1b[J";
    const char *colours[] = {"\x1b[0;31;40m", "\x1b[1;33;44m", "\x1b[0;30;47m", "\x1b[1;37;41m"};
    int colour = 0;
    for (int b = 1; b < 256; ++b) {
        if (b == 0x1B || (b >= 0x07 && b <= 0x0D))
            continue;
        if (b % 40 == 0)
            out += colours[colour++ % 4];
        if (b == 200) // an unfilled box leaves the brush clear
            out += "\x1b[1;1;1;1;1;31;0;0R";
        out += char(b);
        if (b % 70 == 0)
            out += "\r\n";
    }
    return out + "\x1b[K\x1b[5;5;2;34o\x1b[1;32mafter the ball";
}

// Text on the brush colours that balls leave behind (only the text colour
// changes, so the background is not applied again): more colour pairs than
// the glyph cache keeps.
QByteArray manyPairsStream()
{
    QByteArray out = "\x1b[0;44m\x1b[J";
    int k = 0;
    for (int fore = 30; fore < 38; ++fore)
        for (int code = 30; code < 38; ++code)
            for (int diameter = 1; diameter <= 8; ++diameter, ++k) {
                out += "\x1b[20;30;" + QByteArray::number(diameter) + ";"
                       + QByteArray::number(code) + "o";
                out += "\x1b[" + QByteArray::number(k % 38 + 1) + ";"
                       + QByteArray::number(k % 70 + 1) + "H\x1b[" + QByteArray::number(fore)
                       + "mAb\xdb";
            }
    return out;
}

} // namespace

class tst_GlyphCache : public QObject
{
    Q_OBJECT
private slots:
    void cached_glyphs_match_draw_text_data();
    void cached_glyphs_match_draw_text();
};

void tst_GlyphCache::cached_glyphs_match_draw_text_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<QByteArray>("stream");
    const QByteArray glyphs = glyphStream();
    QTest::newRow("RGB32") << QImage::Format_RGB32 << 0 << glyphs;
    QTest::newRow("RGB32, glyphs taller than the cell") << QImage::Format_RGB32 << 10 << glyphs;
    QTest::newRow("premultiplied") << QImage::Format_ARGB32_Premultiplied << 0 << glyphs;
    QTest::newRow("ARGB32") << QImage::Format_ARGB32 << 14 << glyphs;
    QTest::newRow("RGB888 through QPainter") << QImage::Format_RGB888 << 0 << glyphs;
    QTest::newRow("more colour pairs than cached") << QImage::Format_RGB32 << 0 << manyPairsStream();
}

void tst_GlyphCache::cached_glyphs_match_draw_text()
{
    QFETCH(QImage::Format, format);
    QFETCH(int, fontSize);
    QFETCH(QByteArray, stream);
    const QImage cached = paintScreen(stream, format, AnsiCanvas::GlyphMode::Cached, fontSize, false);
    const QImage drawn = paintScreen(stream, format, AnsiCanvas::GlyphMode::DrawText, fontSize, false);
    QCOMPARE(cached, drawn);
    // Something was drawn in several colours.
    QSet<QRgb> colours;
    for (int x = 0; x < 600; ++x)
        colours.insert(cached.pixel(x, 40));
    QVERIFY(colours.size() > 4);
}

VT_TEST_MAIN(tst_GlyphCache)
#include "tst_glyphcache.moc"
