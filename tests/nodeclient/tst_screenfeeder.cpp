// The screen-byte queue between the connection and the engine: slices fed
// from the event loop, a stop for good, the whole queue in one call, the
// pause between passes and the water marks.

#include <QtTest>

#include "ScreenFeeder.h"
#include "TestMain.h"

class TestScreenFeeder : public QObject
{
    Q_OBJECT
private slots:
    void feederFeedsInSlicesFromTheLoop();
    void feederStopsForGood();
    void wholeQueueInOneCall();
    void pauseBetweenPasses();
    void waterMarks();
};

void TestScreenFeeder::feederFeedsInSlicesFromTheLoop()
{
    ScreenFeeder feeder;
    QByteArray fed;
    int calls = 0;
    feeder.setSink([&](const QByteArray &bytes) {
        fed += bytes;
        ++calls;
    });
    feeder.setSliceLimits(1000, 1000);
    const QByteArray data(5000, 'a');
    feeder.append(data);
    // Nothing is fed inside append: the event loop feeds.
    QVERIFY(fed.isEmpty());
    QCOMPARE(feeder.queued(), 5000);
    int slices = 0;
    connect(&feeder, &ScreenFeeder::sliceFed, this, [&] { ++slices; });
    QTRY_COMPARE(fed.size(), 5000);
    QCOMPARE(fed, data);
    QCOMPARE(slices, 5);
    QVERIFY(feeder.ScreenBuffer().isEmpty());
    QVERIFY(!feeder.Feeding());
}

void TestScreenFeeder::feederStopsForGood()
{
    ScreenFeeder feeder;
    QByteArray fed;
    feeder.setSink([&](const QByteArray &bytes) { fed += bytes; });
    feeder.setSliceLimits(10, 1000);
    feeder.append("0123456789abcdefghij");
    feeder.feedSlice();
    QCOMPARE(fed, QByteArray("0123456789"));
    feeder.stop();
    QVERIFY(feeder.Feeding());
    feeder.feedSlice();
    QTest::qWait(20);
    QCOMPARE(fed, QByteArray("0123456789"));
    QCOMPARE(feeder.ScreenBuffer(), QByteArray("abcdefghij"));
}

void TestScreenFeeder::wholeQueueInOneCall()
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

void TestScreenFeeder::pauseBetweenPasses()
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

void TestScreenFeeder::waterMarks()
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

VT_TEST_MAIN(TestScreenFeeder)
#include "tst_screenfeeder.moc"
