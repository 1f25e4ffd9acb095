#include <QTest>

#include "MenuDispatch.h"
#include "ProtocolMarkers.h"
#include "Printable.h"
#include "TestMain.h"

namespace {

// Records every call as one line.
class RecordingHost : public MenuDispatchHost
{
public:
    QString server = QStringLiteral("games.example.net");
    QStringList existing; // program files in the lobby folder; all when empty
    bool startsWork = true;
    QString typedPassword;
    QStringList calls;

    QString serverName() const override { return server; }
    QString userName() const override { return QStringLiteral(" Ann Lee"); }
    QString password() const override { return QStringLiteral("pa ss "); }
    bool programExists(const QString &program) const override
    {
        return existing.isEmpty() || existing.contains(program);
    }
    QString askPassword() override
    {
        calls << QStringLiteral("ask password");
        return typedPassword;
    }
    void sendRaw(const QByteArray &bytes) override { calls << "send " + printable(bytes); }
    void switchServer(const QString &host, int port) override
    {
        calls << QStringLiteral("switch %1 %2").arg(host).arg(port);
    }
    bool startProgram(const QString &program, const QStringList &arguments,
                      bool reportMissing) override
    {
        const bool started = startsWork && programExists(program);
        calls << QStringLiteral("start %1 [%2]%3")
                     .arg(program, arguments.join(QLatin1Char('|')),
                          reportMissing ? QString() : QStringLiteral(" quiet"));
        return started;
    }
    void showMessage(const QString &text) override { calls << "message " + text; }
    void chatNote(const QString &text) override { calls << "note " + text; }
    void writeScreen(const QByteArray &text) override { calls << "screen " + printable(text); }
};

} // namespace

class tst_MenuDispatch : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
    void programFailure_data();
    void programFailure();
    void port_data();
    void port();
};

void tst_MenuDispatch::dispatch_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("acted");

    const QByteArray invite = Marker::InviteMarker;
    QTest::newRow("card table")
        << QByteArray("\\SpawnNode:5001") << QStringList()
        << QStringList{"start Cardamo [games.example.net|5001| Ann Lee|pa ss ]"}
        << true;
    QTest::newRow("sketch table")
        << QByteArray("\\SpawnDoodlix:5011\r\n") << QStringList()
        << QStringList{"start Doodlixf [games.example.net|5011| Ann Lee|pa ss ]"} << true;
    QTest::newRow("door elsewhere: host and port only")
        << QByteArray("\\SpawnDoor{doors.example.org}:4000") << QStringList()
        << QStringList{"start Portalis [doors.example.org|4000] quiet"} << true;
    QTest::newRow("door on this server: name and password too")
        << QByteArray("\\SpawnDoor{games.example.net}:4000") << QStringList()
        << QStringList{"start Portalis [games.example.net|4000| Ann Lee|pa ss ] quiet"} << true;
    QTest::newRow("door host compared case-sensitively")
        << QByteArray("\\SpawnDoor{Games.example.net}:4000") << QStringList()
        << QStringList{"start Portalis [Games.example.net|4000] quiet"} << true;
    QTest::newRow("door without a host: this server")
        << QByteArray("\\SpawnDoor:4000") << QStringList()
        << QStringList{"start Portalis [games.example.net|4000| Ann Lee|pa ss ] quiet"} << true;
    QTest::newRow("light door prefers Gatelet")
        << QByteArray("\\SpawnDoorX:4000") << QStringList{"Gatelet", "Portalis"}
        << QStringList{"start Gatelet [games.example.net|4000| Ann Lee|pa ss ] quiet"} << true;
    QTest::newRow("light door falls back to Portalis")
        << QByteArray("\\SpawnDoorX:4000") << QStringList{"Portalis"}
        << QStringList{"start Portalis [games.example.net|4000| Ann Lee|pa ss ] quiet"} << true;
    QTest::newRow("door port 0")
        << QByteArray("\\SpawnDoor{x}:abc") << QStringList()
        << QStringList{"message Unable to load Portalis"} << false;
    QTest::newRow("card table port 0 starts nothing")
        << QByteArray("\\SpawnNode:") << QStringList() << QStringList() << false;
    QTest::newRow("negative port starts nothing")
        << QByteArray("\\SpawnNode:-5") << QStringList() << QStringList() << false;
    QTest::newRow("node wins over invitation")
        << QByteArray("\\SpawnNode" + invite + ":5001") << QStringList()
        << QStringList{"start Cardamo [games.example.net|5001| Ann Lee|pa ss ]"} << true;
    QTest::newRow("sketch wins over node")
        << QByteArray("\\SpawnNode\\SpawnDoodlix:5011") << QStringList()
        << QStringList{"start Doodlixf [games.example.net|5011| Ann Lee|pa ss ]"} << true;
    QTest::newRow("invitation starts the chat room")
        << QByteArray(invite + ":6001") << QStringList()
        << QStringList{"start Parlora [games.example.net|6001| Ann Lee|pa ss ]"} << true;
    QTest::newRow("invitation without a port acts all the same")
        << invite << QStringList() << QStringList() << true;
    QTest::newRow("switch to another server")
        << QByteArray("\\SwitchServer{other.example.org}:2323") << QStringList()
        << QStringList{"switch other.example.org 2323"} << true;
    QTest::newRow("switch port on this server")
        << QByteArray("\\SwitchServer:2424") << QStringList()
        << QStringList{"switch games.example.net 2424"} << true;
    QTest::newRow("switch without a port does nothing")
        << QByteArray("\\SwitchServer{other.example.org}") << QStringList() << QStringList()
        << false;
    QTest::newRow("switch beyond the last port does nothing")
        << QByteArray("\\SwitchServer:70000") << QStringList() << QStringList() << false;
    QTest::newRow("switch wins over node")
        << QByteArray("\\SpawnNode\\SwitchServer:2424") << QStringList()
        << QStringList{"switch games.example.net 2424"} << true;
    QTest::newRow("password prompt is never drawn")
        << QByteArray(Marker::PasswordMarker + "\\SpawnNode:5001") << QStringList()
        << QStringList{"ask password", "send \\xef\\xee\\xedsecret"} << false;
    QTest::newRow("password marker later in the chunk is screen data")
        << QByteArray("x" + Marker::PasswordMarker) << QStringList()
        << QStringList{"screen x\\xef\\xee\\xed"} << false;
    QTest::newRow("screen data")
        << QByteArray("\033[2JHello") << QStringList() << QStringList{"screen \\x1b[2JHello"}
        << false;
}

void tst_MenuDispatch::dispatch()
{
    QFETCH(QByteArray, chunk);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, calls);
    QFETCH(bool, acted);

    RecordingHost host;
    host.existing = existing;
    host.typedPassword = QStringLiteral("secret");
    MenuDispatcher dispatcher(host);
    QCOMPARE(dispatcher.Dispatch(chunk), acted);
    QCOMPARE(host.calls, calls);
}

void tst_MenuDispatch::programFailure_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("acted");

    QTest::newRow("card table") << QByteArray("\\SpawnNode:5001") << false;
    QTest::newRow("door") << QByteArray("\\SpawnDoor:4000") << false;
    // The room could not open, but the menu has done its part.
    QTest::newRow("invitation") << QByteArray(Marker::InviteMarker + ":6001") << true;
}

void tst_MenuDispatch::programFailure()
{
    QFETCH(QByteArray, chunk);
    QFETCH(bool, acted);

    RecordingHost host;
    host.startsWork = false;
    MenuDispatcher dispatcher(host);
    QCOMPARE(dispatcher.Dispatch(chunk), acted);
    QCOMPARE(host.calls.size(), 1);
}

void tst_MenuDispatch::port_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("port");

    QTest::newRow("plain") << QByteArray("\\SpawnNode:5001") << 5001;
    QTest::newRow("no colon") << QByteArray("\\SpawnNode 5001") << 0;
    QTest::newRow("host before the colon") << QByteArray("\\SpawnDoor{h2.example}:4000") << 4000;
    // Digits of a host written after the colon, up to its first ".", count.
    QTest::newRow("host after the colon") << QByteArray("\\SpawnDoor:4000{h2.example}") << 40002;
    QTest::newRow("line end") << QByteArray("\\SpawnNode:5001\r\n") << 5001;
    QTest::newRow("fraction dropped") << QByteArray("\\SpawnNode:12.5") << 12;
    QTest::newRow("letters") << QByteArray("\\SpawnNode:abc") << 0;
    QTest::newRow("first colon only") << QByteArray("a:7:8") << 78;
}

void tst_MenuDispatch::port()
{
    QFETCH(QByteArray, text);
    QFETCH(int, port);
    QCOMPARE(MenuDispatcher::MenuPort(text), port);
}

VT_TEST_MAIN(tst_MenuDispatch)
#include "tst_menudispatch.moc"
