// The chat panel the node clients share, without a window: its password
// dialogs, the lines and whispers the user sends, and what it shows.

#include <QtTest>

#include <QPlainTextEdit>
#include <QTcpSocket>

#include "ChatSession.h"
#include "Fakes.h"
#include "LoopbackServer.h"
#include "NodeChatPanel.h"
#include "NodeSession.h"
#include "PlatformChatHost.h"
#include "ProtocolMarkers.h"
#include "TestMain.h"
#include "UserListView.h"
#include "WorkQueue.h"
#include "uRichEditWithLinks.h"

namespace {

// A panel over bare views and a socket connected to a loopback server.
struct PanelUnderTest
{
    explicit PanelUnderTest(LoopbackServer &server)
    {
        views.view = &view;
        views.list = &list;
        views.input = &input;
        views.listHeader = &header;
        session.UserName = "Ann";
        session.ChatColorPrefix = "<c>";
        session.ChatStylePrefix = "<s>";
        panel = std::make_unique<NodeChatPanel>(&window, session, views, &socket, &work,
                                                std::make_unique<PlatformChatHost>());
        panel->Closing = [this] { return closing; };
        socket.connectToHost(server.host(), server.port());
        connected = socket.waitForConnected(5000) && server.waitForClient();
    }

    QWidget window;
    TRichEditURL view;
    TUserListView list;
    QPlainTextEdit input;
    QWidget header;
    QTcpSocket socket;
    WorkQueue work;
    NodeSession session;
    NodeChatPanel::Views views;
    std::unique_ptr<NodeChatPanel> panel;
    bool closing = false;
    bool connected = false;
};

} // namespace

class TestNodeChatPanel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void serverPasswordRequestsWaitAfterACancel();
    void lockDialogCancelAndClosing();
    void typedLinesAndWhispers();
    void notesShowServerTextInert();

private:
    std::unique_ptr<InstalledFakes> m_fakes;
};

void TestNodeChatPanel::init()
{
    m_fakes = std::make_unique<InstalledFakes>();
}

void TestNodeChatPanel::cleanup()
{
    m_fakes.reset();
}

void TestNodeChatPanel::serverPasswordRequestsWaitAfterACancel()
{
    LoopbackServer server(LoopbackServer::OneClient);
    PanelUnderTest t(server);
    QVERIFY(t.connected);
    FakeDialogs &dialogs = m_fakes->dialogs;

    // Cancelled: the marker goes alone, and the server cannot ask straight again.
    dialogs.textAnswers = {QString(), QStringLiteral("late")};
    t.panel->AnswerPasswordRequest();
    QVERIFY(server.waitForBytes(Marker::PasswordMarker));
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(dialogs.asked.at(0).caption, QStringLiteral("Security"));
    t.panel->AnswerPasswordRequest();
    QCOMPARE(dialogs.asked.size(), 1);

    // The user's own lock request is not held by the server's quiet time.
    t.panel->AskLockPassword(false);
    QCOMPARE(dialogs.asked.size(), 2);
    QCOMPARE(dialogs.asked.at(1).caption, QStringLiteral("Room Security"));
    QVERIFY(server.waitForBytes(Marker::PasswordMarker + "late"));

    // While one dialog is open, a server request opens no second one.
    dialogs.textAnswers = {QStringLiteral("inner"), QStringLiteral("outer")};
    int nested = 0;
    dialogs.whileOpen = [&] {
        dialogs.whileOpen = nullptr;
        t.panel->AnswerPasswordRequest();
        nested = int(dialogs.asked.size());
    };
    t.panel->AskLockPassword(false);
    QCOMPARE(nested, 3);
    QVERIFY(server.waitForBytes("late" + Marker::PasswordMarker + "inner"));
}

void TestNodeChatPanel::lockDialogCancelAndClosing()
{
    LoopbackServer server(LoopbackServer::OneClient);
    PanelUnderTest t(server);
    QVERIFY(t.connected);
    FakeDialogs &dialogs = m_fakes->dialogs;

    // The game frame sends nothing for a cancelled lock, the chat room the marker alone.
    dialogs.textAnswers = {QString(), QString()};
    t.panel->AskLockPassword(false);
    t.panel->AskLockPassword(true);
    QVERIFY(server.waitForBytes(Marker::PasswordMarker));
    QCOMPARE(server.received(), Marker::PasswordMarker);

    // A window that closes while its dialog is open sends no answer, and
    // opens no dialog afterwards.
    server.clearReceived();
    dialogs.textAnswers = {QStringLiteral("secret")};
    dialogs.whileOpen = [&] { t.closing = true; };
    t.panel->AnswerPasswordRequest();
    dialogs.whileOpen = nullptr;
    QCOMPARE(dialogs.asked.size(), 3);
    t.panel->AskLockPassword(true);
    t.panel->AnswerPasswordRequest();
    QCOMPARE(dialogs.asked.size(), 3);
    QTest::qWait(50);
    QVERIFY(server.received().isEmpty());
}

void TestNodeChatPanel::typedLinesAndWhispers()
{
    LoopbackServer server(LoopbackServer::OneClient);
    PanelUnderTest t(server);
    QVERIFY(t.connected);

    // Leading empty lines go, the lead and the user's prefixes come first.
    t.input.setPlainText(QStringLiteral("\nhello"));
    QVERIFY(t.panel->SendTypedLine("+", true));
    QVERIFY(t.input.toPlainText().isEmpty());
    QVERIFY(server.waitForBytes("+<c><s>hello"));

    // A line the program holds back is dropped unsent; an empty one too.
    server.clearReceived();
    t.input.setPlainText(QStringLiteral("unheard"));
    QVERIFY(!t.panel->SendTypedLine({}, false));
    QVERIFY(t.input.toPlainText().isEmpty());
    QVERIFY(!t.panel->SendTypedLine({}, true));

    // One private message for each selected player; held back, none goes,
    // and the input empties either way.
    t.input.setPlainText(QStringLiteral("quiet"));
    t.panel->Whisper({"Bob", "Cy"}, false);
    QVERIFY(t.input.toPlainText().isEmpty());
    t.input.setPlainText(QStringLiteral("psst\nmore"));
    t.panel->Whisper({"Bob", "Cy"}, true);
    QVERIFY(t.input.toPlainText().isEmpty());
    QTRY_COMPARE(server.received().count("psst\r\nmore"), 2);
    QVERIFY(!server.received().contains("unheard"));
    QVERIFY(!server.received().contains("quiet"));
    QVERIFY(server.received().contains("Bob"));
    QVERIFY(server.received().contains("Cy"));

    // Nobody selected: the typed text stays.
    t.input.setPlainText(QStringLiteral("kept"));
    t.panel->Whisper({}, true);
    QCOMPARE(t.input.toPlainText(), QStringLiteral("kept"));

    // Nothing goes once the connection is down.
    t.socket.abort();
    QVERIFY(!t.panel->Send("late"));
}

void TestNodeChatPanel::notesShowServerTextInert()
{
    LoopbackServer server(LoopbackServer::OneClient);
    PanelUnderTest t(server);
    t.panel->TakeSession();
    QCOMPARE(t.panel->chatSession().UserName, QByteArray("Ann"));

    // Server words inside a note of the program's own are shown as they
    // stand: the codes in them end nothing and start nothing.
    t.panel->Show("before\r\n");
    t.panel->Note(QStringLiteral("Not fetched: a\x1b]b\x1b[Bc\r\nd"));
    t.panel->Show("after\r\n");
    QTRY_VERIFY(t.work.isEmpty());
    const QString shown = t.view.toPlainText();
    QVERIFY2(shown.contains(QLatin1String("Not fetched: a ]b [Bc  d")), qPrintable(shown));
    QVERIFY(shown.indexOf(QLatin1String("before")) < shown.indexOf(QLatin1String("Not fetched")));
    QVERIFY(shown.indexOf(QLatin1String("Not fetched")) < shown.indexOf(QLatin1String("after")));
}

VT_TEST_MAIN(TestNodeChatPanel)
#include "tst_nodechatpanel.moc"
