#include <QTest>

#include "AudioIO.h"
#include "FBVUMeter.h"
#include "Fakes.h"
#include "TestMain.h"

// The lobby's meter: 22 by 41 pixels, -30 to 0 dB, middle zone from -15.
static void makeLobbyMeter(TFBVUMeter &meter)
{
    meter.setLevelMin(-30);
    meter.setLevelMed(-15);
    meter.resize(22, 41);
}

static QList<int> litSegments(const TFBVUMeter &meter, int bar)
{
    QList<int> lit;
    const int x = meter.barColumns(bar).first;
    for (int i = 0; i <= meter.scale().S; ++i)
        if (meter.picture().pixelColor(x, meter.segmentY(i)) == meter.scale().lit[size_t(i)])
            lit << i;
    return lit;
}

static QList<int> range(int from, int to)
{
    QList<int> r;
    for (int i = from; i <= to; ++i)
        r << i;
    return r;
}

class tst_LevelMeter : public QObject
{
    Q_OBJECT
private slots:
    void lobby_meter_scale();
    void zones_and_colours();
    void levels_light_from_the_bottom_data();
    void levels_light_from_the_bottom();
    void only_changed_segments_are_drawn();
    void bar_geometry_in_pixels();
    void small_meter_has_two_segments();
    void level_properties_are_kept_in_order();

    void buffer_settings_are_clamped_data();
    void buffer_settings_are_clamped();
    void start_opens_prepares_starts_and_queues();
    void buffers_are_handed_on_and_queued_again();
    void starting_twice_keeps_the_first_recording();
    void stop_drains_then_closes();
    void device_errors_are_kept_as_text();
};

void tst_LevelMeter::lobby_meter_scale()
{
    TFBVUMeter meter;
    makeLobbyMeter(meter);
    QCOMPARE(meter.scale().S, 12);
    const std::vector<int> expected = {31, 42, 56, 74, 100, 133, 177, 237, 316, 421, 562, 749, 1000};
    QCOMPARE(meter.scale().thresholds, expected);
}

void tst_LevelMeter::zones_and_colours()
{
    TFBVUMeter meter;
    makeLobbyMeter(meter);
    const VUScale &s = meter.scale();
    QCOMPARE(s.M, 6);
    QCOMPARE(s.H, 10);
    for (int i = 0; i <= 12; ++i) {
        const QColor zone = i > 10 ? QColor(255, 128, 128) : i > 6 ? QColor(255, 255, 128)
                                                                   : QColor(17, 136, 255);
        QCOMPARE(s.lit[size_t(i)], zone);
        QCOMPARE(s.unlit[size_t(i)], QColor(zone.red() / 2, zone.green() / 2, zone.blue() / 2));
    }
    // Freshly scaled: everything drawn unlit on black.
    QCOMPARE(meter.picture().pixelColor(1, meter.segmentY(0)), QColor(8, 68, 127));
    QCOMPARE(meter.picture().pixelColor(0, 0), QColor(Qt::black));
}

void tst_LevelMeter::levels_light_from_the_bottom_data()
{
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("lit");
    QTest::newRow("500 lights 0 to 9") << QList<int>{500} << range(0, 9);
    QTest::newRow("500 then 100 keeps 0 to 2") << QList<int>{500, 100} << range(0, 2);
    QTest::newRow("rising to 100 lights 0 to 3") << QList<int>{100} << range(0, 3);
    QTest::newRow("1023 lights 0 to 11") << QList<int>{1023} << range(0, 11);
    QTest::newRow("0 lights nothing") << QList<int>{1023, 0} << QList<int>{};
    QTest::newRow("31 is not above the first threshold") << QList<int>{31} << QList<int>{};
}

void tst_LevelMeter::levels_light_from_the_bottom()
{
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, lit);
    TFBVUMeter meter;
    makeLobbyMeter(meter);
    for (int v : values)
        meter.setLevels(v, 0);
    QCOMPARE(litSegments(meter, 0), lit);
    QCOMPARE(meter.litCount(0), int(lit.size()));
    QCOMPARE(litSegments(meter, 1), QList<int>{});
}

void tst_LevelMeter::only_changed_segments_are_drawn()
{
    TFBVUMeter meter;
    makeLobbyMeter(meter);
    meter.setLevels(500, 0);
    QCOMPARE(meter.segmentsDrawn(), 10);
    meter.setLevels(100, 0);
    QCOMPARE(meter.segmentsDrawn(), 17);
    meter.setLevels(100, 0);
    QCOMPARE(meter.segmentsDrawn(), 18);   // segment 3 comes back
    meter.setLevels(0, 0);
    QCOMPARE(meter.segmentsDrawn(), 22);
}

void tst_LevelMeter::bar_geometry_in_pixels()
{
    TFBVUMeter meter;
    makeLobbyMeter(meter);
    meter.setLevels(1023, 1023);
    const QImage &p = meter.picture();
    const QColor low(17, 136, 255);
    // Segment 0: rows 38 and 39; bar 0 from x 1 to 9, bar 1 from 12 to 20.
    for (int x : {1, 9, 12, 20}) {
        QCOMPARE(p.pixelColor(x, 39), low);
        QCOMPARE(p.pixelColor(x, 38), low);
        QCOMPARE(p.pixelColor(x, 37), QColor(Qt::black));
    }
    for (int x : {0, 10, 11, 21})
        QCOMPARE(p.pixelColor(x, 39), QColor(Qt::black));
    // The top segment (12) at rows 2 and 3 stays unlit.
    QCOMPARE(p.pixelColor(5, 3), QColor(127, 64, 64));

    meter.setStereo(false);
    QCOMPARE(meter.barColumns(0), std::make_pair(1, 20));
    QCOMPARE(meter.picture().pixelColor(10, 39), QColor(8, 68, 127));
    meter.setLevels(1023, 0);
    QCOMPARE(meter.picture().pixelColor(10, 39), low);
}

void tst_LevelMeter::small_meter_has_two_segments()
{
    TFBVUMeter meter;
    meter.resize(22, 5);
    QCOMPARE(meter.scale().S, 1);
    QCOMPARE(int(meter.scale().thresholds.size()), 2);
    QCOMPARE(meter.scale().thresholds.back(), 1000);
    meter.setLevels(1000, 1000);
    QCOMPARE(meter.litCount(0), 1);
}

void tst_LevelMeter::level_properties_are_kept_in_order()
{
    TFBVUMeter meter;
    meter.setLevelMax(-60);
    QCOMPARE(meter.levelMax(), -49);
    meter.setLevelMin(10);
    QCOMPARE(meter.levelMin(), -50);
    meter.setLevelHigh(5);
    QCOMPARE(meter.levelHigh(), -49);
    meter.setLevelMed(-100);
    QCOMPARE(meter.levelMed(), -50);
}

// ---------------------------------------------------------------------------

void tst_LevelMeter::buffer_settings_are_clamped_data()
{
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<int>("numBuffers");
    QTest::addColumn<int>("quantization");
    QTest::addColumn<int>("expectSize");
    QTest::addColumn<int>("expectBuffers");
    QTest::addColumn<int>("expectBits");
    QTest::newRow("small") << 300 << 1 << 12 << 512 << 2 << 16;
    QTest::newRow("large") << 9000 << 12 << 8 << 9000 << 8 << 8;
    QTest::newRow("ordinary") << 1024 << 4 << 4 << 1024 << 4 << 8;
}

void tst_LevelMeter::buffer_settings_are_clamped()
{
    QFETCH(int, bufferSize);
    QFETCH(int, numBuffers);
    QFETCH(int, quantization);
    FakeSoundInput device;
    TAudioIn in(device);
    in.SetBufferSize(bufferSize);
    in.SetNumBuffers(numBuffers);
    in.SetQuantization(quantization);
    QTEST(in.BufferSize(), "expectSize");
    QTEST(in.NumBuffers(), "expectBuffers");
    QTEST(in.Quantization(), "expectBits");
}

static void makeLobbyInput(TAudioIn &in)
{
    in.SetBufferSize(1024);
    in.SetFrameRate(10000);
    in.SetStereo(true);
    in.SetQuantization(16);
    in.SetNumBuffers(4);
}

void tst_LevelMeter::start_opens_prepares_starts_and_queues()
{
    FakeSoundInput device;
    TAudioIn in(device);
    makeLobbyInput(in);
    in.SetBufferSize(1023);   // not whole frames: rounded down to 1020
    int started = 0;
    in.OnStart = [&] { ++started; };
    QVERIFY(in.Start());
    QCOMPARE(started, 1);
    QCOMPARE(device.calls, (QStringList{"open", "prepare", "prepare", "prepare", "prepare",
                                        "start", "add", "add", "add", "add"}));
    QCOMPARE(device.format.channels, 2);
    QCOMPARE(device.format.bitsPerSample, 16);
    QCOMPARE(device.format.frameRate, 10000);
    QCOMPARE(device.format.bytesPerSecond(), 40000);
    QCOMPARE(device.device, -1);
    QCOMPARE(device.queue.size(), 4);
    QCOMPARE(device.queue.first()->length, 1020);
    QVERIFY(in.IsOpen() && in.IsRunning() && in.IsActive());
    QCOMPARE(in.QueuedBuffers(), 4);
}

void tst_LevelMeter::buffers_are_handed_on_and_queued_again()
{
    FakeSoundInput device;
    TAudioIn in(device);
    makeLobbyInput(in);
    QList<QByteArray> seen;
    bool keep = true;
    in.OnBufferFilled = [&](const char *data, int size) {
        seen << QByteArray(data, size);
        return keep;
    };
    QVERIFY(in.Start());
    const char *first = device.queue.first()->data;
    QVERIFY(device.fill("a"));
    QVERIFY(device.fill("b"));
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[0], QByteArray(1024, 'a'));
    QCOMPARE(seen[1], QByteArray(1024, 'b'));
    QCOMPARE(in.ReturnedBuffers(), 2);
    QCOMPARE(in.ProcessedBuffers(), 2);
    QCOMPARE(in.QueuedBuffers(), 4);
    // The first buffer went to the back of the queue.
    QCOMPARE(device.queue.at(2)->data, first);

    keep = false;
    for (int i = 0; i < 4; ++i)
        QVERIFY(device.fill("c"));
    QCOMPARE(in.QueuedBuffers(), 0);
    QVERIFY(!in.IsOpen());
    QVERIFY(!device.isOpen);
}

void tst_LevelMeter::starting_twice_keeps_the_first_recording()
{
    FakeSoundInput device;
    TAudioIn in(device);
    makeLobbyInput(in);
    QVERIFY(in.Start());
    QVERIFY(!in.Start());
    QCOMPARE(in.ErrorMessage, QStringLiteral("Wave Input device is already open"));
    QVERIFY(in.IsOpen() && in.IsRunning());
    QCOMPARE(device.queue.size(), 4);
    QCOMPARE(device.calls.count(QStringLiteral("open")), 1);

    int stops = 0;
    in.OnStop = [&] { ++stops; };
    in.StopAtOnce();
    QVERIFY(!in.IsOpen() && !in.IsRunning() && !in.IsActive());
    QCOMPARE(stops, 1);
    QVERIFY(device.queue.isEmpty());
    QVERIFY(in.Start());   // and it opens again
}

void tst_LevelMeter::stop_drains_then_closes()
{
    FakeSoundInput device;
    TAudioIn in(device);
    makeLobbyInput(in);
    int handed = 0;
    in.OnBufferFilled = [&](const char *, int) { ++handed; return true; };
    QVERIFY(in.Start());
    in.Stop();
    QVERIFY(in.IsOpen());
    for (int i = 0; i < 3; ++i)
        QVERIFY(device.fill("x"));
    QVERIFY(in.IsOpen());
    QVERIFY(device.fill("x"));
    QVERIFY(!in.IsOpen());
    QCOMPARE(handed, 0);
    QCOMPARE(in.ReturnedBuffers(), 4);
}

void tst_LevelMeter::device_errors_are_kept_as_text()
{
    FakeSoundInput device;
    TAudioIn in(device);
    device.failOpen = SoundInput::BadDevice;
    QVERIFY(!in.Start());
    QCOMPARE(in.ErrorMessage, SoundInput::standardErrorText(SoundInput::BadDevice));
    QVERIFY(!in.IsOpen());

    device.failOpen = SoundInput::NoError;
    device.failStart = SoundInput::NotEnabled;
    QVERIFY(!in.Start());
    QCOMPARE(in.ErrorMessage, QStringLiteral("Error starting wave record: ")
                                  + SoundInput::standardErrorText(SoundInput::NotEnabled));
    QVERIFY(!in.IsOpen());
    QVERIFY(!device.isOpen);
}

VT_TEST_MAIN(tst_LevelMeter)
#include "tst_levelmeter.moc"
