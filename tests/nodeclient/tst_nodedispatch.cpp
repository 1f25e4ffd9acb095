// The node dispatcher: how a chunk splits into screen data, chat lines,
// player-list updates, captions, lock offers and password requests.

#include <QtTest>

#include "NodeDispatcher.h"
#include "ProtocolMarkers.h"
#include "TestMain.h"

namespace {

// Records every decision as one readable line.
class Recorder : public NodeDispatchTarget
{
public:
    QStringList events;
    QByteArray claimScreen;   // screenCommand consumes chunks containing this
    QByteArray claimChat;     // chatCommand consumes texts containing this

    static QString show(const QByteArray &bytes)
    {
        QByteArray out = bytes;
        out.replace(Marker::ChatMarker, "<chat>");
        out.replace(Marker::PlayerListLine, "<list>");
        out.replace("\r\n", "|");
        return QString::fromLatin1(out);
    }

    void passwordRequested() override { events << QStringLiteral("password"); }
    void lockOffered() override { events << QStringLiteral("lock"); }
    void captionReceived(const QByteArray &caption) override
    {
        events << QStringLiteral("caption:") + show(caption);
    }
    bool screenCommand(QByteArrayView text, MarkerSearch &search) override
    {
        if (claimScreen.isEmpty() || search.in(text, claimScreen) < 0)
            return false;
        events << QStringLiteral("command:") + show(text.toByteArray());
        return true;
    }
    void screenData(const QByteArray &bytes) override
    {
        events << QStringLiteral("screen:") + show(bytes);
    }
    void playerList(const QByteArray &text) override
    {
        events << QStringLiteral("players:") + show(text);
    }
    bool chatCommand(QByteArrayView text, MarkerSearch &search) override
    {
        if (claimChat.isEmpty() || search.in(text, claimChat) < 0)
            return false;
        events << QStringLiteral("chatcommand:") + show(text.toByteArray());
        return true;
    }
    void chatLine(const QByteArray &line) override { events << QStringLiteral("chat:") + show(line); }
};

} // namespace

class TestNodeDispatch : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
    void programTestsComeInTheirPlace();
    void manyChatLinesDoNotNest();
};

void TestNodeDispatch::dispatch_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QStringList>("expected");

    const QByteArray chat = Marker::ChatMarker;
    QTest::newRow("screen only") << QByteArray("\x1b[2JHello") << QStringList{"screen:\x1b[2JHello"};
    QTest::newRow("screen, chat, screen")
        << QByteArray("AAA" + chat + "Bob> hi\r\nBBB")
        << QStringList{"screen:AAA", "chat:Bob> hi|", "screen:BBB"};
    // Only the first line after a marker is chat; what follows up to the
    // next marker is screen data again.
    QTest::newRow("one line per marker")
        << QByteArray(chat + "one\r\ntwo\r\n" + chat + "three")
        << QStringList{"chat:one|", "screen:two|", "chat:three|"};
    QTest::newRow("markers back to back")
        << QByteArray(chat + "one\r\n" + chat + "two\r\n")
        << QStringList{"chat:one|", "chat:two|"};
    QTest::newRow("player list takes all")
        << QByteArray(chat + Marker::PlayerListLine + "Ann=1;0;5\r\nBob=2;0;7\x1b]\r\nafter")
        << QStringList{"players:<list>Ann=1;0;5|Bob=2;0;7\x1b]|after"};
    QTest::newRow("lock offer inside screen data")
        << QByteArray("left" + Marker::LockOffer + "right")
        << QStringList{"lock", "screen:leftright"};
    QTest::newRow("text before the title is lost")
        << QByteArray("lost" + Marker::TitleMarker + "Card Table 3\r\nscreen")
        << QStringList{"caption:Card Table 3", "screen:screen"};
    QTest::newRow("title without line end")
        << QByteArray(Marker::TitleMarker + "Only Title") << QStringList{"caption:Only Title"};
    QTest::newRow("password drops the rest")
        << QByteArray(Marker::PasswordMarker + "screen" + chat + "chat\r\n")
        << QStringList{"password"};
    QTest::newRow("password marker after a chat line")
        << QByteArray(chat + "hi\r\n" + Marker::PasswordMarker + "x")
        << QStringList{"chat:hi|", "password"};
    QTest::newRow("password marker not at the start is screen data")
        << QByteArray("a" + Marker::PasswordMarker) << QStringList{"screen:a" + QString::fromLatin1(Marker::PasswordMarker)};
    QTest::newRow("lone chat marker gives an empty line")
        << QByteArray(chat) << QStringList{"chat:|"};
    QTest::newRow("empty chunk") << QByteArray() << QStringList{};
}

void TestNodeDispatch::dispatch()
{
    QFETCH(QByteArray, chunk);
    QFETCH(QStringList, expected);
    Recorder recorder;
    NodeDispatcher dispatcher(recorder);
    dispatcher.dispatch(chunk);
    QCOMPARE(recorder.events, expected);
}

void TestNodeDispatch::programTestsComeInTheirPlace()
{
    Recorder recorder;
    recorder.claimScreen = "\\SpawnNode";
    recorder.claimChat = "Guess?:";
    NodeDispatcher dispatcher(recorder);

    // The screen test sees the chunk after the lock offer and caption are gone.
    dispatcher.dispatch(Marker::LockOffer + Marker::TitleMarker + "T\r\n\\SpawnNode:5001"
                        + Marker::ChatMarker + "never");
    QCOMPARE(recorder.events,
             (QStringList{"lock", "caption:T", "command:\\SpawnNode:5001<chat>never"}));

    // The chat test runs after the player-list test and before the line split.
    recorder.events.clear();
    dispatcher.dispatch("screen" + Marker::ChatMarker + "Guess?:apple\r\nmore");
    QCOMPARE(recorder.events, (QStringList{"screen:screen", "chatcommand:Guess?:apple|more"}));
}

void TestNodeDispatch::manyChatLinesDoNotNest()
{
    Recorder recorder;
    NodeDispatcher dispatcher(recorder);
    QByteArray chunk;
    for (int i = 0; i < 200000; ++i)
        chunk += Marker::ChatMarker + "x\r\n";
    dispatcher.dispatch(chunk);
    QCOMPARE(recorder.events.size(), 200000);
}

VT_TEST_MAIN(TestNodeDispatch)
#include "tst_nodedispatch.moc"
