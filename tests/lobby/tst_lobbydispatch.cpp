#include <QTcpSocket>
#include <QTest>

#include "ChatAnsi.h"
#include "ChatComposer.h"
#include "LoopbackServer.h"
#include "LobbyConnection.h"
#include "LobbyDispatch.h"
#include "Printable.h"
#include "Shape.h"
#include "TestMain.h"
#include "UserListMenu.h"
#include "WhereIsReply.h"

namespace {

// Records every call as one line.
class RecordingHost : public LobbyDispatchHost
{
public:
    bool isSoundOn = true;
    bool isAway = false;
    int renderCode = TDispAnsi::OrdinaryText;
    bool acceptAnswer = false;
    QStringList calls;
    // Runs inside renderChunk, like a read arriving during a dialog.
    std::function<void()> duringRender;

    bool soundOn() const override { return isSoundOn; }
    bool away() const override { return isAway; }
    QByteArray email() const override { return "me@example.org"; }
    void playEventSound(const QByteArray &label) override { calls << "sound " + QString::fromLatin1(label); }
    void blink() override { calls << QStringLiteral("blink"); }
    void receiveLamps() override { calls << QStringLiteral("receive lamps"); }
    void sendLamps() override { calls << QStringLiteral("send lamps"); }
    void setStatus(const QString &text) override { calls << "status " + text; }
    void sendRaw(const QByteArray &bytes) override { calls << "send " + printable(bytes); }
    void openMenu(LobbyMenu menu, int port) override
    {
        calls << QStringLiteral("menu %1 %2").arg(menu == LobbyMenu::Games ? "games" : "rooms").arg(port);
    }
    void showNotice(const QByteArray &caption, const QByteArray &text) override
    {
        calls << "notice " + printable(caption) + " | " + printable(text);
    }
    int renderChunk(const QByteArray &text) override
    {
        calls << "render " + printable(text);
        if (duringRender) {
            auto run = std::move(duringRender);
            duringRender = nullptr;
            run();
        }
        return renderCode;
    }
    void selectOwnRow() override { calls << QStringLiteral("select own row"); }
    void sendWhereIsReply() override { calls << QStringLiteral("where-is reply"); }
    bool acceptInvitation(const QByteArray &inviter) override
    {
        calls << "ask " + printable(inviter);
        return acceptAnswer;
    }
    void startChatRoom(int port) override { calls << QStringLiteral("chat room %1").arg(port); }
};

const QStringList Intro = {QStringLiteral("send /Version 6.11\\x0d\\x0a"),
                           QStringLiteral("send /Email me@example.org\\x0d\\x0a"),
                           QStringLiteral("send \\x00")};

} // namespace

Q_DECLARE_METATYPE(TopLevelWindow)

class tst_LobbyDispatch : public QObject
{
    Q_OBJECT
private slots:
    void chunk_decides_what_happens_data();
    void chunk_decides_what_happens();
    void introduction_goes_out_once_per_run();
    void a_read_during_a_dispatch_is_dispatched_once();
    void identification_is_one_piece();
    void where_is_reply_data();
    void where_is_reply();
    void console_bytes_data();
    void console_bytes();
    void style_buttons_in_the_order_pressed();
    void message_box_text();
    void insert_menu_items();
    void user_menu_by_rank_data();
    void user_menu_by_rank();
    void user_menu_command_bytes();
    void the_connection_reads_into_the_dispatcher_and_writes_only_when_up();
};

void tst_LobbyDispatch::chunk_decides_what_happens_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("introSent");
    QTest::addColumn<bool>("away");
    QTest::addColumn<bool>("soundOn");
    QTest::addColumn<int>("renderCode");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("calls");

    const int plain = TDispAnsi::OrdinaryText;
    QTest::newRow("keep-alive only blinks")
        << QByteArray("\0", 1) << false << false << true << plain << false
        << QStringList{"blink"};
    QTest::newRow("keep-alive with text is text")
        << QByteArray("\0hi", 3) << true << false << false << plain << false
        << QStringList{"receive lamps", "render \\x00hi"};
    QTest::newRow("ready marker mid-chunk: removed, introduction first")
        << QByteArray("Hello \x1b[\xb3World\r\n") << false << false << true << plain << false
        << QStringList{"blink"} + Intro
               + QStringList{"receive lamps", "sound ChatTick", "render Hello World\\x0d\\x0a"};
    QTest::newRow("ready marker after the introduction")
        << QByteArray("\x1b[\xb3Hi") << true << false << false << plain << false
        << QStringList{"blink", "receive lamps", "render Hi"};
    QTest::newRow("only the first ready marker is removed")
        << QByteArray("\x1b[\xb3\x1b[\xb3") << true << false << false << int(TDispAnsi::ServerReady)
        << false << QStringList{"blink", "receive lamps", "render \\x1b[\\xb3"};
    QTest::newRow("renderer saw the ready byte")
        << QByteArray("ab\xb3\x1b[1") << false << false << false << int(TDispAnsi::ServerReady)
        << false << QStringList{"receive lamps", "render ab\\xb3\\x1b[1"} + Intro;
    QTest::newRow("games menu with a port")
        << QByteArray("\\SpawnMenu:1030") << false << false << true << plain << false
        << QStringList{"receive lamps", "sound ChatTick", "status Connecting...", "menu games 1030",
                       "send lamps"};
    QTest::newRow("games menu port ends at the next colon")
        << QByteArray("\\SpawnMenu:1030:x9") << false << false << false << plain << false
        << QStringList{"receive lamps", "status Connecting...", "menu games 1030", "send lamps"};
    QTest::newRow("games menu without a port opens nothing")
        << QByteArray("\\SpawnMenu") << false << false << false << plain << false
        << QStringList{"receive lamps", "status Connecting...", "send lamps"};
    QTest::newRow("chat-room menu")
        << QByteArray("\\SpawnCMenu:1031") << false << false << false << plain << false
        << QStringList{"receive lamps", "status Connecting...", "menu rooms 1031", "send lamps"};
    QTest::newRow("notice while here")
        << QByteArray("\xe6\xe6\xdf Note from Bob>Come and play") << false << false << false << plain
        << false
        << QStringList{"receive lamps", "sound Look", "notice Note from Bob | Come and play"};
    QTest::newRow("notice while away only sounds")
        << QByteArray("\xe6\xe6\xdf Note from Bob>Come and play") << false << true << false << plain
        << false << QStringList{"receive lamps", "sound Look"};
    QTest::newRow("notice without a caption")
        << QByteArray("\xe6\xe6\xdfxSystem going down") << false << false << false << plain << false
        << QStringList{"receive lamps", "sound Look",
                       "notice System going down | System going down"};
    QTest::newRow("notice marker not at the start is chat")
        << QByteArray("a\xe6\xe6\xdf") << false << false << false << plain << false
        << QStringList{"receive lamps", "render a\\xe6\\xe6\\xdf"};
    QTest::newRow("user list replaced")
        << QByteArray("\x1b[LAnn=1;0;0\x1b]") << false << false << false
        << int(TDispAnsi::UserListBlock) << false
        << QStringList{"receive lamps", "render \\x1b[LAnn=1;0;0\\x1b]", "select own row"};
    QTest::newRow("where-is query")
        << QByteArray("\x1b[7Bob \x1b]\xa4\xab" "Ann") << false << false << false
        << int(TDispAnsi::WhereIsShown) << false
        << QStringList{"receive lamps", "render \\x1b[7Bob \\x1b]\\xa4\\xabAnn", "where-is reply"};
    QTest::newRow("invitation accepted")
        << QByteArray("\xea\xeb\xe8:5005[Bob") << false << false << false << plain << true
        << QStringList{"receive lamps", "ask Bob", "chat room 5005"};
    QTest::newRow("invitation declined")
        << QByteArray("\xea\xeb\xe8:5005[Bob") << false << false << false << plain << false
        << QStringList{"receive lamps", "ask Bob"};
    QTest::newRow("invitation anywhere in the chunk")
        << QByteArray("x\xea\xeb\xe8:77[Eve") << false << false << false << plain << true
        << QStringList{"receive lamps", "render x", "ask Eve", "chat room 77"};
    // An invitation ends at its line end, an escape or the next invitation;
    // the rest of the read is dispatched on its own.
    QTest::newRow("invitation, then a where-is in the same read")
        << QByteArray("\xea\xeb\xe8:5005[Bob\r\n\x1b[7Bob \x1b]\xa4\xab" "Ann") << false << false
        << false << int(TDispAnsi::WhereIsShown) << false
        << QStringList{"receive lamps", "ask Bob", "render \\x1b[7Bob \\x1b]\\xa4\\xabAnn",
                       "where-is reply"};
    QTest::newRow("invitations back to back, then chat")
        << QByteArray("\xea\xeb\xe8:1[Bob\xea\xeb\xe8:2[Cy\x1b[5hi") << false << false << false
        << plain << true
        << QStringList{"receive lamps", "ask Bob", "chat room 1", "ask Cy", "chat room 2",
                       "render \\x1b[5hi"};
    QTest::newRow("invitation without a port starts nothing")
        << QByteArray("\xea\xeb\xe8[Bob") << false << false << false << plain << true
        << QStringList{"receive lamps", "ask Bob"};
}

void tst_LobbyDispatch::chunk_decides_what_happens()
{
    QFETCH(QByteArray, chunk);
    QFETCH(bool, introSent);
    QFETCH(bool, away);
    QFETCH(bool, soundOn);
    QFETCH(int, renderCode);
    QFETCH(bool, accept);
    QFETCH(QStringList, calls);
    RecordingHost host;
    host.isAway = away;
    host.isSoundOn = soundOn;
    host.renderCode = renderCode;
    host.acceptAnswer = accept;
    LobbyDispatcher dispatcher(host);
    dispatcher.IntroSent = introSent;
    dispatcher.Received(chunk);
    QCOMPARE(host.calls, calls);
    QVERIFY(dispatcher.PendingText.isEmpty());
}

void tst_LobbyDispatch::introduction_goes_out_once_per_run()
{
    RecordingHost host;
    host.isSoundOn = false;
    LobbyDispatcher dispatcher(host);
    dispatcher.Received("\x1b[\xb3");
    QVERIFY(dispatcher.IntroSent);
    QCOMPARE(host.calls.mid(1, 3), Intro);
    host.calls.clear();
    // The renderer reporting the marker again, and a second marker, send nothing.
    host.renderCode = TDispAnsi::ServerReady;
    dispatcher.Received("\x1b[\xb3" "again");
    for (const QString &call : std::as_const(host.calls))
        QVERIFY2(!call.startsWith(QLatin1String("send")), qPrintable(call));
}

void tst_LobbyDispatch::a_read_during_a_dispatch_is_dispatched_once()
{
    RecordingHost host;
    host.isSoundOn = false;
    LobbyDispatcher dispatcher(host);
    dispatcher.IntroSent = true;
    // A second read arrives while the first chunk is being shown.
    host.duringRender = [&] { dispatcher.Received("second"); };
    dispatcher.Received("first");
    QCOMPARE(host.calls, (QStringList{"receive lamps", "render first", "receive lamps", "render second"}));
}

void tst_LobbyDispatch::identification_is_one_piece()
{
    QCOMPARE(LobbyDispatcher::Identification(" Ann ", "pw"), QByteArray("\x1b[\xbd Ann \x1b]pw"));
}

void tst_LobbyDispatch::where_is_reply_data()
{
    QTest::addColumn<QString>("information");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QList<TopLevelWindow>>("windows");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("game");

    const QByteArray head = "at home\r\nlistening\r\nAnn's Time is 10:04:05\r\nVantora Chat Version 6.11\r\n";
    const QList<TopLevelWindow> windows = {
        {"Vantora Lobby - Ann", "TLobbyMainForm"},
        {"Card Table", "TfrmCardamo"},
        {"Theatre", "TParloras"},     // "TParloras" also contains... nothing else
        {"Editor", "kate"},
        {"ZoneFriends", "TfrmZone"},  // passes two tests: listed twice
        {"Age of Empires II", "Age of Empires"},
    };
    QTest::newRow("window walk")
        << "at home\nlistening" << false << windows
        << head + "Vantora Lobby - Ann\r\nCard Table\r\nTheatre\r\nZoneFriends\r\nZoneFriends\r\n"
                  "I'm Playing a Game. (AOE Running)\r\n"
        << true;
    QTest::newRow("hidden from seekers")
        << "at home\nlistening" << true << windows << head << false;
    QTest::newRow("tests are case-sensitive")
        << "at home\nlistening" << false
        << QList<TopLevelWindow>{{"x", "tlobby"}, {"age of empires", "Age of Empires"}} << head
        << false;
    QTest::newRow("empty information is an empty first line")
        << QString() << false << QList<TopLevelWindow>{}
        << QByteArray("\r\nAnn's Time is 10:04:05\r\nVantora Chat Version 6.11\r\n") << false;
    QTest::newRow("long titles are cut at 144")
        << "i" << false << QList<TopLevelWindow>{{QString(200, QLatin1Char('t')), "Tfrm"}}
        << QByteArray("i\r\nAnn's Time is 10:04:05\r\nVantora Chat Version 6.11\r\n")
               + QByteArray(144, 't') + "\r\n"
        << false;
}

void tst_LobbyDispatch::where_is_reply()
{
    QFETCH(QString, information);
    QFETCH(bool, hidden);
    QFETCH(QList<TopLevelWindow>, windows);
    QFETCH(QByteArray, expected);
    QFETCH(bool, game);
    const WhereIsReply reply = WhereIsReply::Build(information, "Ann", "10:04:05", hidden, windows);
    QCOMPARE(printable(reply.text), printable(expected));
    QCOMPARE(reply.gameWindowFound, game);
}

void tst_LobbyDispatch::console_bytes_data()
{
    QTest::addColumn<QByteArray>("actual");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("red, bold, own font")
        << ChatComposer::Prefix("\x1b[4", "\x1b[B", true, "Tahoma") + "word"
        << QByteArray("\x1b[4\x1b[B\x1b[F{Tahoma}word");
    QTest::newRow("without the font button")
        << ChatComposer::Prefix("\x1b[3", QByteArray(), false, "Tahoma") + "hi"
        << QByteArray("\x1b[3hi");
    QTest::newRow("private line")
        << ChatComposer::PrivateText("+Bob", "\x1b[3", "psst") << QByteArray("/msg +Bob \x1b[3psst\r\n");
    QTest::newRow("away") << ChatComposer::Presence(true) << QByteArray("\xd4\xe1\xdd" "5");
    QTest::newRow("here") << ChatComposer::Presence(false) << QByteArray("\xd4\xe1\xdd" "0");
    QTest::newRow("icon 13") << ChatComposer::IconChoice(13) << QByteArray("\xac\xaf\xab" "13");
}

void tst_LobbyDispatch::console_bytes()
{
    QFETCH(QByteArray, actual);
    QFETCH(QByteArray, expected);
    QCOMPARE(printable(actual), printable(expected));
}

void tst_LobbyDispatch::style_buttons_in_the_order_pressed()
{
    using namespace ChatComposer;
    QByteArray style = ToggleStyle(QByteArray(), BoldCode, true);
    style = ToggleStyle(style, ItalicCode, true);
    QCOMPARE(style, QByteArray("\x1b[B\x1b[I"));
    QCOMPARE(ToggleStyle(style, BoldCode, false), QByteArray("\x1b[I"));
    // Up removes every occurrence.
    QCOMPARE(ToggleStyle("\x1b[B\x1b[I\x1b[B", BoldCode, false), QByteArray("\x1b[I"));
}

void tst_LobbyDispatch::message_box_text()
{
    using namespace ChatComposer;
    QCOMPARE(WithoutLeadingEmptyLines(QStringLiteral("\n\nhello\n\nthere")),
             QStringLiteral("hello\n\nthere"));
    QCOMPARE(WithoutLeadingEmptyLines(QStringLiteral("\n\n")), QString());
    // A line of blanks is not empty.
    QCOMPARE(WithoutLeadingEmptyLines(QStringLiteral(" \nx")), QStringLiteral(" \nx"));
    QCOMPARE(MessageBytes(QStringLiteral("one\ntwo")), QByteArray("one\r\ntwo"));
}

void tst_LobbyDispatch::insert_menu_items()
{
    QCOMPARE(ChatComposer::InsertMenuItems({"Ann", "+Bob"}),
             (QStringList{"\x1b[", "Ann ", "+Bob ", "Hi ", "Bye ", "/msg ", "`Laugh3.wav "}));
}

void tst_LobbyDispatch::user_menu_by_rank_data()
{
    QTest::addColumn<QList<QByteArray>>("rows");
    QTest::addColumn<QList<QByteArray>>("selected");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<int>("rank");
    QTest::addColumn<QStringList>("captions");

    const QList<QByteArray> others = {"Bob", "\x1b[5!Cy\x1b]"};
    QTest::newRow("plus: boot and copy")
        << others + QList<QByteArray>{"+Ann"} << QList<QByteArray>{"Bob"} << false << 5
        << QStringList{"Where is Bob?", "Boot Bob", "Copy Name "};
    QTest::newRow("dollar: all three")
        << others + QList<QByteArray>{"$Ann"} << QList<QByteArray>{"Bob"} << true << 9
        << QStringList{"Where is Bob?", "Whisper to Bob", "Boot Bob", "Copy Name ", "Grey Box Bob"};
    QTest::newRow("not in the list")
        << others << QList<QByteArray>{"\x1b[5!Cy\x1b]"} << true << -1
        << QStringList{"Where is !Cy?", "Whisper to !Cy"};
    QTest::newRow("own name compared exactly")
        << others + QList<QByteArray>{"$ann"} << QList<QByteArray>{"Bob"} << false << -1
        << QStringList{"Where is Bob?"};
    QTest::newRow("plain user: copy only")
        << others + QList<QByteArray>{"!Ann"} << QList<QByteArray>{"Bob"} << false << 3
        << QStringList{"Where is Bob?", "Copy Name "};
    QTest::newRow("two selected")
        << others + QList<QByteArray>{"Ann"} << others << true << 2
        << QStringList{"Where is Bob?", "Whisper to Selected"};
    QTest::newRow("nothing selected") << others << QList<QByteArray>{} << true << -1 << QStringList{};
}

void tst_LobbyDispatch::user_menu_by_rank()
{
    QFETCH(QList<QByteArray>, rows);
    QFETCH(QList<QByteArray>, selected);
    QFETCH(bool, typed);
    QFETCH(int, rank);
    QFETCH(QStringList, captions);
    QCOMPARE(UserListMenu::OwnRank(rows, "Ann"), rank);
    QStringList shown;
    for (const UserMenuItem &item : UserListMenu::Items(selected, rows, "Ann", typed))
        shown << item.caption;
    QCOMPARE(shown, captions);
}

void tst_LobbyDispatch::user_menu_command_bytes()
{
    QCOMPARE(printable(UserListMenu::WhereIsBytes("+Bob")), printable("\x1b]\xa4\xab+Bob"));
    QCOMPARE(printable(UserListMenu::BootBytes("+Bob")), printable("\x1b]/boot +Bob"));
    QCOMPARE(UserListMenu::GreyNoteBytes("\x1b[5+Bob", "hello"), QByteArray("/Gmsg Bob hello"));
}

void tst_LobbyDispatch::the_connection_reads_into_the_dispatcher_and_writes_only_when_up()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    RecordingHost host;
    TShape receive(QStringLiteral("Shape1")), send(QStringLiteral("Shape2")), alive(QStringLiteral("Shape3"));
    LobbyConnection connection(host, {&receive, &send, &alive});

    // Not up: nothing goes out, and a close runs what follows at once.
    QVERIFY(!connection.active());
    connection.send("lost");
    bool ranAtOnce = false;
    connection.closeThen(5000, [&] { ranAtOnce = true; });
    QVERIFY(ranAtOnce);

    connection.setAddress(QStringLiteral("127.0.0.1"), server.port());
    connection.open();
    QCOMPARE(connection.number(), 1);
    QTRY_COMPARE(connection.socket()->state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE(server.connections(), 1);
    connection.send("hello");
    QTRY_COMPARE(server.received(0), QByteArray("hello"));

    // What the server sends reaches the dispatcher, which has it shown.
    server.send("Good evening\r\n", 0);
    QTRY_VERIFY(host.calls.contains(QStringLiteral("render Good evening\\x0d\\x0a")));

    // The lamps: receiving yellow and red, sending lime over the old colour,
    // the keep-alive lamp between two greens.
    connection.receiveLamps();
    QCOMPARE(receive.brushColor(), QColor(255, 255, 0));
    QCOMPARE(send.brushColor(), QColor(255, 0, 0));
    connection.sendLamps();
    QCOMPARE(send.brushColor(), QColor(255, 255, 0));
    QCOMPARE(receive.brushColor(), QColor(0, 255, 0));
    connection.statusLamp();
    QCOMPARE(receive.brushColor(), QColor(0, 128, 0));
    connection.blink();
    QCOMPARE(alive.brushColor(), QColor(0, 255, 0));
    connection.blink();
    QCOMPARE(alive.brushColor(), QColor(0, 128, 0));

    // Up: the close drops it at once and runs what follows after the wait.
    bool ranLater = false;
    connection.closeThen(50, [&] { ranLater = true; });
    QVERIFY(!ranLater);
    QVERIFY(!connection.active());
    QTRY_VERIFY(ranLater);
    QTRY_VERIFY(server.closed(0));
}

VT_TEST_MAIN(tst_LobbyDispatch)
#include "tst_lobbydispatch.moc"
