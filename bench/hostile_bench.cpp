// What a hostile server's floods do to the windows: each attack is sent by a
// fake server on loopback to the real window (offscreen), while a 10 ms
// timer measures how late the event loop gets to it. The longest lateness
// is the longest time the window did not answer the user or the socket.
// The screen flood also reports how fast the card table and the door
// terminal take 10 MB of screen data.
//
// Prints one row per attack and program, then
//   ratio worst_stall_ms_<attack> X   (the worst over the programs)
//   ratio worst_stall_ms X            (the worst over every attack)
//   ratio screen_rate_cardamo_vs_portalis X

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include "ChatSession.h"
#include "CardamoU.h"
#include "DoodlixTableU.h"
#include "Fakes.h"
#include "LobbyMain.h"
#include "LobbyUnderTest.h"
#include "LoopbackServer.h"
#include "ParloraU.h"
#include "Platform.h"
#include "PortalisU.h"
#include "ProtocolMarkers.h"
#include "TestMain.h"
#include "UserListView.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

constexpr int kTickMs = 10;
constexpr int kGiveUpMs = 180000;

// The longest lateness of a 10 ms timer while `done` is false.
struct StallMeter
{
    double worstMs = 0;
    double totalMs = 0;
    bool finished = false;

    void run(const std::function<bool()> &done)
    {
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(kTickMs);
        QElapsedTimer total;
        QElapsedTimer since;
        total.start();
        since.start();
        QObject::connect(&tick, &QTimer::timeout, [&] {
            worstMs = qMax(worstMs, double(since.nsecsElapsed()) / 1e6 - kTickMs);
            since.restart();
        });
        tick.start();
        finished = QTest::qWaitFor(
            [&] {
                // qWaitFor itself runs the loop in short turns; a turn that
                // blocks shows in the timer's lateness.
                return done();
            },
            kGiveUpMs);
        worstMs = qMax(worstMs, double(since.nsecsElapsed()) / 1e6 - kTickMs);
        totalMs = double(total.nsecsElapsed()) / 1e6;
    }
};

QByteArray chatFlood()
{
    QByteArray flood;
    for (int i = 0; i < 20000 && flood.size() < 1024 * 1024 - 80; ++i)
        flood += Marker::ChatMarker + "\x1b[2Bob\x1b[1> flood line " + QByteArray::number(i)
            + " with a few words\r\n";
    return flood;
}

QByteArray lastFloodLine(const QByteArray &flood)
{
    const qsizetype at = flood.lastIndexOf("flood line ");
    return flood.mid(at, flood.indexOf(' ', at + 11) - at);
}

QByteArray userListFlood()
{
    QByteArray block = "\x1b[L";
    for (int i = 0; i < 100000; ++i)
        block += "member" + QByteArray::number(i) + "=1;0;0\r\n";
    return block + "\x1b]";
}

QByteArray screenFlood(qsizetype size)
{
    QByteArray screen;
    int row = 0;
    while (screen.size() < size) {
        screen += "\x1b[" + QByteArray::number(row % 20 + 1) + ";1H\x1b[3"
            + QByteArray::number(row % 7 + 1) + "m";
        for (int i = 0; i < 7; ++i)
            screen += "screen text ";
        ++row;
    }
    screen.truncate(size);
    return screen;
}

bool chatShows(TRichEditURL *view, const QByteArray &text)
{
    return view->toPlainText().contains(QString::fromLatin1(text));
}

const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";

template <class Window>
std::unique_ptr<Window> openNode(LoopbackServer &server)
{
    auto window = std::make_unique<Window>(QStringList{server.host(), server.portText(), "Ann", "pw"});
    window->show();
    window->FormActivate();
    if (!server.waitForBytes(Marker::ClientReady, 10000))
        std::fprintf(stderr, "the window did not get ready\n");
    QTest::qWait(100);
    return window;
}

struct Row
{
    const char *attack;
    const char *program;
    StallMeter meter;
    QString note;
};

std::vector<Row> rows;

void report(const char *attack, const char *program, const StallMeter &meter, QString note = {})
{
    std::printf("%-14s %-10s %12.1f %10.1f %s%s\n", attack, program, meter.worstMs,
                meter.totalMs / 1000.0, meter.finished ? "" : "(gave up) ", qPrintable(note));
    std::fflush(stdout);
    rows.push_back({attack, program, meter, note});
}

template <class Window>
void chatFloodOn(const char *program)
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openNode<Window>(server);
    const QByteArray flood = chatFlood();
    const QByteArray last = lastFloodLine(flood);
    StallMeter meter;
    server.send(flood);
    meter.run([&] { return chatShows(window->Memo5, last); });
    report("chat_flood", program, meter);
}

void chatFloodOnParlora()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openNode<TParloras>(server);
    QTest::qWait(1200);   // the room asks to be ready after 900 ms
    const QByteArray flood = chatFlood();
    const QByteArray last = lastFloodLine(flood);
    StallMeter meter;
    server.send(flood);
    meter.run([&] { return chatShows(window->Memo5, last); });
    report("chat_flood", "Parlora", meter);
}

void longLineOnParlora()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openNode<TParloras>(server);
    QTest::qWait(1200);
    StallMeter meter;
    server.send(QByteArray(1024 * 1024, 'x'));
    meter.run([&] { return server.closed() || window->Memo5->document()->characterCount() > 60000; });
    server.send("\r\nafter the long line\r\n");
    meter.run([&] { return chatShows(window->Memo5, "after the long line"); });
    report("long_line", "Parlora", meter);
}

void userListOnParlora()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openNode<TParloras>(server);
    QTest::qWait(1200);
    StallMeter meter;
    // As one read hands it on: a block the connection splits would partly
    // be shown as chat lines.
    QTimer::singleShot(0, window.get(), [&] { window->dispatch(userListFlood()); });
    QTimer::singleShot(0, &server, [&] { server.send("after the list\r\n"); });
    meter.run([&] {
        return window->Memo6->rowCount() == 100000 && chatShows(window->Memo5, "after the list");
    });
    report("user_list", "Parlora", meter);
}

template <class Window>
double screenFloodOn(const char *program)
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openNode<Window>(server);
    const QByteArray flood = screenFlood(10 * 1000 * 1000);
    StallMeter meter;
    server.send(flood);
    // Everything written by the server and drawn by the window.
    meter.run([&] {
        return server.bytesToWrite() == 0 && window->ScreenBuffer().isEmpty()
            && window->clientSocket()->bytesAvailable() == 0;
    });
    const double rate = flood.size() / 1e6 / (meter.totalMs / 1000.0);
    report("screen_flood", program, meter, QStringLiteral("%1 MB/s").arg(rate, 0, 'f', 2));
    return rate;
}

// The lobby: a long line, then a where-is that must be answered.
void longLineOnLobby()
{
    LoopbackServer server(LoopbackServer::OneClient);
    MemorySettings user;
    MemorySettings machine;
    FakeWindowLister windows;
    Platform::setWindowLister(&windows);
    auto form = ConnectLobbyAsAnn(user, machine, server.portText(), server.host());
    if (!server.waitForBytes(kIdent, 10000))
        std::fprintf(stderr, "the lobby did not identify\n");
    server.clearReceived();
    StallMeter meter;
    server.send(QByteArray(4 * 1024 * 1024, 'y'));
    server.send("\r\n\x1b[7Bob \x1b]\xa4\xab" "Ann");
    meter.run([&] { return server.received().contains("Vantora Chat Version"); });
    report("long_line", "VTLobby", meter);
    form.reset();
    Platform::setWindowLister(nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    TestEnvironment::prepare();
    QApplication app(argc, argv);
    InstalledFakes fakes;
    Waits::setTimeScale(0.2);

    std::printf("%-14s %-10s %12s %10s\n", "attack", "program", "worst ms", "total s");
    chatFloodOn<TfrmCardamo>("Cardamo");
    chatFloodOn<TfrmDoodlixTable>("Doodlixf");
    chatFloodOnParlora();
    longLineOnParlora();
    longLineOnLobby();
    userListOnParlora();
    const double cardamo = screenFloodOn<TfrmCardamo>("Cardamo");
    const double portalis = screenFloodOn<TfrmPortalis>("Portalis");

    std::map<std::string, double> worst;
    double overall = 0;
    for (const Row &row : rows) {
        worst[row.attack] = qMax(worst[row.attack], row.meter.worstMs);
        overall = qMax(overall, row.meter.worstMs);
    }
    std::printf("\n");
    for (const auto &[attack, ms] : worst)
        std::printf("ratio worst_stall_ms_%s %.1f\n", attack.c_str(), ms);
    std::printf("ratio worst_stall_ms %.1f\n", overall);
    std::printf("ratio screen_rate_cardamo_vs_portalis %.2f\n", cardamo / portalis);
    return 0;
}
