// The code page 437 table, and the screen font has a glyph for every byte.

#include <QFontMetrics>
#include <QTest>

#include "Ansi.h"
#include "Cp437.h"
#include "TestMain.h"

class tst_Cp437 : public QObject
{
    Q_OBJECT
private slots:
    void cp437_glyphs();
};

void tst_Cp437::cp437_glyphs()
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

VT_TEST_MAIN(tst_Cp437)
#include "tst_cp437.moc"
