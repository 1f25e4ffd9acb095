// Reading the screen engine's parameters: integers and reals taken off the
// front of a parameter run, and coordinates rounded to cells.

#include <QTest>

#include "AnsiParams.h"
#include "TestMain.h"

class tst_AnsiParams : public QObject
{
    Q_OBJECT
private slots:
    void next_int_data();
    void next_int();
    void next_real_data();
    void next_real();
    void cell_round_data();
    void cell_round();
};

void tst_AnsiParams::next_int_data()
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

void tst_AnsiParams::next_int()
{
    QFETCH(QByteArray, params);
    QFETCH(int, value);
    QFETCH(QByteArray, rest);
    AnsiParams p;
    p.set(params);
    QCOMPARE(p.NextInt(), value);
    QCOMPARE(p.text(), rest);
}

void tst_AnsiParams::next_real_data()
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

void tst_AnsiParams::next_real()
{
    QFETCH(QByteArray, params);
    QFETCH(float, value);
    QFETCH(QByteArray, rest);
    AnsiParams p;
    p.set(params);
    QCOMPARE(p.NextReal(), value);
    QCOMPARE(p.text(), rest);
}

void tst_AnsiParams::cell_round_data()
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

void tst_AnsiParams::cell_round()
{
    QFETCH(float, value);
    QFETCH(int, cell);
    QFETCH(int, pixels);
    QCOMPARE(CellRound(value, cell), pixels);
}

VT_TEST_MAIN(tst_AnsiParams)
#include "tst_ansiparams.moc"
