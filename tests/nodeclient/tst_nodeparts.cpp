// The plain pieces of the node client frame: the command line, the settings
// defaults, the chat panel's rules, the screen-byte queue and server sounds.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include "ChatPanelRules.h"
#include "Fakes.h"
#include "NodeCommandLine.h"
#include "NodeSettings.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "ScreenFeeder.h"
#include "ServerSounds.h"
#include "TestMain.h"
#include "_Globals.h"

namespace {

// A one-file web server on loopback: answers every GET with `status` and
// `body`, or closes half way when `cutShort` is set.
class TinyHttp : public QObject
{
public:
    TinyHttp()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request += socket->readAll();
                if (!request.contains("\r\n\r\n"))
                    return;
                paths << QString::fromLatin1(request.split(' ').value(1));
                QByteArray head = "HTTP/1.0 " + QByteArray::number(status) + " X\r\n"
                    + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
                socket->write(head + (cutShort ? body.left(body.size() / 2) : body));
                socket->flush();
                socket->disconnectFromHost();
                request.clear();
            });
        });
    }
    QUrl base() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/Sounds/").arg(server.serverPort()));
    }
    QTcpServer server;
    QByteArray request;
    QStringList paths;
    int status = 200;
    QByteArray body = QByteArray("RIFF----WAVEfmt ") + QByteArray(2000, 'x');
    bool cutShort = false;
};

} // namespace

class TestNodeParts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void commandLine_data();
    void commandLine();
    void passwordFromEnvironment();
    void settingsDefaults();
    void mediaDirNeverRoot();

    void chatText_data();
    void chatText();
    void playerMenu_data();
    void playerMenu();
    void whispersInListOrder();
    void voteEntries_data();
    void voteEntries();
    void voteMessageDropsAmpersands();
    void safeLinks_data();
    void safeLinks();

    void feederFeedsInSlicesFromTheLoop();
    void feederStopsForGood();

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

void TestNodeParts::init()
{
    m_sound = new FakeSoundPlayer;
    Platform::setSound(m_sound);
    m_media = TestEnvironment::root() + QStringLiteral("/media-") + QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('/');
    QDir(m_media).removeRecursively();
    QDir().mkpath(m_media);
}

void TestNodeParts::cleanup()
{
    Platform::setSound(nullptr);
    delete m_sound;
    m_sound = nullptr;
}

void TestNodeParts::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("none") << QStringList{} << QByteArray() << 1030 << QByteArray() << QByteArray();
    QTest::newRow("all four") << QStringList{"node.example", "5001", "Ann", "pw"}
                              << QByteArray("node.example") << 5001 << QByteArray("Ann")
                              << QByteArray("pw");
    QTest::newRow("host only") << QStringList{"h"} << QByteArray("h") << 1030 << QByteArray()
                               << QByteArray();
    QTest::newRow("port with letters") << QStringList{"h", "1030abc"} << QByteArray("h") << 1030
                                       << QByteArray() << QByteArray();
    QTest::newRow("port with a fraction") << QStringList{"h", "12.5"} << QByteArray("h") << 12
                                          << QByteArray() << QByteArray();
    QTest::newRow("port without digits") << QStringList{"h", "abc"} << QByteArray("h") << 0
                                         << QByteArray() << QByteArray();
    QTest::newRow("extra arguments ignored")
        << QStringList{"h", "7", "u", "p", "more", "still"} << QByteArray("h") << 7
        << QByteArray("u") << QByteArray("p");
    QTest::newRow("latin-1 name") << QStringList{"h", "7", QString::fromLatin1("J\xf6rg"), ""}
                                  << QByteArray("h") << 7 << QByteArray("J\xf6rg") << QByteArray();
}

void TestNodeParts::commandLine()
{
    QFETCH(QStringList, args);
    const NodeCommandLine line = NodeCommandLine::read(args);
    QTEST(line.NodeHost, "host");
    QTEST(line.NodePort, "port");
    QTEST(line.UserName, "user");
    QTEST(line.Password, "password");
}

void TestNodeParts::passwordFromEnvironment()
{
    // The lobby leaves the password off the command line and sets the
    // variable; the environment holds text, so a Latin-1 byte arrives as
    // the character it stands for.
    qputenv("VANTORA_PASSWORD", QString::fromLatin1("s\xe9" "cret").toUtf8());
    QCOMPARE(NodeCommandLine::read({"h", "7", "Ann"}).Password, QByteArray("s\xe9" "cret"));
    // A fourth argument still counts.
    QCOMPARE(NodeCommandLine::read({"h", "7", "Ann", "pw"}).Password, QByteArray("pw"));
    // Host and port alone (a door on another server): no name, no password.
    QCOMPARE(NodeCommandLine::read({"h", "7"}).Password, QByteArray());
    qunsetenv("VANTORA_PASSWORD");
    QCOMPARE(NodeCommandLine::read({"h", "7", "Ann"}).Password, QByteArray());
}

void TestNodeParts::settingsDefaults()
{
    MemorySettings store;
    NodeSettings settings(store);
    QCOMPARE(settings.server(), QByteArray("localhost"));
    QCOMPARE(settings.winColor(), TColor(0x80000005));
    QCOMPARE(settings.defColor(), TColor(0x80000008));
    QCOMPARE(settings.fontName(), QStringLiteral("Arial"));
    QCOMPARE(settings.fontSize(), 10);
    QCOMPARE(settings.scaleLowRes(), false);
    QVERIFY(settings.atColor().isEmpty());

    store.writeString(VantoraKey("Server"), "chat.example");
    store.writeString(VantoraKey("ATColor"), QString::fromLatin1("\x1b[4"));
    store.writeColor(VantoraKey("WinColor"), 0x400000);
    store.writeInteger(VantoraKey("FontSize"), 12);
    QCOMPARE(settings.server(), QByteArray("chat.example"));
    QCOMPARE(settings.atColor(), QByteArray("\x1b[4"));
    QCOMPARE(settings.winColor(), TColor(0x400000));
    QCOMPARE(settings.fontSize(), 12);
}

void TestNodeParts::mediaDirNeverRoot()
{
    QCOMPARE(NodeSettings::mediaDir(QStringLiteral("/srv/media")), QStringLiteral("/srv/media/"));
    QCOMPARE(NodeSettings::mediaDir(QStringLiteral("/srv/media/")), QStringLiteral("/srv/media/"));
    QCOMPARE(NodeSettings::mediaDir(QString()), WindowsFolder() + QStringLiteral("/Media/"));
}

void TestNodeParts::chatText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("plain") << QStringLiteral("hello") << QByteArray("hello");
    QTest::newRow("leading empty lines go") << QStringLiteral("\n\nhi\nthere")
                                            << QByteArray("hi\r\nthere");
    QTest::newRow("only empty lines") << QStringLiteral("\n\n\n") << QByteArray();
    QTest::newRow("blank line is not empty") << QStringLiteral(" \nx") << QByteArray(" \r\nx");
    QTest::newRow("no line end added") << QStringLiteral("a\nb\n") << QByteArray("a\r\nb\r\n");
}

void TestNodeParts::chatText()
{
    QFETCH(QString, input);
    QTEST(ChatPanel::ChatText(input), "sent");
}

void TestNodeParts::playerMenu_data()
{
    QTest::addColumn<QList<QByteArray>>("selected");
    QTest::addColumn<bool>("inputEmpty");
    QTest::addColumn<bool>("where");
    QTest::addColumn<bool>("whisper");
    QTest::addColumn<QByteArray>("whereCaption");
    QTest::addColumn<QByteArray>("whisperCaption");

    QTest::newRow("nothing selected") << QList<QByteArray>{} << false << false << false
                                      << QByteArray("old where") << QByteArray("old whisper");
    QTest::newRow("one, empty input") << QList<QByteArray>{"Ann"} << true << true << false
                                      << QByteArray("Where is Ann ?") << QByteArray("Whisper to Ann");
    QTest::newRow("one with text") << QList<QByteArray>{"Ann"} << false << true << true
                                   << QByteArray("Where is Ann ?") << QByteArray("Whisper to Ann");
    QTest::newRow("several") << QList<QByteArray>{"Bob", "Ann"} << false << true << true
                             << QByteArray("Where is Bob ?") << QByteArray("Whisper to Selected");
}

void TestNodeParts::playerMenu()
{
    QFETCH(QList<QByteArray>, selected);
    QFETCH(bool, inputEmpty);
    ChatPanel::PlayerMenu previous;
    previous.whereCaption = "old where";
    previous.whisperCaption = "old whisper";
    previous.whereEnabled = previous.whisperEnabled = true;
    const ChatPanel::PlayerMenu menu = ChatPanel::PlayerMenuFor(selected, inputEmpty, previous);
    QTEST(menu.whereEnabled, "where");
    QTEST(menu.whisperEnabled, "whisper");
    QTEST(menu.whereCaption, "whereCaption");
    QTEST(menu.whisperCaption, "whisperCaption");
}

void TestNodeParts::whispersInListOrder()
{
    const QList<QByteArray> sent = ChatPanel::WhisperMessages({"Ann", "Bob", "Cy"}, "\x1b[4",
                                                              "\x1b[B", "meet me");
    QCOMPARE(sent, (QList<QByteArray>{"/msg Ann \x1b[4\x1b[Bmeet me\r\n",
                                      "/msg Bob \x1b[4\x1b[Bmeet me\r\n",
                                      "/msg Cy \x1b[4\x1b[Bmeet me\r\n"}));
    QCOMPARE(ChatPanel::WhereIsMessage("Ann"), Marker::WhereIsRequest + "Ann");
}

void TestNodeParts::voteEntries_data()
{
    QTest::addColumn<QList<QByteArray>>("rows");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<QByteArray>>("entries");

    const QByteArray codedMe = "\x1b[2\x1b[BMe";
    QTest::newRow("table") << QList<QByteArray>{"Ann", "Me", "Bob"} << QStringLiteral("Spades Table 2")
                           << QList<QByteArray>{"Not Rate The Game", "Boot Ann", "Boot Bob"};
    QTest::newRow("not a table") << QList<QByteArray>{"Ann", "Me"} << QStringLiteral("Lobby Room")
                                 << QList<QByteArray>{"Boot Ann"};
    QTest::newRow("codes ignored, case not")
        << QList<QByteArray>{codedMe, "me", "ME"} << QStringLiteral("x")
        << QList<QByteArray>{"Boot me", "Boot ME"};
    QTest::newRow("table word is case-sensitive") << QList<QByteArray>{"Ann"} << QStringLiteral("table 1")
                                                  << QList<QByteArray>{"Boot Ann"};
}

void TestNodeParts::voteEntries()
{
    QFETCH(QList<QByteArray>, rows);
    QFETCH(QString, caption);
    const auto entries = ChatPanel::VoteEntries(rows, "Me", caption);
    QVERIFY(entries.has_value());
    QTEST(*entries, "entries");
    QVERIFY(!ChatPanel::VoteEntries({}, "Me", caption).has_value());
}

void TestNodeParts::voteMessageDropsAmpersands()
{
    QCOMPARE(ChatPanel::VoteMessage("\x1b[1", "", "Boot A&nn&"), QByteArray("\x1b[1Votes to Boot Ann"));
    QCOMPARE(ChatPanel::RatingTip(1520), QStringLiteral("Rating = 1520"));
    QCOMPARE(ChatPanel::PlayerCountCaption(3), QStringLiteral("3 Player(s)"));
}

void TestNodeParts::safeLinks_data()
{
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<bool>("safe");
    QTest::newRow("http") << QByteArray("http://example.com/a") << true;
    QTest::newRow("https upper") << QByteArray("HTTPS://example.com") << true;
    QTest::newRow("mailto") << QByteArray("mailto:a@example.com") << true;
    QTest::newRow("news") << QByteArray("news:comp.lang") << true;
    QTest::newRow("ftp") << QByteArray("ftp://example.com/f") << true;
    QTest::newRow("file") << QByteArray("file:///etc/passwd") << false;
    QTest::newRow("share path") << QByteArray("\\\\server\\share") << false;
    QTest::newRow("no scheme") << QByteArray("//example.com") << false;
    QTest::newRow("javascript") << QByteArray("javascript://x") << false;
}

void TestNodeParts::safeLinks()
{
    QFETCH(QByteArray, link);
    QTEST(ChatPanel::IsSafeLink(link), "safe");
}

void TestNodeParts::feederFeedsInSlicesFromTheLoop()
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

void TestNodeParts::feederStopsForGood()
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

void TestNodeParts::soundOnDiskPlaysOnlyWaves()
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

void TestNodeParts::soundAlreadyPlayingIsNotCut()
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

void TestNodeParts::fetchWritesAndPlays()
{
    TinyHttp http;
    ServerSounds sounds;
    sounds.setMediaDir(m_media + QStringLiteral("new/"));
    sounds.setBaseUrl(http.base());
    QSignalSpy done(&sounds, &ServerSounds::fetchFinished);
    sounds.PlayServerSound("boom.wav");
    QVERIFY(sounds.busy());
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QCOMPARE(http.paths, QStringList{"/Sounds/boom.wav"});
    QFile f(m_media + QStringLiteral("new/boom.wav"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), http.body);
    QCOMPARE(m_sound->played, QStringList{m_media + "new/boom.wav"});
}

void TestNodeParts::failedFetchLeavesNoFile_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("cutShort");
    QTest::newRow("not found") << 404 << false;
    QTest::newRow("cut short") << 200 << true;
}

void TestNodeParts::failedFetchLeavesNoFile()
{
    QFETCH(int, status);
    QFETCH(bool, cutShort);
    TinyHttp http;
    http.status = status;
    http.cutShort = cutShort;
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(http.base());
    QSignalSpy done(&sounds, &ServerSounds::fetchFinished);
    sounds.FetchSound("gone.wav");
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY(!QFile::exists(m_media + QStringLiteral("gone.wav")));
    QVERIFY(m_sound->played.isEmpty());
    QVERIFY(!sounds.busy());
}

void TestNodeParts::fetchRefusesPathNames()
{
    TinyHttp http;
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(http.base());
    for (const char *name : {"../evil.wav", "/etc/x.wav", "a/b.wav", "..", "a\\b.wav"}) {
        sounds.PlayServerSound(name);
        QVERIFY2(!sounds.busy(), name);
    }
    QTest::qWait(50);
    QVERIFY(http.paths.isEmpty());
}

void TestNodeParts::secondFetchWhileBusyIsDropped()
{
    TinyHttp http;
    ServerSounds sounds;
    sounds.setMediaDir(m_media);
    sounds.setBaseUrl(http.base());
    QSignalSpy done(&sounds, &ServerSounds::fetchFinished);
    sounds.FetchSound("one.wav");
    sounds.FetchSound("two.wav");
    QVERIFY(done.wait(5000));
    QTest::qWait(50);
    QCOMPARE(done.size(), 1);
    QCOMPARE(http.paths, QStringList{"/Sounds/one.wav"});
    QVERIFY(!QFile::exists(m_media + QStringLiteral("two.wav")));
}

VT_TEST_MAIN(TestNodeParts)
#include "tst_nodeparts.moc"
