// The node client frame against a node server on loopback: identification,
// the dispatch of what arrives, feeding the screen engine, the chat panel,
// the lock, closing, and the end of the connection.

#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QToolButton>

#include "Ansi.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "Fakes.h"
#include "LoopbackServer.h"
#include "MessageBoxQueue.h"
#include "NodeChatPanel.h"
#include "NodeClientFrame.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "Shape.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserListView.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";

QByteArray players(const QList<QByteArray> &lines)
{
    return Marker::ChatMarker + Marker::PlayerListLine + lines.join("\r\n") + "\x1b]";
}

} // namespace

class TestNodeFrame : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void identifiesThenReadyLater();
    void noUserNameClosesAfterConnecting();
    void hostAndPortDefaults();
    void refusedConnectionShowsTheError();
    void serverClosingClosesTheWindow();
    void chatIsShownBeforeQueuedScreenBytesAreDrawn();
    void lockOfferAndTitleFromTheServer();
    void passwordRequest_data();
    void passwordRequest();
    void chatInputSendsWithPrefixes();
    void playerMenuAndWhispers();
    void voteMenu();
    void lockButtonAsksForARoomPassword();
    void secondCloseMinimises();
    void droppedBoxesAfterTheWindowHasGone();
    void darkTestOnTheStoredValue();
    void showChatHeights();
    void linksOpenOnlyForSafeSchemes();
    void surfaceText();

private:
    std::unique_ptr<TNodeClientFrame> open(LoopbackServer &server, const QStringList &args);
    std::unique_ptr<TNodeClientFrame> openConnected(LoopbackServer &server);

    std::unique_ptr<InstalledFakes> m_fakes;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestNodeFrame::initTestCase()
{
    Waits::setTimeScale(0.2);
}

void TestNodeFrame::init()
{
    m_fakes = std::make_unique<InstalledFakes>();
    m_dialogs = &m_fakes->dialogs;
    m_sound = &m_fakes->sound;
    TestEnvironment::forgetSuiteSettings();
}

void TestNodeFrame::cleanup()
{
    m_fakes.reset();
}

std::unique_ptr<TNodeClientFrame> TestNodeFrame::open(LoopbackServer &, const QStringList &args)
{
    auto frame = std::make_unique<TNodeClientFrame>(NodeFrameOptions{}, args);
    frame->show();
    frame->FormActivate();
    return frame;
}

std::unique_ptr<TNodeClientFrame> TestNodeFrame::openConnected(LoopbackServer &server)
{
    auto frame = open(server, {server.host(), server.portText(), "Ann", "pw"});
    if (!server.waitForBytes(kIdent + Marker::ClientReady))
        qWarning("the client did not get ready");
    return frame;
}

void TestNodeFrame::identifiesThenReadyLater()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = open(server, {server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    QCOMPARE(server.received(), kIdent + Marker::ClientReady);
    const qint64 gap = server.timeOf(kIdent + Marker::ClientReady) - server.timeOf(kIdent);
    QVERIFY2(gap >= Waits::scaled(200) - 10, qPrintable(QString::number(gap)));
    QVERIFY(frame->Memo5->toPlainText().contains(QLatin1String("Connecting...")));
    QTRY_COMPARE(frame->Shape1->brushColor(), QColor(0, 255, 0));
    QCOMPARE(frame->Shape2->brushColor(), QColor(0, 255, 0));
    QVERIFY(frame->isVisible());
}

void TestNodeFrame::noUserNameClosesAfterConnecting()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = open(server, {server.host(), server.portText()});
    QVERIFY(server.waitForClient());
    QTRY_VERIFY(!frame->isVisible());
    QVERIFY(!server.received().contains(Marker::IdentifyOpen));
}

void TestNodeFrame::hostAndPortDefaults()
{
    RegistrySettings store;
    store.writeString(VantoraKey("Server"), QStringLiteral("table.example"));
    store.flush();
    TNodeClientFrame frame(NodeFrameOptions{}, {});
    QCOMPARE(frame.session().NodeHost, QByteArray("table.example"));
    QCOMPARE(frame.session().NodePort, 1030);
    QVERIFY(frame.session().UserName.isEmpty());

    store.removeKey(VantoraKey("Server"));
    store.flush();
    TNodeClientFrame second(NodeFrameOptions{}, {});
    QCOMPARE(second.session().NodeHost, QByteArray("localhost"));

    TNodeClientFrame third(NodeFrameOptions{}, {"h", "12.5", "u", "p"});
    QCOMPARE(third.session().NodeHost, QByteArray("h"));
    QCOMPARE(third.session().NodePort, 12);
    QCOMPARE(third.session().UserName, QByteArray("u"));
    QCOMPARE(third.session().Password, QByteArray("p"));
}

void TestNodeFrame::refusedConnectionShowsTheError()
{
    // A port nobody listens on: take one and let it go again.
    const quint16 port = LoopbackServer::unusedPort();
    LoopbackServer unused(LoopbackServer::OneClient);
    auto frame = open(unused, {"127.0.0.1", QString::number(port), "Ann", "pw"});
    QTRY_VERIFY(frame->Memo5->toPlainText().contains(QLatin1String("Try Again Later.")));
    QVERIFY(frame->Memo5->toPlainText().contains(
        QLatin1String("Error Connecting to NODE Server: 127.0.0.1")));
    QTest::qWait(50);
    QVERIFY(frame->isVisible());
    QVERIFY(!frame->Lock->isEnabled());
}

void TestNodeFrame::serverClosingClosesTheWindow()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    server.send(Marker::ChatMarker + "bye now\r\n");
    server.hangUp();
    QTRY_VERIFY(!frame->isVisible());
    const QString chat = frame->Memo5->toPlainText();
    QVERIFY(chat.contains(QLatin1String("bye now")));
    QVERIFY(chat.contains(QLatin1String("Connection Terminated.")));
    QCOMPARE(frame->Shape1->brushColor(), QColor(0, 255, 0));
}

void TestNodeFrame::chatIsShownBeforeQueuedScreenBytesAreDrawn()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    TSurfaceImage *surface = frame->Image2;
    const QImage before = surface->image().copy();

    // Screen bytes A, a chat line, screen bytes B, in one chunk.
    const QByteArray a = "\x1b[1m\x1b[31m\x1b[3;5HAAAA";
    const QByteArray b = "\x1b[5;5HBBBB";
    frame->dispatch(a + Marker::ChatMarker + "Bob> hello\r\n" + b);
    // The chat is in the view at once; the screen bytes wait in the queue.
    QVERIFY(frame->Memo5->toPlainText().contains(QLatin1String("Bob> hello")));
    QCOMPARE(frame->ScreenBuffer(), a + b);
    QCOMPARE(surface->image(), before);
    QCOMPARE(frame->Shape1->brushColor(), QColor(0, 128, 0));
    QCOMPARE(frame->Shape2->brushColor(), QColor(128, 0, 0));

    // The event loop then feeds them: red text appears on row 3.
    QTRY_VERIFY(frame->ScreenBuffer().isEmpty());
    TAnsi *engine = frame->engine();
    const QRect row3(5 * engine->CellWidth(), 3 * engine->CellHeight(), 4 * engine->CellWidth(),
                     engine->CellHeight());
    int red = 0;
    for (int y = row3.top(); y <= row3.bottom(); ++y)
        for (int x = row3.left(); x <= row3.right(); ++x)
            red += surface->image().pixel(x, y) == qRgb(255, 0, 0);
    QVERIFY(red > 10);
    QCOMPARE(engine->CharAtCell(5, 5), quint8('B'));
}

void TestNodeFrame::lockOfferAndTitleFromTheServer()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    QVERIFY(!frame->Lock->isVisible());
    server.send("ab" + Marker::LockOffer + "cd");
    QTRY_VERIFY(frame->Lock->isVisible());
    QVERIFY(frame->Lock->isEnabled());
    QCOMPARE(frame->Lock->toolTip(), QStringLiteral("Lock"));

    frame->dispatch(Marker::ChatMarker + "old line\r\n");
    frame->dispatch("lost" + Marker::TitleMarker + "Hearts Table 4\r\nscreen");
    QCOMPARE(frame->windowTitle(), QStringLiteral("Hearts Table 4"));
    QVERIFY(!frame->Memo5->toPlainText().contains(QLatin1String("old line")));
    QVERIFY(frame->ScreenBuffer().endsWith("screen") || frame->ScreenBuffer().isEmpty());
}

void TestNodeFrame::passwordRequest_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("typed") << QStringLiteral("s3cret") << QByteArray(Marker::PasswordMarker + "s3cret");
    QTest::newRow("cancelled") << QString() << Marker::PasswordMarker;
}

void TestNodeFrame::passwordRequest()
{
    QFETCH(QString, answer);
    QFETCH(QByteArray, sent);
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    m_dialogs->textAnswers = {answer};
    server.send(Marker::PasswordMarker + "rest" + Marker::ChatMarker + "not shown\r\n");
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady + sent));
    QTest::qWait(30);
    QCOMPARE(server.received(), kIdent + Marker::ClientReady + sent);
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked.at(0).caption, QStringLiteral("Security"));
    QCOMPARE(m_dialogs->asked.at(0).text, QStringLiteral(" Enter Password :"));
    QVERIFY(!frame->Memo5->toPlainText().contains(QLatin1String("not shown")));
    QVERIFY(frame->ScreenBuffer().isEmpty());
}

void TestNodeFrame::chatInputSendsWithPrefixes()
{
    RegistrySettings store;
    store.writeString(VantoraKey("ATColor"), QString::fromLatin1("\x1b[4"));
    store.writeString(VantoraKey("ATStyle"), QString::fromLatin1("\x1b[B"));
    store.flush();
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    const QByteArray start = server.received();

    frame->Memo4->setFocus();
    frame->Memo4->setPlainText(QStringLiteral("\n\nhello\nthere"));
    QTest::keyClick(frame->Memo4, Qt::Key_Return);
    QVERIFY(server.waitForBytes("there"));
    QCOMPARE(server.received().mid(start.size()), QByteArray("\x1b[4\x1b[Bhello\r\nthere"));
    QVERIFY(frame->Memo4->toPlainText().isEmpty());

    // Only empty lines: nothing is sent, the input is emptied.
    frame->Memo4->setPlainText(QStringLiteral("\n\n"));
    frame->bitbtn3->click();
    QTest::qWait(30);
    QCOMPARE(server.received().mid(start.size()), QByteArray("\x1b[4\x1b[Bhello\r\nthere"));
    QVERIFY(frame->Memo4->toPlainText().isEmpty());
}

void TestNodeFrame::playerMenuAndWhispers()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    const qsizetype start = server.received().size();
    frame->dispatch(players({"Ann=1;0;1500", "Bob=2;0;1200", "Cy=3;0;900"}));
    QCOMPARE(frame->Memo6->rowCount(), 3);
    QCOMPARE(frame->Panel6->text(), QStringLiteral("3 Player(s)"));
    QCOMPARE(frame->playerTip(1), QStringLiteral("Rating = 1200"));

    frame->PopupMenu4Popup();
    QVERIFY(!frame->MenuItem1->isEnabled());
    QVERIFY(!frame->MenuItem2->isEnabled());

    frame->Memo6->topLevelItem(1)->setSelected(true);
    frame->PopupMenu4Popup();
    QVERIFY(frame->MenuItem1->isEnabled());
    QVERIFY(!frame->MenuItem2->isEnabled());   // nothing typed
    QCOMPARE(frame->MenuItem1->text(), QStringLiteral("Where is Bob ?"));
    QCOMPARE(frame->MenuItem2->text(), QStringLiteral("Whisper to Bob"));
    frame->MenuItem1->trigger();
    QVERIFY(server.waitForBytes(Marker::WhereIsRequest + "Bob"));

    for (int row : {0, 2})
        frame->Memo6->topLevelItem(row)->setSelected(true);
    frame->Memo4->setPlainText(QStringLiteral("psst"));
    frame->PopupMenu4Popup();
    QVERIFY(frame->MenuItem2->isEnabled());
    QCOMPARE(frame->MenuItem2->text(), QStringLiteral("Whisper to Selected"));
    QCOMPARE(frame->MenuItem1->text(), QStringLiteral("Where is Ann ?"));
    frame->MenuItem2->trigger();
    const QByteArray whispers = "/msg Ann psst\r\n/msg Bob psst\r\n/msg Cy psst\r\n";
    QVERIFY(server.waitForBytes(whispers));
    QCOMPARE(server.received().mid(start), Marker::WhereIsRequest + "Bob" + whispers);
    QVERIFY(frame->Memo4->toPlainText().isEmpty());
}

void TestNodeFrame::voteMenu()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    frame->PopupMenu1Popup();
    QVERIFY(frame->PopupMenu1->actions().isEmpty());

    frame->setWindowTitle(QStringLiteral("Spades Table 1"));
    frame->dispatch(players({"\x1b[2Ann=1;0;1", "A&B=1;0;1", "ann=1;0;1"}));
    frame->session().UserName = "Ann";
    frame->PopupMenu1Popup();
    QStringList texts;
    for (QAction *a : frame->PopupMenu1->actions())
        texts << a->text();
    QCOMPARE(texts, (QStringList{"Not Rate The Game", "Boot A&&B", "Boot ann"}));

    const qsizetype start = server.received().size();
    frame->PopupMenu1->actions().at(1)->trigger();
    QVERIFY(server.waitForBytes("Votes to Boot AB"));
    QCOMPARE(server.received().mid(start), QByteArray("Votes to Boot AB"));

    // An empty list keeps what the menu showed.
    frame->dispatch(players({}));
    frame->PopupMenu1Popup();
    QCOMPARE(frame->PopupMenu1->actions().size(), 3);
}

void TestNodeFrame::lockButtonAsksForARoomPassword()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    const qsizetype start = server.received().size();
    m_dialogs->textAnswers = {QString(), QStringLiteral("door")};
    frame->LockExecute();   // cancelled
    frame->LockExecute();
    QVERIFY(server.waitForBytes(Marker::PasswordMarker + "door"));
    QCOMPARE(server.received().mid(start), QByteArray(Marker::PasswordMarker + "door"));
    QCOMPARE(m_dialogs->asked.at(0).caption, QStringLiteral("Room Security"));
}

void TestNodeFrame::secondCloseMinimises()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = openConnected(server);
    QVERIFY(!frame->close());   // the connection is closed first, then the window
    QVERIFY(frame->Closing());
    QVERIFY(frame->Feeding());
    QVERIFY(!frame->close());
    QVERIFY(frame->isMinimized());
    QTRY_VERIFY(server.closed());
    QTRY_VERIFY(!frame->isVisible());
}

void TestNodeFrame::darkTestOnTheStoredValue()
{
    LoopbackServer server(LoopbackServer::OneClient);
    {
        auto frame = open(server, {server.host(), server.portText(), "Ann", "pw"});
        // The system colour 0x80000005 reads as red 5, green 0, blue 0.
        QVERIFY(frame->session().DarkBackground);
        QVERIFY(frame->chatSession().DarkView);
    }
    RegistrySettings store;
    store.writeColor(VantoraKey("WinColor"), 0xF0F0F0);
    store.writeColor(VantoraKey("DefColor"), 0x00FF00);
    store.flush();
    auto frame = open(server, {server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(!frame->session().DarkBackground);
    QCOMPARE(frame->session().TextColour, TColor(0x00FF00));
    // Light background: the contrast colour, two thirds of each part.
    QCOMPARE(frame->Memo5->fontColor(), RGBToTColor(0, 170, 0));
    QCOMPARE(frame->Memo4->palette().color(QPalette::Base), QColor(0xF0, 0xF0, 0xF0));
    QCOMPARE(frame->Memo6->palette().color(QPalette::Base), QColor(0xF0, 0xF0, 0xF0));
}

void TestNodeFrame::showChatHeights()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = open(server, {server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    QTRY_COMPARE(frame->Scroller->height(), 521);
    frame->SpeedButton5->click();
    QTRY_COMPARE(frame->Scroller->height(), 400);
    frame->SpeedButton5->click();
    QTRY_COMPARE(frame->Scroller->height(), 521);
}

void TestNodeFrame::linksOpenOnlyForSafeSchemes()
{
    LoopbackServer server(LoopbackServer::OneClient);
    TNodeClientFrame frame(NodeFrameOptions{}, {server.host(), server.portText(), "Ann", "pw"});
    QList<QUrl> opened;
    frame.chatPanel().UrlOpener = [&](const QUrl &url) {
        opened << url;
        return true;
    };
    frame.OpenLink("http://example.com/page");
    frame.OpenLink("file:///etc/passwd");
    QCOMPARE(opened, QList<QUrl>{QUrl("http://example.com/page")});
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked.at(0).text, QStringLiteral("Sorry !  Unable to Execute file:///etc/passwd"));
}

void TestNodeFrame::droppedBoxesAfterTheWindowHasGone()
{
    // The program's message box queue outlives a window that reported its
    // drops: a burst after the window has gone is logged, not reported to it.
    RecordedMessageBoxes boxes;
    MessageBoxQueue &queue = MessageBoxQueue::instance();
    {
        LoopbackServer server(LoopbackServer::OneClient);
        auto frame = openConnected(server);
        for (int i = 0; i < MessageBoxQueue::MaxWaiting + 3; ++i)
            queue.show("box");
        QTRY_VERIFY(frame->Memo5->toPlainText().contains(
            QLatin1String("2 message boxes from the server were dropped")));
        queue.clear();
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("5 message boxes from the server were dropped"));
    for (int i = 0; i < MessageBoxQueue::MaxWaiting + 6; ++i)
        queue.show("box");
    QTest::qWait(20);
}

void TestNodeFrame::surfaceText()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto frame = open(server, {server.host(), server.portText(), "Ann", "pw"});
    QImage &image = frame->Image2->image();
    image.fill(qRgb(0, 0, 255));
    frame->engine()->Surface()->setBrushColor(QColor(0, 0, 0));
    // Opaque red (code 31) and transparent bold green (code 92 = bold, 62 -> 32).
    frame->DrawSurfaceText(TAnsiRect{20, 20, 12, 31}, "HHHH");
    frame->DrawSurfaceText(TAnsiRect{20, 80, 12, 92}, "HHHH");
    auto countIn = [&](QRect area, QRgb colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixel(x, y) == colour;
        return n;
    };
    const QRect first(20, 20, 40, 14), second(20, 80, 40, 14);
    QVERIFY(countIn(first, qRgb(255, 0, 0)) > 10);
    QVERIFY(countIn(first, qRgb(0, 0, 0)) > 10);          // the brush behind the text
    QVERIFY(countIn(second, qRgb(0, 255, 0)) > 10);
    QCOMPARE(countIn(second, qRgb(0, 0, 0)), 0);          // nothing behind it
    QCOMPARE(frame->engine()->Surface()->brush().style(), Qt::SolidPattern);
}

VT_TEST_MAIN(TestNodeFrame)
#include "tst_nodeframe.moc"
