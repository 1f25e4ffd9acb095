// The screen engine's canvas collects scrolls and applies them later; the
// picture must be the one single steps give, in both glyph modes.

#include <QTest>

#include "PaintedScreen.h"
#include "TestMain.h"

class tst_AnsiCanvas : public QObject
{
    Q_OBJECT
private slots:
    void collected_scrolls_match_single_steps_data();
    void collected_scrolls_match_single_steps();
};

void tst_AnsiCanvas::collected_scrolls_match_single_steps_data()
{
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<AnsiCanvas::GlyphMode>("mode");
    QTest::newRow("measured cells") << 0 << 26 << AnsiCanvas::GlyphMode::Cached;
    QTest::newRow("glyphs taller than the cell") << 10 << 30 << AnsiCanvas::GlyphMode::Cached;
    QTest::newRow("drawText") << 0 << 20 << AnsiCanvas::GlyphMode::DrawText;
    QTest::newRow("band below the picture") << 0 << 40 << AnsiCanvas::GlyphMode::Cached;
}

void tst_AnsiCanvas::collected_scrolls_match_single_steps()
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
    const QImage collected = paintScreen(stream, QImage::Format_RGB32, mode, fontSize, false, rowCount);
    const QImage stepwise = paintScreen(stream, QImage::Format_RGB32, mode, fontSize, true, rowCount);
    QCOMPARE(collected, stepwise);
    // The last lines are on the screen.
    int ink = 0;
    for (int y = 20; y < 300; y += 3)
        for (int x = 0; x < 300; ++x)
            ink += collected.pixel(x, y) != collected.pixel(0, 0);
    QVERIFY(ink > 200);
}

VT_TEST_MAIN(tst_AnsiCanvas)
#include "tst_ansicanvas.moc"
