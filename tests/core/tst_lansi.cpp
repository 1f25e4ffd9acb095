// The sketch game's drawing stream: strokes, clears, the artist switch, the
// gauge, status and label texts, and the bytes it ignores.

#include <QImage>
#include <QTest>

#include "Ansi.h"
#include "AnsiRecorder.h"
#include "TestMain.h"

namespace {

constexpr QRgb kPaper = 0xFF102030;

struct Sketch
{
    QImage image{400, 300, QImage::Format_RGB32};
    TLAnsi lansi;
    AnsiRecorder recorder;

    Sketch()
    {
        image.fill(kPaper);
        lansi.AttachSurface(&image);
        recorder.install(lansi);
    }
    QRgb pixel(int x, int y) const { return image.pixel(x, y) | 0xFF000000u; }
};

} // namespace

class tst_LAnsi : public QObject
{
    Q_OBJECT
private slots:
    void events_data();
    void events();
    void events_split_across_writes();
    void strokes_continue_from_the_last_end();
    void clears_data();
    void clears();
    void text_draws_nothing();
    void colour_table();
    void long_labels_keep_64_kib();
};

void TestLAnsiRow(const char *name, const QByteArray &input, const QStringList &events)
{
    QTest::newRow(name) << input << events;
}

void tst_LAnsi::events_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("events");
    TestLAnsiRow("label", "\x1b[2;3;12;37ZHi]", {"text 20,30,12,37 Hi"});
    TestLAnsiRow("label halves to even", "\x1b[2.25;0.75;8;31ZA]", {"text 22,8,8,31 A"});
    TestLAnsiRow("status", "\x1b[5;5Zready to draw}", {"status ready to draw"});
    TestLAnsiRow("label keeps ESC", "\x1b[1;1;1;1Za\x1b[Jb]", {"text 10,10,1,1 a\\x1b[Jb"});
    TestLAnsiRow("gauge ignores other bytes", "\x1b[5x7P", {"gauge 57"});
    TestLAnsiRow("ESC inside a sequence is ignored", "\x1b[5\x1b" "7P", {"gauge 57"});
    TestLAnsiRow("gauge without value", "\x1b[P", {"gauge 0"});
    TestLAnsiRow("artist on twice", "\x1b[*\x1b[*", {"artist 1", "artist 1"});
    TestLAnsiRow("artist off", "\x1b[*\x1b[@", {"artist 1", "artist 0"});
    TestLAnsiRow("ESC x is dropped", "\x1bx\x1b[3P", {"gauge 3"});
    TestLAnsiRow("NUL is ignored in a sequence", QByteArray("\x1b[3\0" "4P", 6), {"gauge 34"});
    TestLAnsiRow("NUL after ESC is dropped", QByteArray("\x1b\0[3P\x1b[4P", 10), {"gauge 4"});
    TestLAnsiRow("beep", "\a", {"beep"});
}

void tst_LAnsi::events()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, events);
    Sketch sketch;
    sketch.lansi.Write(input);
    QCOMPARE(sketch.recorder.events, events);
    QCOMPARE(sketch.lansi.ParseState(), TLAnsi::TParseState::Ground);
    QVERIFY(sketch.lansi.Idle());
}

void tst_LAnsi::events_split_across_writes()
{
    const QByteArray stream = "\x1b[2;3;12;37ZHi]\x1b[*\x1b[4P\x1b[Zok}";
    Sketch whole;
    whole.lansi.Write(stream);
    for (int cut = 1; cut < stream.size(); ++cut) {
        Sketch split;
        split.lansi.Write(stream.left(cut));
        split.lansi.Write(stream.mid(cut));
        QCOMPARE(split.recorder.events, whole.recorder.events);
    }
    QCOMPARE(whole.lansi.Artist(), 1);
}

void tst_LAnsi::strokes_continue_from_the_last_end()
{
    Sketch sketch;
    sketch.lansi.Write("\x1b[10;20;110;20;3;31;0L");
    const QRgb red = 0xFFFF0000;
    QCOMPARE(sketch.pixel(10, 20), red);
    QCOMPARE(sketch.pixel(60, 19), red);
    QCOMPARE(sketch.pixel(60, 21), red);
    QCOMPARE(sketch.pixel(109, 20), red);
    QCOMPARE(sketch.pixel(60, 23), kPaper);
    QCOMPARE(sketch.pixel(60, 17), kPaper);
    // Start 0;0: the stroke goes on from (110, 20).
    sketch.lansi.Write("\x1b[0;0;110;80;3;32;0L");
    QCOMPARE(sketch.pixel(110, 50), QRgb(0xFF00FF00));
    QCOMPARE(sketch.pixel(110, 15), kPaper);
}

void tst_LAnsi::clears_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QRgb>("fill");
    QTest::newRow("navy") << QByteArray("\x1b[44J") << QRgb(0xFF000080);
    QTest::newRow("no count is black") << QByteArray("\x1b[J") << QRgb(0xFF000000);
    QTest::newRow("30 is black here") << QByteArray("\x1b[30J") << QRgb(0xFF000000);
    QTest::newRow("white") << QByteArray("\x1b[37J") << QRgb(0xFFFFFFFF);
    QTest::newRow("form feed") << QByteArray("\x1b[37J\f") << QRgb(0xFF000000);
}

void tst_LAnsi::clears()
{
    QFETCH(QByteArray, input);
    QFETCH(QRgb, fill);
    Sketch sketch;
    sketch.lansi.Write(input);
    QCOMPARE(sketch.pixel(0, 0), fill);
    QCOMPARE(sketch.pixel(399, 299), fill);
}

void tst_LAnsi::text_draws_nothing()
{
    Sketch sketch;
    const QImage before = sketch.image;
    sketch.lansi.Write("Plain text \x01\x02\xdb\xdb between sequences\r\n\x1b[3q");
    QCOMPARE(sketch.image, before);
    QVERIFY(sketch.recorder.events.isEmpty());
}

void tst_LAnsi::colour_table()
{
    QCOMPARE(ToQColor(TLAnsi::ColorOf(30)).rgb(), QRgb(0xFF000000));
    QCOMPARE(ToQColor(TLAnsi::ColorOf(48)).rgb(), QRgb(0xFF000000));
    QCOMPARE(ToQColor(TLAnsi::ColorOf(38)).rgb(), QRgb(0xFF808080));
    QCOMPARE(ToQColor(TLAnsi::ColorOf(43)).rgb(), QRgb(0xFFA85400));
    QCOMPARE(ToQColor(TLAnsi::ColorOf(39)).rgb(), QRgb(0xFFC0C0C0));
}

void tst_LAnsi::long_labels_keep_64_kib()
{
    Sketch sketch;
    sketch.lansi.Write("\x1b[Z" + QByteArray(100 * 1024, 'x') + "}");
    QCOMPARE(sketch.recorder.events.size(), 1);
    QCOMPARE(sketch.recorder.events.first().size(), QString("status ").size() + kAnsiTextCap);
    sketch.lansi.Write("\x1b[" + QByteArray(100 * 1024, '1'));
    QCOMPARE(sketch.lansi.Params().size(), kAnsiTextCap);
}

VT_TEST_MAIN(tst_LAnsi)
#include "tst_lansi.moc"
