// Floods from a hostile server, replayed by fake servers on loopback against
// the real windows: a chunk of 20,000 chat lines, one endless line, a user
// list of 100,000 rows, megabytes of screen data, and chat poured into the
// lobby while a dialog is open. Everything is shown (or cut with a notice),
// in order, in slices that leave the event loop its turns, with bounded
// buffers, and the program still answers afterwards.

#include <QtTest>

#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include "CardamoU.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "DoodlixTableU.h"
#include "Fakes.h"
#include "LobbyUnderTest.h"
#include "LobbyMain.h"
#include "LoopbackServer.h"
#include "ParloraU.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "ReadPause.h"
#include "ScreenFeeder.h"
#include "TestMain.h"
#include "UserListView.h"
#include "Waits.h"
#include "WorkQueue.h"
#include "uRichEditWithLinks.h"

namespace {

// The bench sends 20,000; the order and the slices show as well with fewer.
constexpr int kFloodLines = 6000;
const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";

QByteArray floodLine(int i)
{
    return "flood line " + QByteArray::number(i) + " of the chunk";
}

// One chunk of chat lines, each behind the chat marker.
QByteArray chatFlood(int lines)
{
    QByteArray flood;
    for (int i = 0; i < lines; ++i)
        flood += Marker::ChatMarker + "\x1b[5" + floodLine(i) + "\r\n";
    return flood;
}

// The view's lines as the user reads them (without the invisible break
// hints the view puts into long runs).
QStringList viewLines(const TRichEditURL *view)
{
    return view->toPlainText().remove(QChar(0x200B)).split(QLatin1Char('\n'));
}

int longestLine(const TRichEditURL *view)
{
    int longest = 0;
    for (const QString &line : viewLines(view))
        longest = qMax(longest, int(line.size()));
    return longest;
}

// The plain chat log as the renderer wrote it.
QByteArray readLog(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the event loop's turns while a condition is awaited: a window that
// did its work in one go gives the loop no turn before the work is done.
struct TurnCounter
{
    int turns = 0;
    QTimer timer;
    TurnCounter()
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] { ++turns; });
        timer.start();
    }
};

// The lobby's dialogs: the invitation dialog stays open (its own event loop
// runs) until the test lets it go.
class HoldingDialogs : public FakeDialogs
{
public:
    bool confirm(QWidget *, const QString &caption, const QString &text, const QPoint &) override
    {
        asked.append({QStringLiteral("confirm"), caption, text, {}});
        open = true;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (whileOpen)
                whileOpen();
            if (!open)
                loop.quit();
        });
        poll.start(5);
        loop.exec();
        return false;
    }
    bool open = false;
    std::function<void()> whileOpen;
};

} // namespace

class TestHostileFloods : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void chatFloodToTheCardTable();
    void chatFloodToTheSketchGame();
    void chatFloodToTheChatRoom();
    void endlessLineToTheChatRoom();
    void userListFloodToTheChatRoom();
    void screenFloodToTheCardTable();
    void endlessLineToTheLobby();
    void chatFloodToTheLobbyWithADialogOpen();

private:
    template <class Window>
    std::unique_ptr<Window> openNode(LoopbackServer &server);
    std::unique_ptr<TParloras> openRoom(LoopbackServer &server);
    std::unique_ptr<TLobbyMainForm> openLobby(LoopbackServer &server);
    template <class Window>
    void checkChatFlood(Window &window, LoopbackServer &server);

    std::unique_ptr<InstalledFakes> m_fakes;
    QString m_log;
    MemorySettings m_user;
    MemorySettings m_machine;
    FakeWindowLister m_windows;
};

void TestHostileFloods::initTestCase()
{
    Waits::setTimeScale(0.05);
}

void TestHostileFloods::init()
{
    m_fakes = std::make_unique<InstalledFakes>();
    Platform::setWindowLister(&m_windows);
    m_log = TestEnvironment::root() + QStringLiteral("/ChatLog.txt");
    QFile::remove(m_log);
}

void TestHostileFloods::cleanup()
{
    Platform::setWindowLister(nullptr);
    m_fakes.reset();
}

template <class Window>
std::unique_ptr<Window> TestHostileFloods::openNode(LoopbackServer &server)
{
    auto window = TestEnvironment::shownWindow<Window>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    if (!server.waitForBytes(kIdent + Marker::ClientReady))
        qWarning("the window did not get ready");
    return window;
}

std::unique_ptr<TParloras> TestHostileFloods::openRoom(LoopbackServer &server)
{
    auto room = TestEnvironment::shownWindow<TParloras>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    if (!server.waitForBytes(kIdent + Marker::ClientReady))
        qWarning("the room did not get ready");
    return room;
}

std::unique_ptr<TLobbyMainForm> TestHostileFloods::openLobby(LoopbackServer &server)
{
    auto form = ConnectLobbyAsAnn(m_user, m_machine, server.portText(), server.host());
    if (!server.waitForBytes(kIdent))
        qWarning("the lobby did not identify");
    server.clearReceived();
    return form;
}

// All 20,000 lines reach the view in order (the log has every one, the view
// keeps the last ones), over many turns of the event loop; a line sent
// afterwards still comes after them.
template <class Window>
void TestHostileFloods::checkChatFlood(Window &window, LoopbackServer &server)
{
    window.chatSession().LogFileName = m_log;
    TurnCounter counter;
    server.send(chatFlood(kFloodLines));
    QTRY_VERIFY_WITH_TIMEOUT(
        window.Memo5->toPlainText().contains(QString::fromLatin1(floodLine(kFloodLines - 1))),
        120000);
    QVERIFY2(counter.turns > 10, "the flood was shown in one go");

    server.send(Marker::ChatMarker + "after the flood\r\n");
    QTRY_VERIFY(window.Memo5->toPlainText().contains(QLatin1String("after the flood")));

    // The connection hands the chunk on in reads of what has arrived; a
    // line that a read cuts in two is not a chat line whole (the rest of it
    // is not behind a chat marker). Every other line is there, in order.
    const QByteArray log = readLog(m_log);
    qsizetype at = 0;
    int cut = 0;
    for (int i = 0; i < kFloodLines; ++i) {
        const qsizetype found = log.indexOf(floodLine(i) + "\r\n", at);
        if (found < 0) {
            ++cut;
            continue;
        }
        at = found;
    }
    QVERIFY2(cut <= 64, QByteArray::number(cut).constData());
    QVERIFY(log.indexOf("after the flood", at) > at);
    const QStringList lines = viewLines(window.Memo5);
    QCOMPARE(lines.size() - 1, window.chatSession().MaxLines);   // the last line is empty
    // (The chat room shows a chat marker inside a chunk as its three bytes.)
    QVERIFY(lines.at(lines.size() - 3).endsWith(QString::fromLatin1(floodLine(kFloodLines - 1))));
    QVERIFY(lines.at(lines.size() - 2).endsWith(QStringLiteral("after the flood")));
}

void TestHostileFloods::chatFloodToTheCardTable()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto table = openNode<TfrmCardamo>(server);
    checkChatFlood(*table, server);
}

void TestHostileFloods::chatFloodToTheSketchGame()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto game = openNode<TfrmDoodlixTable>(server);
    checkChatFlood(*game, server);
}

void TestHostileFloods::chatFloodToTheChatRoom()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto room = openRoom(server);
    checkChatFlood(*room, server);
}

// A megabyte without a line end: the line is shown cut at 64 KiB with a
// notice line, the rest of it is dropped, and the next line is whole.
void TestHostileFloods::endlessLineToTheChatRoom()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto room = openRoom(server);
    server.send("start " + QByteArray(1024 * 1024, 'x'));
    server.send("\r\nthe next line\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(room->Memo5->toPlainText().contains(QLatin1String("the next line")),
                             60000);
    QCOMPARE(longestLine(room->Memo5), int(TDispAnsi::MaxLineLength));
    const QStringList lines = viewLines(room->Memo5);
    const qsizetype cut = lines.indexOf(QRegularExpression(QStringLiteral("^start x+$")));
    QVERIFY(cut >= 0);
    QCOMPARE(lines.at(cut).size(), TDispAnsi::MaxLineLength);
    QVERIFY2(lines.at(cut + 1).contains(QLatin1String("longer than 64 KiB")),
             qPrintable(lines.at(cut + 1)));
    QCOMPARE(lines.at(cut + 2), QStringLiteral("the next line"));
}

// A long user list is all in the list, in order, and the chat after the
// block is shown after it; the list was filled over many turns.
void TestHostileFloods::userListFloodToTheChatRoom()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto room = openRoom(server);
    constexpr int rows = 30000;
    QByteArray block = "\x1b[L";
    for (int i = 0; i < rows; ++i)
        block += "member" + QByteArray::number(i) + "=1;0;0\r\n";
    block += "\x1b]";
    TurnCounter counter;
    // As one read hands it on (the connection would split a block this
    // long, and the rows after a split are chat lines); the server's chat
    // that follows comes after the list.
    room->dispatch(block);
    server.send(Marker::ChatMarker + "after the list\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(room->Memo5->toPlainText().contains(QLatin1String("after the list")),
                             120000);
    QVERIFY2(counter.turns > 2, "the list was filled in one go");
    QCOMPARE(room->Memo6->rowCount(), rows);
    QCOMPARE(room->Memo6->caption(0), QByteArray("member0"));
    QCOMPARE(room->Memo6->caption(rows - 1), QByteArray("member") + QByteArray::number(rows - 1));
}

// Megabytes of screen data: the screen queue and the socket stay bounded
// while the engine draws, and chat still comes through afterwards.
void TestHostileFloods::screenFloodToTheCardTable()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto table = openNode<TfrmCardamo>(server);
    QByteArray screen;
    while (screen.size() < 6 * 1024 * 1024)
        screen += "\x1b[1;1H\x1b[33mscreen text screen text screen text screen text\r\n";
    qint64 mostQueued = 0;
    qint64 mostInSocket = 0;
    QTimer sample;
    sample.setInterval(0);
    connect(&sample, &QTimer::timeout, this, [&] {
        mostQueued = qMax<qint64>(mostQueued, table->ScreenBuffer().size());
        mostInSocket = qMax(mostInSocket, table->clientSocket()->bytesAvailable());
    });
    sample.start();
    server.send(screen);
    QTRY_VERIFY_WITH_TIMEOUT(server.bytesToWrite() == 0 && table->ScreenBuffer().isEmpty()
                                 && table->clientSocket()->bytesAvailable() == 0,
                             120000);
    sample.stop();
    // The queue stops growing at its high mark (plus the one read that
    // crossed it); the socket holds at most its own limit.
    QVERIFY2(mostQueued <= ScreenFeeder::HighWater + ScreenFeeder::LowWater,
             QByteArray::number(mostQueued).constData());
    QVERIFY2(mostInSocket <= ScreenFeeder::LowWater, QByteArray::number(mostInSocket).constData());
    server.send(Marker::ChatMarker + "after the screen\r\n");
    QTRY_VERIFY(table->Memo5->toPlainText().contains(QLatin1String("after the screen")));
}

// Four megabytes on one line to the lobby: cut with a notice, and a where-is
// that follows is answered.
void TestHostileFloods::endlessLineToTheLobby()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto lobby = openLobby(server);
    server.send(QByteArray(4 * 1024 * 1024, 'y'));
    server.send("\r\n\x1b[7Bob \x1b]\xa4\xab" "Ann");
    QTRY_VERIFY_WITH_TIMEOUT(server.received().contains("Vantora Chat Version"), 60000);
    QCOMPARE(longestLine(lobby->Memo2), int(TDispAnsi::MaxLineLength));
    QVERIFY(lobby->Memo2->toPlainText().contains(QLatin1String("longer than 64 KiB")));
    QVERIFY(lobby->Memo2->toPlainText().contains(QLatin1String("Looking For")));
}

// While an invitation dialog is open the lobby takes no more than its
// buffers hold: the server is held back and memory stays bounded.
void TestHostileFloods::chatFloodToTheLobbyWithADialogOpen()
{
    HoldingDialogs dialogs;
    UserDialogs::setCurrent(&dialogs);
    LoopbackServer server(LoopbackServer::OneClient);
    auto lobby = openLobby(server);

    QByteArray chat;
    for (int i = 0; chat.size() < 24 * 1024 * 1024; ++i)
        chat += "\x1b[5chat poured in, line " + QByteArray::number(i) + "\r\n";
    qint64 mostBacklog = 0;
    qint64 mostInSocket = 0;
    bool sent = false;
    QElapsedTimer open;
    open.start();
    dialogs.whileOpen = [&] {
        if (!sent) {
            // The flood comes while the dialog is open.
            sent = true;
            server.send(chat);
        }
        mostBacklog = qMax(mostBacklog, lobby->workQueue()->backlog());
        mostInSocket = qMax(mostInSocket, lobby->ClientSocket->bytesAvailable());
        // Long enough for megabytes to arrive over loopback.
        if (open.elapsed() > 1500)
            dialogs.open = false;
    };
    server.send(QByteArray("\xea\xeb\xe8:5005[Bob"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.asked.isEmpty() && !dialogs.open, 90000);
    // The server could not hand over everything: the lobby stopped reading.
    QVERIFY2(server.bytesToWrite() > 0, "the lobby took everything");
    QVERIFY2(mostBacklog <= WorkQueue::HighWater + 2 * ReadPause::SocketBuffer,
             QByteArray::number(mostBacklog).constData());
    QVERIFY2(mostInSocket <= ReadPause::SocketBuffer, QByteArray::number(mostInSocket).constData());

    UserDialogs::setCurrent(&m_fakes->dialogs);
    lobby.reset();
}

VT_TEST_MAIN(TestHostileFloods)
#include "tst_hostile_floods.moc"
