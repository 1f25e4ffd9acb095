// Hostile servers against the real windows, on loopback: however many
// notices, message boxes, password requests, invitations and buttons a
// server sends, the windows it gets are bounded, what gets no window lands
// in the chat view, the program still answers afterwards, and closing the
// main window closes the program even while one of its dialogs is open.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "Ansi.h"
#include "CellGrid.h"
#include "CardamoU.h"
#include "ChatSession.h"
#include "ClientPrograms.h"
#include "Fakes.h"
#include "LobbyUnderTest.h"
#include "GateletU.h"
#include "GreyMsg.h"
#include "LobbyMain.h"
#include "LoopbackServer.h"
#include "MessageBoxQueue.h"
#include "ParloraU.h"
#include "Platform.h"
#include "PortalisU.h"
#include "ProtocolMarkers.h"
#include "SurfaceButtons.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";
const QByteArray kWhereIs = QByteArray("\x1b[7" "Bob \x1b]\xa4\xab" "Ann");

QByteArray notice(int i)
{
    return Marker::NoticeMarker + " Note " + QByteArray::number(i) + ">Text "
           + QByteArray::number(i);
}

int visibleNotices()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<TfrmGreyMsg *>(w) && w->isVisible() ? 1 : 0;
    return n;
}

int visibleServerBoxes()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += w->objectName() == QLatin1String("ServerMessageBox") && w->isVisible() ? 1 : 0;
    return n;
}

void closeStrayWindows()
{
    MessageBoxQueue::instance().clear();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog *>(w))
            delete w;
}

} // namespace

class tst_HostileWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lobby_notices_fold_into_the_chat();
    void invitations_one_dialog_while_the_connection_goes_on();
    void message_box_captures_one_at_a_time();
    void password_requests_one_dialog_then_quiet();
    void door_terminal_password_requests_one_dialog_then_quiet();
    void room_notices_fold_into_the_chat();
    void thirty_thousand_buttons_make_256();
    void close_ends_the_program_while_a_dialog_is_open();

private:
    void passwordFloodGetsOneDialog(LoopbackServer &server);
    std::unique_ptr<TLobbyMainForm> connectedLobby(LoopbackServer &server);
    std::unique_ptr<InstalledFakes> m_fakes;
    MemorySettings m_user;
    MemorySettings m_machine;
};

void tst_HostileWindows::initTestCase()
{
    Waits::setTimeScale(0.05);
}

void tst_HostileWindows::init()
{
    ResetClientProgramStarts();
    m_fakes = std::make_unique<InstalledFakes>();
    m_user = MemorySettings();
}

void tst_HostileWindows::cleanup()
{
    closeStrayWindows();
    m_fakes.reset();
}

std::unique_ptr<TLobbyMainForm> tst_HostileWindows::connectedLobby(LoopbackServer &server)
{
    auto form = ConnectLobbyAsAnn(m_user, m_machine, server.portText(),
                                  QStringLiteral("127.0.0.1"));
    if (!QTest::qWaitFor([&] { return server.received(0).contains("Ann"); }))
        qWarning("the lobby did not identify itself");
    return form;
}

void tst_HostileWindows::lobby_notices_fold_into_the_chat()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    auto form = connectedLobby(server);
    // One at a time: every notice is seen.
    for (int i = 1; i <= 8; ++i) {
        server.send(notice(i), 0);
        QTRY_VERIFY(visibleNotices() == qMin(i, 3)
                    && (i <= 3 || form->Memo2->toPlainText().contains(
                                      QStringLiteral("Text %1").arg(i))));
    }
    QCOMPARE(visibleNotices(), TfrmGreyMsg::MaxOpen);
    const QString chat = form->Memo2->toPlainText();
    for (int i = 4; i <= 8; ++i)
        QVERIFY(chat.contains(QStringLiteral("Notice: Note %1: Text %1").arg(i)));
    QVERIFY(!chat.contains(QLatin1String("Text 3")));
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("notice was shown here")));

    // A flood: still three windows, and the lobby answers a where-is after it.
    for (int i = 0; i < 1000; ++i)
        server.send(notice(100 + i), 0);
    server.clearReceived(0);
    QTest::qWait(50);
    server.send(kWhereIs, 0);
    QTRY_VERIFY_WITH_TIMEOUT(server.received(0).contains("Vantora Chat Version"),
                             10000);
    QCOMPARE(visibleNotices(), TfrmGreyMsg::MaxOpen);
    // Each read of the flood that folded notices says so in one line.
    QVERIFY(form->Memo2->toPlainText().count(QLatin1String(" shown here: 3 notice windows are open"))
            >= 2);
}

// A thousand invitations: one dialog, the others told in the chat, and
// while the dialog is up the lobby still answers a where-is.
void tst_HostileWindows::invitations_one_dialog_while_the_connection_goes_on()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    auto form = connectedLobby(server);
    server.clearReceived(0);
    FakeDialogs &dialogs = m_fakes->dialogs;
    dialogs.confirmAnswers = {true};
    bool answeredWhileOpen = false;
    dialogs.whileOpen = [&] {
        answeredWhileOpen = QTest::qWaitFor(
            [&] { return server.received(0).contains("Vantora Chat Version"); },
            10000);
    };
    for (int i = 0; i < 1000; ++i)
        server.send(Marker::InviteMarker + ":" + QByteArray::number(5001 + i) + "[Bob"
                           + QByteArray::number(i), 0);
    server.send(kWhereIs, 0);
    QTRY_VERIFY(!dialogs.asked.isEmpty());
    // The others are told in the chat (which keeps its last lines only).
    QTRY_VERIFY_WITH_TIMEOUT(form->Memo2->toPlainText().contains(QLatin1String(
                                 "Bob999 Invites You To Chat (another invitation is open).")),
                             10000);
    QVERIFY(form->Memo2->toPlainText().count(QLatin1String("(another invitation is open)"))
            >= form->chatSession().MaxLines - 10);
    QVERIFY(answeredWhileOpen);
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(dialogs.asked[0].text, QStringLiteral("Bob0 Invites You To Chat..\nAccept ?"));
    // The one accepted starts the chat room on its own port.
    QTRY_COMPARE(m_fakes->launcher.launches.size(), 1);
    QVERIFY(m_fakes->launcher.launches[0].arguments.contains(QStringLiteral("5001")));
}

void tst_HostileWindows::message_box_captures_one_at_a_time()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto door = TestEnvironment::shownWindow<TfrmPortalis>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    QByteArray boxes;
    for (int i = 0; i < 1000; ++i)
        boxes += "\x1b[W box " + QByteArray::number(i) + "}";
    server.send(boxes);
    // Every text is accounted for: one open, sixteen waiting, the rest told
    // as dropped in the chat.
    const QRegularExpression line(QStringLiteral("(\\d+) message boxes from the server were dropped"));
    auto droppedTold = [&] {
        int dropped = 0;
        for (auto m = line.globalMatch(door->Memo5->toPlainText()); m.hasNext();)
            dropped += m.next().captured(1).toInt();
        return dropped;
    };
    QTRY_COMPARE_WITH_TIMEOUT(droppedTold(), 1000 - 1 - MessageBoxQueue::MaxWaiting, 20000);
    QCOMPARE(visibleServerBoxes(), 1);
    QCOMPARE(MessageBoxQueue::instance().waiting(), MessageBoxQueue::MaxWaiting);
    // The next waiting text opens as the user closes the box.
    auto *box = qobject_cast<QMessageBox *>(MessageBoxQueue::instance().openBox());
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral(" box 0"));
    box->close();
    QTRY_VERIFY(MessageBoxQueue::instance().openBox()
                && qobject_cast<QMessageBox *>(MessageBoxQueue::instance().openBox())->text()
                       == QStringLiteral(" box 1"));
    QCOMPARE(visibleServerBoxes(), 1);
    // The door still answers a report request.
    server.clearReceived();
    server.send("\x1b[6n");
    QVERIFY(server.waitForBytes("\x1b[6"));
}

// Twenty password requests while the first dialog is up (its own event
// loop reads on), then, the dialog cancelled, twenty more right after:
// one dialog in all, and its cancel the only answer.
void tst_HostileWindows::passwordFloodGetsOneDialog(LoopbackServer &server)
{
    FakeDialogs &dialogs = m_fakes->dialogs;
    const auto twentyRequests = [&server] {
        for (int i = 0; i < 20; ++i) {
            server.send(Marker::PasswordMarker);
            QTest::qWait(5);
        }
        QTest::qWait(100);
    };
    int nested = 0;
    dialogs.whileOpen = [&] {
        dialogs.whileOpen = nullptr;
        twentyRequests();
        nested = int(dialogs.asked.size());
    };
    server.clearReceived();
    server.send(Marker::PasswordMarker);
    QTRY_COMPARE(dialogs.asked.size(), 1);
    QTRY_VERIFY(server.received().contains(Marker::PasswordMarker));
    QCOMPARE(nested, 1);
    twentyRequests();
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(server.received(), Marker::PasswordMarker);
}

void tst_HostileWindows::password_requests_one_dialog_then_quiet()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto table = TestEnvironment::shownWindow<TfrmCardamo>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    passwordFloodGetsOneDialog(server);
    if (QTest::currentTestFailed())
        return;
    // The table still takes screen data and chat.
    table->dispatch(Marker::ChatMarker + "still here\r\n");
    QTRY_VERIFY(table->Memo5->toPlainText().contains(QLatin1String("still here")));
}

void tst_HostileWindows::door_terminal_password_requests_one_dialog_then_quiet()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto door = TestEnvironment::shownWindow<TfrmGatelet>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    passwordFloodGetsOneDialog(server);
    if (QTest::currentTestFailed())
        return;
    // The door still takes screen data.
    QTRY_VERIFY(door->ScreenBuffer().isEmpty() && !door->Feeding());
    door->dispatch("still here");
    QCOMPARE(door->ScreenBuffer(), QByteArray("still here"));
    QTRY_VERIFY(door->ScreenBuffer().isEmpty() && !door->Feeding());
    QByteArray screen;
    for (int row = 0; row <= 26; ++row)
        for (int column = 0; column <= 80; ++column)
            screen += char(door->engine()->Cells().at(column, row).Char);
    QVERIFY(screen.contains("still here"));
}

void tst_HostileWindows::room_notices_fold_into_the_chat()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto room = TestEnvironment::shownWindow<TParloras>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    room->EndProgram = [] {};
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    for (int i = 1; i <= 5; ++i) {
        server.send(notice(i));
        QTRY_VERIFY(visibleNotices() == qMin(i, 3)
                    && (i <= 3 || room->Memo5->toPlainText().contains(
                                      QStringLiteral("Text %1").arg(i))));
    }
    for (int i = 0; i < 1000; ++i)
        server.send(notice(100 + i));
    QTRY_VERIFY(room->Memo5->toPlainText().count(QLatin1String(" shown here: 3 notice windows are open"))
                >= 2);
    QCOMPARE(visibleNotices(), TfrmGreyMsg::MaxOpen);
}

void tst_HostileWindows::thirty_thousand_buttons_make_256()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto door = TestEnvironment::shownWindow<TfrmPortalis>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    const qsizetype before = door->Scrollbox1->findChildren<QAbstractButton *>().size();
    QByteArray buttons;
    for (int i = 0; i < 30000; ++i)
        buttons += "\x1b[" + QByteArray::number(1 + i % 70) + ";" + QByteArray::number(1 + i % 30)
                   + ";" + QByteArray::number(5 + i % 70) + ";" + QByteArray::number(3 + i % 30)
                   + ";1;4Wb" + QByteArray::number(i) + "|B;hint>";
    server.send(buttons);
    QTRY_COMPARE_WITH_TIMEOUT(door->Scrollbox1->findChildren<QAbstractButton *>().size() - before,
                              TSurfaceButtons::MaxButtons, 60000);
    QVERIFY(QTest::qWaitFor([&] { return door->ScreenBuffer().isEmpty() && !door->Feeding(); },
                            60000));
    const QList<QAbstractButton *> made = door->Scrollbox1->findChildren<QAbstractButton *>();
    QCOMPARE(made.size() - before, TSurfaceButtons::MaxButtons);
    // Painting all that is left does not overflow anything.
    QVERIFY(!door->grab().isNull());
}

void tst_HostileWindows::close_ends_the_program_while_a_dialog_is_open()
{
    // The real dialogs this time.
    UserDialogs::setCurrent(nullptr);
    LoopbackServer server(LoopbackServer::OneClient);
    auto table = TestEnvironment::shownWindow<TfrmCardamo>(
        QStringList{server.host(), server.portText(), "Ann", "pw"});
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    bool closed = false;
    // The password dialog comes up; the user closes the table while it is.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        const QList<QInputDialog *> open = table->findChildren<QInputDialog *>();
        if (open.isEmpty() || !open.constFirst()->isVisible())
            return;
        poll.stop();
        table->close();
        closed = true;
    });
    poll.start();
    server.send(Marker::PasswordMarker);
    QTRY_VERIFY(closed);
    // The dialog went with the close, and the table closes all the way.
    QTRY_VERIFY(table->findChildren<QInputDialog *>().isEmpty());
    QTRY_VERIFY(!table->isVisible());
    int shown = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        shown += w->isVisible() ? 1 : 0;
    QCOMPARE(shown, 0);
    UserDialogs::setCurrent(&m_fakes->dialogs);
}

VT_TEST_MAIN(tst_HostileWindows)
#include "tst_hostile_windows.moc"
