// The door terminals' keyboard and font: which bytes key presses and
// releases send, and the engine's font for the small and large sizes.

#include <QtTest>

#include "Ansi.h"
#include "DoorTerminal.h"
#include "TestMain.h"

class TestDoorTerminal : public QObject
{
    Q_OBJECT
private slots:
    void keyPresses_data();
    void keyPresses();
    void keyReleases_data();
    void keyReleases();
    void engineFont();
};

void TestDoorTerminal::keyPresses_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << "a" << QByteArray("a");
    QTest::newRow("shifted") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "A" << QByteArray("A");
    QTest::newRow("digit") << int(Qt::Key_7) << 0 << "7" << QByteArray("7");
    QTest::newRow("return") << int(Qt::Key_Return) << 0 << "" << QByteArray("\r");
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << 0 << "\r" << QByteArray("\r");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << "" << QByteArray("\x08");
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0 << "" << QByteArray("\x1b");
    QTest::newRow("tab") << int(Qt::Key_Tab) << 0 << "" << QByteArray("\t");
    QTest::newRow("control c") << int(Qt::Key_C) << int(Qt::ControlModifier) << "" << QByteArray("\x03");
    QTest::newRow("latin-1") << int(Qt::Key_Eacute) << 0 << QString(QChar(0xE9)) << QByteArray("\xe9");
    QTest::newRow("up pressed") << int(Qt::Key_Up) << 0 << "" << QByteArray();
    QTest::newRow("shift alone") << int(Qt::Key_Shift) << 0 << "" << QByteArray();
    QTest::newRow("function key") << int(Qt::Key_F1) << 0 << "" << QByteArray();
}

void TestDoorTerminal::keyPresses()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QTEST(DoorTerminal::KeyPressBytes(key, Qt::KeyboardModifiers(modifiers), text), "sent");
}

void TestDoorTerminal::keyReleases_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("up") << int(Qt::Key_Up) << false << QByteArray("8");
    QTest::newRow("down") << int(Qt::Key_Down) << false << QByteArray("2");
    QTest::newRow("left") << int(Qt::Key_Left) << false << QByteArray("4");
    QTest::newRow("right") << int(Qt::Key_Right) << false << QByteArray("6");
    QTest::newRow("repeat of up") << int(Qt::Key_Up) << true << QByteArray();
    QTest::newRow("letter") << int(Qt::Key_A) << false << QByteArray();
    QTest::newRow("return") << int(Qt::Key_Return) << false << QByteArray();
}

void TestDoorTerminal::keyReleases()
{
    QFETCH(int, key);
    QFETCH(bool, autoRepeat);
    QTEST(DoorTerminal::KeyReleaseBytes(key, autoRepeat), "sent");
}

void TestDoorTerminal::engineFont()
{
    QImage surface(891, 500, QImage::Format_RGB32);
    TAnsi engine;
    engine.AttachSurface(&surface);
    DoorTerminal::SetEngineFont(engine, true, false);
    QCOMPARE(engine.FontSize(), 8);
    QCOMPARE(engine.CellWidth(), 8);
    QCOMPARE(engine.CellHeight(), 10);
    QCOMPARE(engine.RowCount(), 26);
    DoorTerminal::SetEngineFont(engine, false, false);
    QCOMPARE(engine.FontSize(), 9);
    const int measured9 = engine.CellHeight();
    DoorTerminal::SetEngineFont(engine, true, true);
    QCOMPARE(engine.FontSize(), 11);
    QVERIFY(engine.CellHeight() > measured9);
    DoorTerminal::SetLargeFont(engine, false);
    QCOMPARE(engine.FontSize(), 9);
    QCOMPARE(engine.CellHeight(), measured9);
}

VT_TEST_MAIN(TestDoorTerminal)
#include "tst_doorterminal.moc"
