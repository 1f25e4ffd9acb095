// Server sounds: wave files on disk are played, a sound playing is not cut
// off, and a missing one is fetched from the server's web side into the
// media folder, never under a path the server names.

#include <QtTest>
#include <QDir>
#include <QFile>

#include "Fakes.h"
#include "LoopbackHttpServer.h"
#include "Platform.h"
#include "ServerSounds.h"
#include "TestMain.h"

namespace {

// What the web server hands out for every sound.
const QByteArray SoundFile = QByteArray("RIFF----WAVEfmt ") + QByteArray(2000, 'x');

} // namespace

class TestServerSounds : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void soundOnDiskPlaysOnlyWaves();
    void soundAlreadyPlayingIsNotCut();
    void fetchWritesAndPlays();
    void failedFetchLeavesNoFile_data();
    void failedFetchLeavesNoFile();
    void fetchRefusesPathNames();
    void secondFetchWhileBusyIsDropped();

private:
    FakeSoundPlayer *m_sound = nullptr;
    QString m_media;
};

void TestServerSounds::init()
{
    m_sound = new FakeSoundPlayer;
    Platform::setSound(m_sound);
    m_media = TestEnvironment::root() + QStringLiteral("/media-") + QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('/');
    QDir(m_media).removeRecursively();
    QDir().mkpath(m_media);
}

void TestServerSounds::cleanup()
{
    Platform::setSound(nullptr);
    delete m_sound;
    m_sound = nullptr;
}

void TestServerSounds::soundOnDiskPlaysOnlyWaves()
{
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:1/Sounds/")));
    for (const char *name : {"ding.wav", "tune.MID", "loud.WaV"}) {
        QFile f(m_media + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    sounds.PlayServerSound("ding.wav");
    m_sound->finish();
    sounds.PlayServerSound("tune.MID");
    sounds.PlayServerSound("loud.WaV");
    QCOMPARE(m_sound->played, (QStringList{m_media + "ding.wav", m_media + "loud.WaV"}));
    QVERIFY(!sounds.busy());
}

void TestServerSounds::soundAlreadyPlayingIsNotCut()
{
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    QFile f(m_media + QStringLiteral("a.wav"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    sounds.PlayServerSound("a.wav");
    sounds.PlayServerSound("a.wav");
    QCOMPARE(m_sound->played.size(), 1);
    QCOMPARE(m_sound->stops, 0);
}

void TestServerSounds::fetchWritesAndPlays()
{
    LoopbackHttpServer http;
    http.answerEvery(200, SoundFile);
    ServerSounds sounds;
    sounds.setMediaDir(m_media + QStringLiteral("new/"));
    sounds.setBaseUrl(http.url(QStringLiteral("/Sounds/")));
    QSignalSpy done(&sounds, &ServerSounds::fetchFinished);
    sounds.PlayServerSound("boom.wav");
    QVERIFY(sounds.busy());
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QCOMPARE(http.requests, QStringList{"/Sounds/boom.wav"});
    QFile f(m_media + QStringLiteral("new/boom.wav"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), SoundFile);
    QCOMPARE(m_sound->played, QStringList{m_media + "new/boom.wav"});
}

void TestServerSounds::failedFetchLeavesNoFile_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("cutShort");
    QTest::newRow("not found") << 404 << false;
    QTest::newRow("cut short") << 200 << true;
}

void TestServerSounds::failedFetchLeavesNoFile()
{
    QFETCH(int, status);
    QFETCH(bool, cutShort);
    LoopbackHttpServer http;
    http.answerEvery(status, SoundFile);
    if (cutShort)
        http.cutAfterBytes = int(SoundFile.size() / 2);
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(http.url(QStringLiteral("/Sounds/")));
    QSignalSpy done(&sounds, &ServerSounds::fetchFinished);
    sounds.FetchSound("gone.wav");
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY(!QFile::exists(m_media + QStringLiteral("gone.wav")));
    QVERIFY(m_sound->played.isEmpty());
    QVERIFY(!sounds.busy());
}

void TestServerSounds::fetchRefusesPathNames()
{
    LoopbackHttpServer http;
    http.answerEvery(200, SoundFile);
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(http.url(QStringLiteral("/Sounds/")));
    for (const char *name : {"../evil.wav", "/etc/x.wav", "a/b.wav", "..", "a\\b.wav"}) {
        sounds.PlayServerSound(name);
        QVERIFY2(!sounds.busy(), name);
    }
    QTest::qWait(50);
    QVERIFY(http.requests.isEmpty());
}

void TestServerSounds::secondFetchWhileBusyIsDropped()
{
    LoopbackHttpServer http;
    http.answerEvery(200, SoundFile);
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(http.url(QStringLiteral("/Sounds/")));
    QSignalSpy done(&sounds, &ServerSounds::fetchFinished);
    sounds.FetchSound("one.wav");
    sounds.FetchSound("two.wav");
    QVERIFY(done.wait(5000));
    QTest::qWait(50);
    QCOMPARE(done.size(), 1);
    QCOMPARE(http.requests, QStringList{"/Sounds/one.wav"});
    QVERIFY(!QFile::exists(m_media + QStringLiteral("two.wav")));
}

VT_TEST_MAIN(TestServerSounds)
#include "tst_serversounds.moc"
