// The door terminals' plain parts: which bytes keys send, how the light
// terminal splits a chunk, and the whole-queue feeding.

#include <QtTest>

#include "Ansi.h"
#include "DoorTerminal.h"
#include "GateletDispatcher.h"
#include "ProtocolMarkers.h"
#include "ScreenFeeder.h"
#include "TestMain.h"

namespace {

// What the light terminal's dispatcher decided, one line per action.
class Recorder : public GateletDispatchTarget
{
public:
    void passwordRequested() override { actions.append("password"); }
    void captionReceived(const QByteArray &caption) override { actions.append("caption:" + caption); }
    void screenData(const QByteArray &bytes) override { actions.append("screen:" + bytes); }
    QList<QByteArray> actions;
};

const QByteArray CM = Marker::ChatMarker;
const QByteArray LO = Marker::LockOffer;
const QByteArray TM = Marker::TitleMarker;
const QByteArray PM = Marker::PasswordMarker;

} // namespace

class TestDoorParts : public QObject
{
    Q_OBJECT
private slots:
    void keyPresses_data();
    void keyPresses();
    void keyReleases_data();
    void keyReleases();
    void engineFont();

    void gateletDispatch_data();
    void gateletDispatch();
    void lockOffersGoInOnePass();

    void wholeQueueInOneCall();
    void pauseBetweenPasses();
    void waterMarks();
};

void TestDoorParts::keyPresses_data()
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

void TestDoorParts::keyPresses()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QTEST(DoorTerminal::KeyPressBytes(key, Qt::KeyboardModifiers(modifiers), text), "sent");
}

void TestDoorParts::keyReleases_data()
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

void TestDoorParts::keyReleases()
{
    QFETCH(int, key);
    QFETCH(bool, autoRepeat);
    QTEST(DoorTerminal::KeyReleaseBytes(key, autoRepeat), "sent");
}

void TestDoorParts::engineFont()
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

void TestDoorParts::gateletDispatch_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QList<QByteArray>>("actions");
    using L = QList<QByteArray>;
    QTest::newRow("screen") << QByteArray("\x1b[2Jhello") << L{"screen:\x1b[2Jhello"};
    QTest::newRow("chat in the middle")
        << QByteArray("A" + CM + "chat line\r\nB") << L{"screen:A", "screen:chat line\r\nB"};
    QTest::newRow("chat at the start") << QByteArray(CM + "hi") << L{"screen:hi"};
    QTest::newRow("player list unchanged")
        << QByteArray(CM + "\x1b[L$Ann=13;0;1500\x1b]") << L{"screen:\x1b[L$Ann=13;0;1500\x1b]"};
    QTest::newRow("two chat markers")
        << QByteArray("A" + CM + "b" + CM + "c") << L{"screen:A", "screen:b", "screen:c"};
    QTest::newRow("marker alone") << CM << L{};
    QTest::newRow("lock offer between screen bytes") << QByteArray("AB" + LO + "CD") << L{"screen:ABCD"};
    QTest::newRow("lock offer alone") << LO << L{};
    QTest::newRow("caption")
        << QByteArray("lost" + TM + "Door - Mines\r\nscreen") << L{"caption:Door - Mines", "screen:screen"};
    QTest::newRow("caption without line end") << QByteArray(TM + "Door") << L{"caption:Door"};
    QTest::newRow("caption after a lock offer")
        << QByteArray(LO + TM + "T\r\n" + LO + "x") << L{"caption:T", "screen:x"};
    QTest::newRow("password drops the rest") << QByteArray(PM + "more" + CM + "x") << L{"password"};
    QTest::newRow("password after the chat marker")
        << QByteArray("A" + CM + PM + "rest") << L{"screen:A", "password"};
    QTest::newRow("password in the middle is screen data")
        << QByteArray("A" + PM) << L{"screen:A" + PM};
    QTest::newRow("lock offer inside the password marker")
        << QByteArray("\xef\xee" + LO + "\xed" + "x") << L{"password"};
}

void TestDoorParts::gateletDispatch()
{
    QFETCH(QByteArray, chunk);
    Recorder recorder;
    GateletDispatcher dispatcher(recorder);
    dispatcher.dispatch(chunk);
    QTEST(recorder.actions, "actions");
}

void TestDoorParts::lockOffersGoInOnePass()
{
    // Taking out the inner offer joins the outer one, which goes too.
    QCOMPARE(GateletDispatcher::WithoutLockOffers("a\xe2\xf7" + LO + "\xf8z"), QByteArray("az"));
    QCOMPARE(GateletDispatcher::WithoutLockOffers("\xe2\xf7\xf8\xe2\xf7\xf8"), QByteArray());
    QCOMPARE(GateletDispatcher::WithoutLockOffers("\xe2\xf7 \xf8"), QByteArray("\xe2\xf7 \xf8"));
    // A long chunk of offers is handled in one pass.
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += LO;
    QCOMPARE(GateletDispatcher::WithoutLockOffers(many + "x"), QByteArray("x"));
}

void TestDoorParts::wholeQueueInOneCall()
{
    ScreenFeeder feeder;
    QList<QByteArray> calls;
    feeder.setSink([&](const QByteArray &bytes) {
        QVERIFY(feeder.Feeding());
        calls.append(bytes);
    });
    feeder.setWholeQueuePasses(2);
    const QByteArray big(100000, 'a');
    feeder.append("one ");
    feeder.append("two ");
    feeder.append(big);
    QVERIFY(calls.isEmpty());   // the event loop feeds, not append
    QTRY_COMPARE(calls.size(), 1);
    QCOMPARE(calls.first(), "one two " + big);
    QVERIFY(!feeder.Feeding());
    QVERIFY(feeder.ScreenBuffer().isEmpty());
    // With nothing queued the feeder rests: no further calls.
    QTest::qWait(20);
    QCOMPARE(calls.size(), 1);
}

void TestDoorParts::pauseBetweenPasses()
{
    ScreenFeeder feeder;
    QList<qint64> times;
    QElapsedTimer clock;
    clock.start();
    // What comes while the engine draws waits for the pause, then goes in one piece.
    QByteArray second;
    feeder.setSink([&](const QByteArray &bytes) {
        times.append(clock.elapsed());
        if (times.size() == 1) {
            feeder.append("b");
            feeder.append("c");
        } else {
            second = bytes;
        }
    });
    feeder.setWholeQueuePasses(40);
    feeder.append("a");
    QTRY_COMPARE(times.size(), 2);
    QCOMPARE(second, QByteArray("bc"));
    QVERIFY2(times.at(1) - times.at(0) >= 35, qPrintable(QString::number(times.at(1) - times.at(0))));
}

void TestDoorParts::waterMarks()
{
    ScreenFeeder feeder;
    feeder.setWaterMarks(100, 40);
    int drained = 0;
    connect(&feeder, &ScreenFeeder::drained, this, [&] { ++drained; });
    feeder.setSink([](const QByteArray &) {});
    feeder.setWholeQueuePasses(1);
    feeder.append(QByteArray(99, 'x'));
    QVERIFY(!feeder.aboveHighWater());
    feeder.append("y");
    QVERIFY(feeder.aboveHighWater());
    QTRY_COMPARE(drained, 1);
    QVERIFY(!feeder.aboveHighWater());
}

VT_TEST_MAIN(TestDoorParts)
#include "tst_doorparts.moc"
