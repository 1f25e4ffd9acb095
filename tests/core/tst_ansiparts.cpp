// The pieces under the screen engine: reading parameters, the cell grid, the
// code page 437 table, and the glyph cache, which must paint exactly what
// QPainter::drawText paints, also while scrolls are being collected.

#include <QImage>
#include <QPainter>
#include <QTest>

#include "Ansi.h"
#include "Cp437.h"
#include "TestMain.h"

class tst_AnsiParts : public QObject
{
    Q_OBJECT
private slots:
    void next_int_data();
    void next_int();
    void next_real_data();
    void next_real();
    void cell_round_data();
    void cell_round();
    void cell_grid_skips_writes_outside();
    void cell_grid_scroll_keeps_the_last_row();
    void cp437_glyphs();
    void cached_glyphs_match_draw_text_data();
    void cached_glyphs_match_draw_text();
    void collected_scrolls_match_single_steps_data();
    void collected_scrolls_match_single_steps();
};

void tst_AnsiParts::next_int_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("rest");
    QTest::newRow("first of two") << QByteArray("12;5") << 12 << QByteArray("5");
    QTest::newRow("whole") << QByteArray("12") << 12 << QByteArray();
    QTest::newRow("empty field") << QByteArray(";5") << 0 << QByteArray("5");
    QTest::newRow("nothing") << QByteArray() << 0 << QByteArray();
    QTest::newRow("dot stops an integer") << QByteArray("1.5;3") << 1 << QByteArray("5;3");
    QTest::newRow("too large") << QByteArray("99999999999;1") << 0 << QByteArray("1");
    QTest::newRow("minus") << QByteArray("-7;1") << -7 << QByteArray("1");
    QTest::newRow("minus alone") << QByteArray("-") << 0 << QByteArray();
}

void tst_AnsiParts::next_int()
{
    QFETCH(QByteArray, params);
    QFETCH(int, value);
    QFETCH(QByteArray, rest);
    AnsiParams p;
    p.set(params);
    QCOMPARE(p.NextInt(), value);
    QCOMPARE(p.text(), rest);
}

void tst_AnsiParts::next_real_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<float>("value");
    QTest::addColumn<QByteArray>("rest");
    QTest::newRow("fraction") << QByteArray("2.5;1") << 2.5f << QByteArray("1");
    QTest::newRow("integer") << QByteArray("7;1") << 7.0f << QByteArray("1");
    QTest::newRow("second dot stops") << QByteArray("1.5.3") << 1.5f << QByteArray("3");
    QTest::newRow("leading dot") << QByteArray(".25;") << 0.25f << QByteArray();
    QTest::newRow("lone dot") << QByteArray(".;4") << 0.0f << QByteArray(";4");
    QTest::newRow("empty field") << QByteArray(";4") << 0.0f << QByteArray("4");
}

void tst_AnsiParts::next_real()
{
    QFETCH(QByteArray, params);
    QFETCH(float, value);
    QFETCH(QByteArray, rest);
    AnsiParams p;
    p.set(params);
    QCOMPARE(p.NextReal(), value);
    QCOMPARE(p.text(), rest);
}

void tst_AnsiParts::cell_round_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("pixels");
    QTest::newRow("13.5 to 14") << 1.5f << 9 << 14;
    QTest::newRow("22.5 to 22") << 2.5f << 9 << 22;
    QTest::newRow("0.5 to 0") << 0.5f << 1 << 0;
    QTest::newRow("nearest") << 1.3f << 10 << 13;
    QTest::newRow("whole") << 4.0f << 12 << 48;
    QTest::newRow("held in range") << 1e30f << 10 << kAnsiCoordLimit;
}

void tst_AnsiParts::cell_round()
{
    QFETCH(float, value);
    QFETCH(int, cell);
    QFETCH(int, pixels);
    QCOMPARE(CellRound(value, cell), pixels);
}

void tst_AnsiParts::cell_grid_skips_writes_outside()
{
    CellGrid grid;
    grid.set(80, 40, ScreenCell{'a', 31, 40});
    grid.set(81, 1, ScreenCell{'b', 31, 40});
    grid.set(1, 41, ScreenCell{'c', 31, 40});
    grid.set(-1, 1, ScreenCell{'d', 31, 40});
    QCOMPARE(grid.at(80, 40), (ScreenCell{'a', 31, 40}));
    QCOMPARE(grid.at(81, 1), ScreenCell());
    QCOMPARE(grid.at(1, 41), ScreenCell());
    grid.clear();
    QCOMPARE(grid.at(80, 40), ScreenCell());
}

void tst_AnsiParts::cell_grid_scroll_keeps_the_last_row()
{
    CellGrid grid;
    for (int row = 0; row <= 40; ++row)
        grid.set(1, row, ScreenCell{quint8('A' + row), 0, 0});
    grid.scrollUp(26);
    QCOMPARE(grid.at(1, 0).Char, quint8('B'));
    QCOMPARE(grid.at(1, 25).Char, quint8('A' + 26));
    QCOMPARE(grid.at(1, 26).Char, quint8('A' + 26));
    QCOMPARE(grid.at(1, 27).Char, quint8('A' + 27));
}

void tst_AnsiParts::cp437_glyphs()
{
    QCOMPARE(Cp437ToUnicode(0x01), char16_t(0x263A));
    QCOMPARE(Cp437ToUnicode(0x1B), char16_t(0x2190));
    QCOMPARE(Cp437ToUnicode('A'), char16_t('A'));
    QCOMPARE(Cp437ToUnicode(0x7F), char16_t(0x2302));
    QCOMPARE(Cp437ToUnicode(0xB0), char16_t(0x2591));
    QCOMPARE(Cp437ToUnicode(0xC9), char16_t(0x2554));
    QCOMPARE(Cp437ToUnicode(0xDB), char16_t(0x2588));
    QCOMPARE(Cp437ToUnicode(0xE1), char16_t(0x00DF));
    QCOMPARE(Cp437ToUnicode(0xFF), char16_t(0x00A0));
    // The screen font has every glyph, so the cells line up.
    const QFontMetrics metrics(TAnsi::ScreenFont(8));
    for (int b = 1; b < 256; ++b)
        QVERIFY2(metrics.inFont(QChar(Cp437ToUnicode(quint8(b)))), qPrintable(QString::number(b)));
}

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

QImage paint(const QByteArray &stream, QImage::Format format, AnsiCanvas::GlyphMode mode,
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

} // namespace

void tst_AnsiParts::cached_glyphs_match_draw_text_data()
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

void tst_AnsiParts::cached_glyphs_match_draw_text()
{
    QFETCH(QImage::Format, format);
    QFETCH(int, fontSize);
    QFETCH(QByteArray, stream);
    const QImage cached = paint(stream, format, AnsiCanvas::GlyphMode::Cached, fontSize, false);
    const QImage drawn = paint(stream, format, AnsiCanvas::GlyphMode::DrawText, fontSize, false);
    QCOMPARE(cached, drawn);
    // Something was drawn in several colours.
    QSet<QRgb> colours;
    for (int x = 0; x < 600; ++x)
        colours.insert(cached.pixel(x, 40));
    QVERIFY(colours.size() > 4);
}

void tst_AnsiParts::collected_scrolls_match_single_steps_data()
{
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<AnsiCanvas::GlyphMode>("mode");
    QTest::newRow("measured cells") << 0 << 26 << AnsiCanvas::GlyphMode::Cached;
    QTest::newRow("glyphs taller than the cell") << 10 << 30 << AnsiCanvas::GlyphMode::Cached;
    QTest::newRow("drawText") << 0 << 20 << AnsiCanvas::GlyphMode::DrawText;
    QTest::newRow("band below the picture") << 0 << 40 << AnsiCanvas::GlyphMode::Cached;
}

void tst_AnsiParts::collected_scrolls_match_single_steps()
{
    QFETCH(int, fontSize);
    QFETCH(int, rowCount);
    QFETCH(AnsiCanvas::GlyphMode, mode);
    // Text at the bottom row, now and then a line that runs into column 80
    // (every further byte is a line feed), lines drawn across the band,
    // scroll commands, and a marker below the band.
    QByteArray stream = "\x1b[0;44m\x1b[J\x1b[1;33m\x1b[1;470;600;470;4;32;0L\x1b[" +
                        QByteArray::number(rowCount) + ";1H";
    for (int line = 0; line < 120; ++line) {
        // R, \x90 and \xdf reach a pixel outside their cell in the screen font.
        stream += QByteArray::number(line) + " the quick brown fox \xdb\xb1\xc9\xcdR\x90\xa5\xdf";
        if (line % 7 == 0)
            stream += QByteArray(line % 2 ? 40 : 52, char('a' + line % 26));
        if (line % 11 == 0)
            stream += "\x1b[2T\x1b[S";
        if (line % 13 == 0)
            stream += "\x1b[10;10;300;200;1;31;0L";
        stream += line % 5 == 1 ? "\n" : "\r\n";
    }
    const QImage collected = paint(stream, QImage::Format_RGB32, mode, fontSize, false, rowCount);
    const QImage stepwise = paint(stream, QImage::Format_RGB32, mode, fontSize, true, rowCount);
    QCOMPARE(collected, stepwise);
    // The last lines are on the screen.
    int ink = 0;
    for (int y = 20; y < 300; y += 3)
        for (int x = 0; x < 300; ++x)
            ink += collected.pixel(x, y) != collected.pixel(0, 0);
    QVERIFY(ink > 200);
}

VT_TEST_MAIN(tst_AnsiParts)
#include "tst_ansiparts.moc"
