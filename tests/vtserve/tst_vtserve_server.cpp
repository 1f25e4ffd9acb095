// The service on real loopback sockets: started in-process on free ports,
// talked to with raw bytes as the clients write them; and the program
// itself, started and stopped as a user would.

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ProtocolMarkers.h"
#include "ServiceClient.h"
#include "TestMain.h"
#include "VtServer.h"

class TestVtserveServer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;
    std::unique_ptr<VtServer> m_server;
    QStringList m_log;

    int lobbyPort() const { return m_server->lobbyPort(); }

private slots:
    void init()
    {
        QVERIFY(m_data.isValid());
        ServerOptions options;
        options.lobbyPort = options.gamesMenuPort = options.roomsMenuPort = 0;
        options.roomBasePort = 0;
        options.tableBasePort = 0;
        options.httpPort = 0;
        options.dataFolder = m_data.path() + QStringLiteral("/") + QString::fromLatin1(QTest::currentTestFunction());
        options.passwordIterations = 10;
        options.tickMs = 50;
        options.logger = [this](const QString &line) { m_log.append(line); };
        options.tune = [](ServiceConfig &config) {
            config.keepAliveMs = 400;
            config.bytesPerSecond = 4096;
            config.burstBytes = 16 * 1024;
        };
        m_log.clear();
        m_server = std::make_unique<VtServer>(options);
        QString error;
        QVERIFY2(m_server->start(&error), qPrintable(error));
        QVERIFY(lobbyPort() > 0);
        QVERIFY(m_server->roomPort(2) > 0);
    }

    void cleanup()
    {
        m_server->stop();
        m_server.reset();
    }

    void twoLobbiesChatAndSeeEachOther()
    {
        ServiceClient ann(lobbyPort());
        QVERIFY(ann.identify("Ann", "pw"));
        QVERIFY(ann.waitFor("\x1b[L$Ann=13;0;1500\x1b]"));
        QVERIFY(ann.received().startsWith(Marker::ReadyMarker));
        ann.write("/Version 6.11\r\n");
        ann.write("/Email ann@example.org\r\n");
        ann.write(Marker::KeepAlive);

        ServiceClient bob(lobbyPort());
        QVERIFY(bob.identify("Bob", "pw"));
        QVERIFY(bob.waitFor("\x1b[L$Ann=13;0;1500\r\nBob=13;0;1500\x1b]"));
        QVERIFY(ann.waitFor("\x1b[L$Ann=13;0;1500\r\nBob=13;0;1500\x1b]"));
        bob.write("\x1b[5hello Ann");
        QVERIFY(ann.waitFor("\x1b[3\x1b[BBob\x1b[b> \x1b[5hello Ann\r\n"));
        bob.write(Marker::PresenceMarker + "5");
        QVERIFY(ann.waitFor("Bob=13;1;1500"));

        // The menu command's answer arrives in a read of its own.
        ann.clearReads();
        ann.write("\\SpawnCMenu");
        const QByteArray answer = "\\SpawnCMenu:" + QByteArray::number(m_server->roomsMenuPort());
        QVERIFY(QTest::qWaitFor([&] { return ann.reads().contains(answer); }, 5000));
        // So does the keep-alive.
        QVERIFY(QTest::qWaitFor([&] { return ann.reads().contains(Marker::KeepAlive); }, 5000));
    }

    void wrongPasswordIsInvalidUserAndClosed()
    {
        {
            ServiceClient ann(lobbyPort());
            QVERIFY(ann.identify("Ann", "pw"));
            QVERIFY(ann.waitFor(Marker::ReadyMarker));
        }
        ServiceClient other(lobbyPort());
        QVERIFY(other.identify("Ann", "not it"));
        QVERIFY(other.waitGone());
        QVERIFY(other.received().contains("Invalid User"));
        QVERIFY(!other.received().contains(Marker::ReadyMarker));
    }

    void floodAndGarbageCutOffOnlyTheirSender()
    {
        ServiceClient ann(lobbyPort());
        QVERIFY(ann.identify("Ann", "pw"));
        ServiceClient bob(lobbyPort());
        QVERIFY(bob.identify("Bob", "pw"));
        QVERIFY(bob.waitFor("Bob=13;0;1500"));

        ServiceClient flood(lobbyPort());
        QVERIFY(flood.identify("Cy", "pw"));
        QVERIFY(flood.waitFor(Marker::ReadyMarker));
        const QByteArray piece(4000, 'z');
        for (int i = 0; i < 100 && !flood.gone(); ++i) {
            flood.write(piece);
            QTest::qWait(1);
        }
        QVERIFY(flood.waitGone());

        ServiceClient garbage(lobbyPort());
        QVERIFY(garbage.waitConnected());
        garbage.write(QByteArray("\x17\x99garbage\xff\r\n"));
        QVERIFY(garbage.waitGone());

        QVERIFY(bob.waitFor("Cy (Exit)>"));
        ann.write("still fine");
        QVERIFY(bob.waitFor("Ann\x1b[b> still fine\r\n"));
        QVERIFY(!ann.gone() && !bob.gone());
        QVERIFY(std::any_of(m_log.cbegin(), m_log.cend(), [](const QString &l) { return l.contains(QLatin1String("flooding")); }));
    }

    void aVanishedClientIsRemoved()
    {
        ServiceClient ann(lobbyPort());
        QVERIFY(ann.identify("Ann", "pw"));
        // Digests are derived side by side: Ann's account is made, and she
        // is the sysop, before Bob asks.
        QVERIFY(ann.waitFor(Marker::ReadyMarker));
        auto bob = std::make_unique<ServiceClient>(lobbyPort());
        QVERIFY(bob->identify("Bob", "pw"));
        QVERIFY(ann.waitFor("Bob=13;0;1500"));
        bob->socket().abort();
        bob.reset();
        QVERIFY(ann.waitFor("Bob (Exit)>\x1b[9 has left the lobby\r\n"));
        // The list without Bob follows, at once or with the next list.
        const qsizetype exit = ann.received().indexOf("Bob (Exit)>");
        QVERIFY2(QTest::qWaitFor([&] { return ann.received().indexOf("\x1b[L$Ann=13;0;1500\x1b]", exit) > 0; }, 5000),
                 ann.received().toPercentEncoding("=;$>()[] ").constData());
    }

    void menuPressLeadsIntoARoom()
    {
        ServiceClient lobby(lobbyPort());
        QVERIFY(lobby.identify("Ann", "pw"));
        QVERIFY(lobby.waitFor(Marker::ReadyMarker));

        ServiceClient menu(m_server->roomsMenuPort());
        QVERIFY(menu.identify("Ann", "pw"));
        QVERIFY(menu.waitFor("Public Lobby"));
        menu.clearReads();
        menu.write("10;7");   // the first entry's line
        const QByteArray invite = Marker::InviteMarker + ':' + QByteArray::number(m_server->roomPort(0));
        QVERIFY(QTest::qWaitFor([&] { return menu.reads().contains(invite); }, 5000));

        // The chat-room client as it connects: identification, then ready.
        ServiceClient room(m_server->roomPort(0));
        QVERIFY(room.identify("Ann", "pw"));
        QTest::qWait(100);
        room.write(Marker::ClientReady);
        QVERIFY(QTest::qWaitFor([&] { return room.reads().contains(Marker::TitleMarker + "Public Lobby"); }, 5000));
        room.write("/Buff");
        QVERIFY(room.waitFor("\x1b[L-- Speakers --=0;0;0\r\n$Ann=13;0;1500\r\n-- Guest --=0;0;0\r\n-- Audience --=0;0;0\x1b]"));
        QVERIFY(menu.waitFor("1 here: Ann"));
    }

    void webSideServesSoundsAndThePage()
    {
        const auto get = [this](const QByteArray &request) {
            ServiceClient web(m_server->httpPort());
            if (!web.waitConnected())
                return QByteArray();
            web.write(request);
            web.waitGone();
            return web.received();
        };
        QByteArray reply = get("GET /Sounds/Laugh3.wav HTTP/1.0\r\n\r\n");
        QVERIFY(reply.startsWith("HTTP/1.0 200 OK\r\n"));
        QVERIFY(reply.contains("\r\n\r\nRIFF"));
        reply = get("GET /Sound/..%2Faccounts.sqlite HTTP/1.0\r\n\r\n");
        QVERIFY(reply.startsWith("HTTP/1.0 404"));
        reply = get("GET /games.htm HTTP/1.0\r\n\r\n");
        QVERIFY(reply.startsWith("HTTP/1.0 200 OK\r\n"));
        QVERIFY(reply.contains("Public Lobby"));
        QVERIFY(reply.contains("<a href=\"\\QuickLaunch1\">"));
        reply = get("GET /" + QByteArray(9000, 'a') + " HTTP/1.0\r\n\r\n");
        QVERIFY(reply.startsWith("HTTP/1.0 400"));
    }

    void cardTableOverTheNetwork()
    {
        ServiceClient lobby(lobbyPort());
        QVERIFY(lobby.identify("Ann", "pw"));
        QVERIFY(lobby.waitFor("Ann=13;0;1500"));
        QVERIFY(m_server->gameCount() >= 6);
        ServiceClient table(m_server->gamePort(0));
        QVERIFY(table.identify("Ann", "pw"));
        table.write(Marker::ClientReady);
        QVERIFY(table.waitFor(Marker::ChatMarker + "\x1b[L$Ann=13;0;1500\x1b]"));
        // The caption and the player list each come in a read of their own.
        QCOMPARE(table.reads().first(), QByteArray("\x5c\xcb\xf4" "Card Table 1 - Hearts\r\n"));
        QVERIFY(table.reads().contains(Marker::ChatMarker + "\x1b[L$Ann=13;0;1500\x1b]"));
        QVERIFY(!table.received().contains("\x1b[0;0;0;0;100;0W"));
        QVERIFY(table.received().contains("pass|Pass;"));
        // The first at the table may lock it: the offer comes in a read of its own.
        QVERIFY(table.waitFor(Marker::LockOffer));
        QVERIFY(table.reads().contains(Marker::LockOffer));
        // A press is answered with the status line.
        const qsizetype before = table.received().size();
        table.write("70;5");
        QVERIFY(QTest::qWaitFor([&] { return table.received().mid(before).contains("\x1b[21;1H"); }, 5000));
        // The games menu shows who sits where.
        ServiceClient menu(m_server->gamesMenuPort());
        QVERIFY(menu.identify("Ann", "pw"));
        QVERIFY(menu.waitFor("Hearts: Ann"));
    }

    void doorGuestOverTheNetwork()
    {
        ServiceClient door(m_server->gamePort(3));
        QVERIFY(door.waitConnected());
        door.write("6");
        QVERIFY(door.waitFor("MINEFIELD"));
        QVERIFY(door.received().contains("Welcome, Guest"));
        door.write("q");
        QVERIFY(door.waitGone());
    }

    void bridgedDoorRunsAProgramOnATerminal()
    {
        QTemporaryDir data;
        ServerOptions options;
        options.lobbyPort = options.gamesMenuPort = options.roomsMenuPort = 0;
        options.roomBasePort = options.tableBasePort = 0;
        options.httpPort = -1;
        options.dataFolder = data.path();
        options.passwordIterations = 10;
        options.tickMs = 50;
        options.logger = [](const QString &) {};
        options.doorCommand = {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                               QStringLiteral("printf 'bridged \\033[1;31mred\\033[0m\\n'; read line; "
                                              "echo \"got:$line term:$TERM user:$DOOR_USER\"")};
        options.doorTitle = "Shell";
        options.tune = [](ServiceConfig &config) { config.doorGuestMs = 200; };
        VtServer server(options);
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        QCOMPARE(server.service()->config().games.at(6).title, QByteArray("Shell"));

        ServiceClient door(server.gamePort(6));   // a terminal that does not identify
        QVERIFY(door.waitFor("bridged "));
        QVERIFY(door.waitFor("\x1b[1;31;40mred"));
        door.write("hello\r");
        QVERIFY(door.waitFor("got:hello"));
        const bool described = !QStandardPaths::findExecutable(QStringLiteral("tic")).isEmpty();
        QVERIFY(door.received().contains(described ? "term:vantora" : "term:ansi"));
        QVERIFY(door.received().contains("user:Guest"));
        // The last screen stays until a key.
        QVERIFY(door.waitFor("Press any key to return"));
        door.write(" ");
        QVERIFY(door.waitGone());
        server.stop();
    }

    void programHelpAndCleanStop()
    {
        const QString program = QStringLiteral(VANTORA_BIN_DIR "/vtserve");
        QProcess help;
        help.start(program, {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(10000));
        QCOMPARE(help.exitCode(), 0);
        const QByteArray text = help.readAllStandardOutput();
        for (const char *option : {"--port", "--http-port", "--bind", "--data", "--room-base-port"})
            QVERIFY2(text.contains(option), option);

        QProcess service;
        service.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--games-port"),
                                QStringLiteral("0"), QStringLiteral("--rooms-port"), QStringLiteral("0"),
                                QStringLiteral("--room-base-port"), QStringLiteral("0"), QStringLiteral("--table-base-port"),
                                QStringLiteral("0"), QStringLiteral("--http-port"), QStringLiteral("0"),
                                QStringLiteral("--data"), m_data.path() + QStringLiteral("/process")});
        QVERIFY(service.waitForStarted(5000));
        QByteArray log;
        QVERIFY(QTest::qWaitFor([&] {
            log += service.readAllStandardError();
            return log.contains("listening on 127.0.0.1");
        }, 10000));
        service.terminate();   // SIGTERM
        QVERIFY(service.waitForFinished(10000));
        log += service.readAllStandardError();
        QCOMPARE(service.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.exitCode(), 0);
        QVERIFY(log.contains("stopped"));

        QProcess bad;
        bad.start(program, {QStringLiteral("--port"), QStringLiteral("99999")});
        QVERIFY(bad.waitForFinished(10000));
        QVERIFY(bad.exitCode() != 0);
        QVERIFY(bad.readAllStandardError().contains("--port"));
    }
};

VT_TEST_MAIN(TestVtserveServer)
#include "tst_vtserve_server.moc"
