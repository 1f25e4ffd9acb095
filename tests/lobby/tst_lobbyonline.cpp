// The lobby against a fake lobby server on the loopback: what goes over the
// wire, byte for byte, and what the window shows.

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "Ansi.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "Fakes.h"
#include "GreyMsg.h"
#include "IAeverButton.h"
#include "LobbyDispatch.h"
#include "LobbyMain.h"
#include "LobbyMedia.h"
#include "LoginU.h"
#include "GameMenuFrame.h"
#include "LoopbackServer.h"
#include "Platform.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "TrayIcon.h"
#include "Printable.h"
#include "ClientPrograms.h"
#include "SteadyClock.h"
#include "TestMain.h"
#include "UserListView.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QString Identification = QStringLiteral("\\x1b[\\xbdAnn\\x1b]pw");

} // namespace

class tst_LobbyOnline : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void identifies_itself_in_one_piece();
    void introduction_once_across_a_reconnection();
    void ready_marker_in_the_middle_of_a_chunk();
    void keep_alive_only_blinks();
    void menu_commands_hand_the_port_to_the_frames();
    void notices_while_here_and_away();
    void invitation_accepted_declined_and_missing();
    void where_is_reply_content();
    void blank_user_name_closes_the_lobby_once_connected();
    void invalid_user_asks_for_the_login_again();
    void other_rejection_ends_the_lobby();
    void hang_up_shows_the_pause_notice();
    void tray_exit_ends_a_connected_lobby_out_of_sight_data();
    void tray_exit_ends_a_connected_lobby_out_of_sight();
    void connection_error_notice();
    void players_header_logs_in_again();
    void entering_the_message_box();
    void chat_prefix_colour_bold_and_font();
    void bold_twice_and_bold_then_italic();
    void two_lines_one_piece_and_empty_box();
    void mute_is_sent_then_silences();
    void away_twice_sends_presence_once();
    void online_icon_13();
    void quick_texts();
    void list_header_selection_and_hints();
    void menus_by_own_rank();
    void menu_commands_send_their_bytes();
    void whisper_to_three_users();
    void insert_button_and_menu();
    void appearance_colours();
    void menu_pages_open_their_menus();
    void menu_server_leaving_returns_to_the_chat();
    void menu_switches_the_server();
    void chat_links_data();
    void chat_links();
    void quick_launch_picks_from_the_games_menu();
    void quick_launch_gives_up_without_a_menu();

private:
    std::unique_ptr<TLobbyMainForm> connectedLobby(const QByteArray &name = "Ann",
                                                  bool waitForIdentification = true);
    FakeSoundPlayer m_sound;
    FakeLauncher m_launcher;
    FakeWindowLister m_windows;
    FakeDialogs m_dialogs;
    MemorySettings m_user;
    MemorySettings m_machine;
    LoopbackServer *m_server = nullptr;
};

void tst_LobbyOnline::initTestCase()
{
    Platform::setSound(&m_sound);
    Platform::setLauncher(&m_launcher);
    Platform::setWindowLister(&m_windows);
    UserDialogs::setCurrent(&m_dialogs);
    Waits::setTimeScale(0.05);
}

void tst_LobbyOnline::cleanupTestCase()
{
    Platform::setSound(nullptr);
    Platform::setLauncher(nullptr);
    Platform::setWindowLister(nullptr);
    UserDialogs::setCurrent(nullptr);
}

void tst_LobbyOnline::init()
{
    // Starts a second apart and more: the lobby's start limits stay out of the way.
    ResetClientProgramStarts();
    SteadyClock::setForTests([] {
        static qint64 now = 0;
        return now += 5000;
    });
    m_user = MemorySettings();
    m_dialogs = FakeDialogs();
    m_launcher = FakeLauncher();
    m_windows.windows.clear();
    m_sound.played.clear();
    m_sound.finish();
    m_server = new LoopbackServer;
    QVERIFY(m_server->isListening());
}

void tst_LobbyOnline::cleanup()
{
    delete m_server;
    m_server = nullptr;
}

std::unique_ptr<TLobbyMainForm> tst_LobbyOnline::connectedLobby(const QByteArray &name,
                                                               bool waitForIdentification)
{
    LobbyStartup startup;
    startup.settings = &m_user;
    startup.machineSettings = &m_machine;
    startup.arguments = QStringList{QString::number(m_server->port()), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    auto form = std::make_unique<TLobbyMainForm>(startup);
    // Logged in without the dialog.
    form->Activated = true;
    form->show();
    form->chatSession().UserName = name;
    form->chatSession().Password = "pw";
    form->FileConnectItemClick();
    if (waitForIdentification) {
        const int index = m_server->connections();
        if (!QTest::qWaitFor([&] { return m_server->printableReceived(index) == Identification; }, 5000))
            qWarning("no identification: %s", qPrintable(m_server->printableReceived(index)));
    }
    return form;
}

// ---------------------------------------------------------------------------
// Connection and dispatch

void tst_LobbyOnline::identifies_itself_in_one_piece()
{
    auto form = connectedLobby();
    QCOMPARE(m_server->printableReceived(0), Identification);
    QVERIFY(form->btnReconnect->isEnabled());
    QVERIFY(form->bitbtn11->isEnabled());
    QVERIFY(form->Memo2->isVisible());
    QTRY_VERIFY(form->StatusPanel0->text().startsWith(QLatin1String("Server: ")));
    QCOMPARE(form->Shape1->brushColor(), QColor(0, 128, 0));
    // The name goes as typed, blanks included.
    auto second = connectedLobby(" Bo b ", false);
    QTRY_COMPARE(m_server->printableReceived(1), QStringLiteral("\\x1b[\\xbd Bo b \\x1b]pw"));
}

void tst_LobbyOnline::introduction_once_across_a_reconnection()
{
    auto form = connectedLobby();
    form->edEmail->setText(QStringLiteral("ann@example.org"));
    m_server->clearReceived(0);
    m_server->send(QByteArray("\x1b[\xb3" "\x1b[5Welcome, Ann.\r\n"), 0);
    QTRY_COMPARE(m_server->printableReceived(0),
                 QStringLiteral("/Version 6.11\\x0d\\x0a/Email ann@example.org\\x0d\\x0a\\x00"));
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Welcome, Ann.")));
    QVERIFY(form->Dispatcher().IntroSent);

    // The server drops the line; the user reconnects.
    m_server->hangUp(0);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Disconnect....")));
    QTest::mouseClick(form->btnReconnect, Qt::LeftButton);
    QVERIFY(!form->btnReconnect->isEnabled());
    QVERIFY(form->Memo2->toPlainText().contains(QLatin1String("WAIT.")));
    QTRY_COMPARE(m_server->connections(), 2);
    QTRY_COMPARE(m_server->printableReceived(1), Identification);
    QVERIFY(form->Memo2->toPlainText().contains(QLatin1String("Reconnecting......")));
    m_server->send(QByteArray("\x1b[\xb3" "Back again\r\n"), 1);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Back again")));
    QTest::qWait(50);
    QCOMPARE(m_server->printableReceived(1), Identification);
    QVERIFY(form->bitbtn11->isEnabled());
}

void tst_LobbyOnline::ready_marker_in_the_middle_of_a_chunk()
{
    auto form = connectedLobby();
    m_server->clearReceived(0);
    m_server->send(QByteArray("Hello \x1b[\xb3World\r\n"), 0);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Hello World")));
    QTRY_COMPARE(m_server->printableReceived(0),
                 "/Version 6.11\\x0d\\x0a/Email " + form->edEmail->text() + "\\x0d\\x0a\\x00");
    // Received: yellow and red; the ready marker blinked the third lamp.
    QCOMPARE(form->Shape1->brushColor(), QColor(255, 255, 0));
    QCOMPARE(form->Shape2->brushColor(), QColor(255, 0, 0));
    QCOMPARE(form->Shape3->brushColor(), QColor(0, 255, 0));
}

void tst_LobbyOnline::keep_alive_only_blinks()
{
    auto form = connectedLobby();
    m_server->send("Hi\r\n", 0);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Hi")));
    form->SetStatus(QStringLiteral("idle"));
    const QString chat = form->Memo2->toPlainText();
    const QColor lamp2 = form->Shape2->brushColor();
    m_sound.played.clear();
    m_server->send(QByteArray("\0", 1), 0);
    QTRY_COMPARE(form->Shape3->brushColor(), QColor(0, 255, 0));
    m_server->send(QByteArray("\0", 1), 0);
    QTRY_COMPARE(form->Shape3->brushColor(), QColor(0, 128, 0));
    QCOMPARE(form->Memo2->toPlainText(), chat);
    QCOMPARE(form->Shape1->brushColor(), QColor(0, 128, 0));
    QCOMPARE(form->Shape2->brushColor(), lamp2);
    QVERIFY(m_sound.played.isEmpty());
    // A keep-alive byte with text after it is text.
    m_sound.finish();
    m_server->send(QByteArray("\0after", 6), 0);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("after")));
    QCOMPARE(form->Shape1->brushColor(), QColor(255, 255, 0));
    QVERIFY(m_sound.played.contains(QStringLiteral(VANTORA_BIN_DIR "/ChatClick.wav")));
}

void tst_LobbyOnline::menu_commands_hand_the_port_to_the_frames()
{
    auto form = connectedLobby();
    LoopbackServer gamesMenu;
    LoopbackServer roomsMenu;
    QVERIFY(gamesMenu.isListening());
    QVERIFY(roomsMenu.isListening());
    const QByteArray gamesPort = QByteArray::number(gamesMenu.port());
    m_server->send("\\SpawnMenu:" + gamesPort, 0);
    QTRY_VERIFY(gamesMenu.connections() > 0);
    QCOMPARE(form->GamesFrame1->MenuSocket->peerPort(), gamesMenu.port());
    // The menu connection clears the status when it comes up.
    QTRY_COMPARE(form->StatusPanel0->text(), QString());

    // Without a port the open menu stays as it is.
    form->SetStatus(QStringLiteral("idle"));
    m_server->send("\\SpawnMenu", 0);
    QTRY_COMPARE(form->StatusPanel0->text(), QStringLiteral("Connecting..."));
    QCOMPARE(form->GamesFrame1->MenuSocket->peerPort(), gamesMenu.port());

    m_server->send("\\SpawnCMenu:" + QByteArray::number(roomsMenu.port()), 0);
    QTRY_VERIFY(roomsMenu.connections() > 0);
    QCOMPARE(form->GamesFrame2->MenuSocket->peerPort(), roomsMenu.port());
    QCOMPARE(form->GamesFrame1->MenuSocket->peerPort(), gamesMenu.port());
    QVERIFY(!form->Memo2->toPlainText().contains(QLatin1String("Spawn")));
}

void tst_LobbyOnline::notices_while_here_and_away()
{
    auto form = connectedLobby();
    const QString look = QStringLiteral(VANTORA_BIN_DIR "/Poll.wav");
    m_server->send(QByteArray("\xe6\xe6\xdf Note from Bob>Come and play"), 0);
    QTRY_COMPARE(form->findChildren<TfrmGreyMsg *>().size(), 1);
    TfrmGreyMsg *notice = form->findChildren<TfrmGreyMsg *>().constFirst();
    QCOMPARE(notice->windowTitle(), QStringLiteral("Note from Bob"));
    QCOMPARE(notice->text(), QStringLiteral("Come and play"));
    QVERIFY(notice->isVisible());
    QVERIFY(m_sound.played.contains(look));
    // A second notice has a window of its own.
    m_server->send(QByteArray("\xe6\xe6\xdf Note>Two"), 0);
    QTRY_COMPARE(form->findChildren<TfrmGreyMsg *>().size(), 2);

    form->SetAway(true);
    m_sound.finish();
    m_sound.played.clear();
    m_server->send(QByteArray("\xe6\xe6\xdf Note>Three"), 0);
    QTRY_VERIFY(m_sound.played.contains(look));
    QTest::qWait(20);
    QCOMPARE(form->findChildren<TfrmGreyMsg *>().size(), 2);
    QVERIFY(!form->Memo2->toPlainText().contains(QLatin1String("Three")));
}

void tst_LobbyOnline::invitation_accepted_declined_and_missing()
{
    auto form = connectedLobby();
    const QString dir = QStringLiteral(VANTORA_BIN_DIR "/");
    m_dialogs.confirmAnswers = {true};
    m_server->send(QByteArray("\xea\xeb\xe8:5005[Bob"), 0);
    QTRY_COMPARE(m_launcher.launches.size(), 1);
    const LaunchRecord launch = m_launcher.launches.constFirst();
    QCOMPARE(launch.program, dir + QStringLiteral("Parlora"));
    QCOMPARE(launch.arguments, (QStringList{"127.0.0.1", "5005", "Ann"}));
    QCOMPARE(launch.environment.value(QStringLiteral("VANTORA_PASSWORD")), QStringLiteral("pw"));
    QCOMPARE(launch.workingDir, dir);
    QCOMPARE(m_dialogs.asked.size(), 1);
    QCOMPARE(m_dialogs.asked[0].kind, QStringLiteral("confirm"));
    QCOMPARE(m_dialogs.asked[0].text, QStringLiteral("Bob Invites You To Chat..\nAccept ?"));
    QCOMPARE(m_dialogs.asked[0].topLeft, form->frameGeometry().topLeft() + QPoint(20, 20));

    // Declined: nothing starts.
    m_server->send(QByteArray("\xea\xeb\xe8:5006[Cy"), 0);
    QTRY_COMPARE(m_dialogs.asked.size(), 2);
    QCOMPARE(m_dialogs.asked[1].text, QStringLiteral("Cy Invites You To Chat..\nAccept ?"));
    QTest::qWait(20);
    QCOMPARE(m_launcher.launches.size(), 1);

    // Accepted but the program is not there.
    m_launcher.onlyListedFilesExist = true;
    m_dialogs.confirmAnswers = {true};
    m_server->send(QByteArray("\xea\xeb\xe8:5007[Di"), 0);
    QTRY_COMPARE(m_dialogs.asked.size(), 4);
    QCOMPARE(m_dialogs.asked[3].kind, QStringLiteral("message"));
    QCOMPARE(m_dialogs.asked[3].text, QStringLiteral("Unable to load Parlora"));
    QCOMPARE(m_launcher.launches.size(), 1);
}

void tst_LobbyOnline::where_is_reply_content()
{
    m_windows.windows = {{"Vantora Lobby - Ann", "TLobbyMainForm"},
                         {"Card Table 1", "TfrmCardamo"},
                         {"Terminal", "konsole"}};
    auto form = connectedLobby();
    form->Memo6->setPlainText(QStringLiteral("at home\nlistening"));
    // Shown to seekers (hidden by default).
    form->cbClickSound->setChecked(false);
    m_server->clearReceived(0);
    m_server->send(QByteArray("\x1b[7" "Bob \x1b]\xa4\xab" "Ann"), 0);
    QTRY_VERIFY(m_server->printableReceived(0).endsWith(QLatin1String("Card Table 1\\x0d\\x0a")));
    const QString reply = m_server->printableReceived(0);
    QVERIFY2(reply.startsWith(QLatin1String("\\x1b[3at home\\x0d\\x0alistening\\x0d\\x0aAnn's Time is ")),
             qPrintable(reply));
    QVERIFY2(reply.endsWith(QLatin1String("\\x0d\\x0aVantora Chat Version 6.11\\x0d\\x0a"
                                          "Vantora Lobby - Ann\\x0d\\x0aCard Table 1\\x0d\\x0a")),
             qPrintable(reply));
    QVERIFY(form->Memo2->toPlainText().contains(QLatin1String("Looking For")));
    QCOMPARE(form->Memo6->toPlainText(), QStringLiteral("at home\nlistening"));

    // Hidden from seekers: no window lines.
    form->cbClickSound->setChecked(true);
    m_server->clearReceived(0);
    m_server->send(QByteArray("\x1b[7" "Bob \x1b]\xa4\xab" "Ann"), 0);
    QTRY_VERIFY(m_server->printableReceived(0).endsWith(QLatin1String("Version 6.11\\x0d\\x0a")));
}

void tst_LobbyOnline::blank_user_name_closes_the_lobby_once_connected()
{
    auto form = connectedLobby("   ", false);
    QTRY_COMPARE(m_server->connections(), 1);
    QTRY_VERIFY(!form->isVisible());
    QTRY_VERIFY(m_server->closed(0));
    QCOMPARE(m_server->printableReceived(0), QString());
}

void tst_LobbyOnline::invalid_user_asks_for_the_login_again()
{
    auto form = connectedLobby();
    m_server->send("\x1b[4Invalid User or password.\r\n", 0);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Invalid User")));
    m_server->hangUp(0);
    QTRY_VERIFY(form->loginDialog());
    QVERIFY(form->isVisible());
    QCOMPARE(form->loginDialog()->windowTitle(), QStringLiteral("Vantora Login"));
    QVERIFY(!form->Memo2->toPlainText().contains(QLatin1String("Disconnect....")));
    form->loginDialog()->reject();
}

void tst_LobbyOnline::other_rejection_ends_the_lobby()
{
    auto form = connectedLobby();
    m_server->send("\x1b[4Invalid name.\r\n", 0);
    QTRY_VERIFY(form->Memo2->toPlainText().contains(QLatin1String("Invalid name")));
    QElapsedTimer timer;
    timer.start();
    m_server->hangUp(0);
    QTRY_VERIFY(!form->isVisible());
    // The five seconds, on the test's time scale.
    QVERIFY(timer.elapsed() >= Waits::scaled(5000) - 20);
    QVERIFY(!form->loginDialog());
}

void tst_LobbyOnline::hang_up_shows_the_pause_notice()
{
    auto form = connectedLobby();
    m_server->send("\x1b[LAnn=1;0;0\r\nBob=2;0;0\x1b]", 0);
    QTRY_COMPARE(form->Memo3->rowCount(), 2);
    QTest::mouseClick(form->bitbtn11, Qt::LeftButton);
    QVERIFY(form->Paused);
    QVERIFY(!form->bitbtn11->isEnabled());
    QVERIFY(form->Memo2->toPlainText().contains(QLatin1String("One Moment....")));
    QTRY_VERIFY(m_server->closed(0));
    QTRY_VERIFY(form->Memo2->toPlainText().contains(
        QLatin1String("Connection Paused, Click Reconnect to Resume.")));
    QCOMPARE(form->StatusPanel0->text(), QStringLiteral("Connection Paused."));
    QCOMPARE(form->Memo3->rowCount(), 0);
    QCOMPARE(form->PlayersCaption->text(), QStringLiteral(" 0 Online"));
    QVERIFY(!form->Memo2->toPlainText().contains(QLatin1String("Disconnect....")));
    QTRY_VERIFY(!form->Paused);
    QVERIFY(form->btnReconnect->isEnabled());
}

void tst_LobbyOnline::tray_exit_ends_a_connected_lobby_out_of_sight_data()
{
    QTest::addColumn<bool>("hidden");
    // In the tray where the desktop has one; minimised where it has none.
    QTest::newRow("hidden") << true;
    QTest::newRow("minimised") << false;
}

void tst_LobbyOnline::tray_exit_ends_a_connected_lobby_out_of_sight()
{
    QFETCH(bool, hidden);
    auto form = connectedLobby();
    QCOMPARE(m_server->printableReceived(0), Identification);
    m_server->clearReceived(0);
    if (hidden)
        form->hide();
    else
        form->showMinimized();
    QVERIFY(form->ConnectionActive());

    // "E&xit" as the program's own loop runs it: the loop must end by
    // itself, with the connection closed first.
    QTimer::singleShot(0, form->TrayIcon1->exitAction(), &QAction::trigger);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    guard.stop();
    QVERIFY(!form->ConnectionActive());
    QCOMPARE(form->ClientSocket->state(), QAbstractSocket::UnconnectedState);
    QTRY_VERIFY(m_server->closed(0));
    QVERIFY(!form->isVisible());
}

void tst_LobbyOnline::connection_error_notice()
{
    // A port nobody listens on.
    const int port = m_server->port();
    delete m_server;
    m_server = new LoopbackServer;
    LobbyStartup startup;
    startup.settings = &m_user;
    startup.machineSettings = &m_machine;
    startup.arguments = QStringList{QString::number(port), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    TLobbyMainForm form(startup);
    form.Activated = true;
    form.show();
    form.chatSession().UserName = "Ann";
    form.FileConnectItemClick();
    form.btnReconnect->setEnabled(false);
    QTRY_VERIFY(form.Memo2->toPlainText().contains(QLatin1String("Try Again Later.")));
    QVERIFY(form.Memo2->toPlainText().contains(QLatin1String("Error connecting to Server: 127.0.0.1\n")));
    QVERIFY(m_sound.played.contains(QStringLiteral(VANTORA_BIN_DIR "/Problem.wav")));
    QVERIFY(form.btnReconnect->isEnabled());
    QVERIFY(!form.ConnectionActive());
}

void tst_LobbyOnline::players_header_logs_in_again()
{
    auto form = connectedLobby();
    QTest::mouseClick(form->Panel6, Qt::LeftButton);
    QVERIFY(form->Paused);
    QTRY_VERIFY(form->loginDialog());
    QVERIFY(form->Memo2->toPlainText().contains(QLatin1String("Connection Paused")));
    QVERIFY(m_server->closed(0));
    TLogin *login = form->loginDialog();
    login->Edit1->clear();
    QTest::keyClicks(login->Edit1, QStringLiteral("Bob"));
    QTest::keyClicks(login->Edit2, QStringLiteral("pw2"));
    QTest::mouseClick(login->btnOK, Qt::LeftButton);
    QTRY_COMPARE(m_server->connections(), 2);
    QTRY_COMPARE(m_server->printableReceived(1), QStringLiteral("\\x1b[\\xbdBob\\x1b]pw2"));
    QTRY_COMPARE(form->windowTitle(), QStringLiteral("Vantora Lobby - Bob"));
}

void tst_LobbyOnline::entering_the_message_box()
{
    auto form = connectedLobby();
    form->ImAway();
    QVERIFY(!form->Memo2->isVisible());
    form->btnReconnect->setEnabled(false);
    form->Memo1->setPlainText(QStringLiteral("draft"));
    form->SendButton->setFocus();
    QApplication::setActiveWindow(form.get());
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(form->Memo1, &in);
    QVERIFY(form->Memo2->isVisible());
    QVERIFY(form->btnReconnect->isEnabled());
    QCOMPARE(form->Memo1->textCursor().selectedText(), QStringLiteral("draft"));
    // Coming back from a menu is not entering it.
    form->ImAway();
    QFocusEvent back(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(form->Memo1, &back);
    QVERIFY(!form->Memo2->isVisible());
}

// ---------------------------------------------------------------------------
// The chat console

void tst_LobbyOnline::chat_prefix_colour_bold_and_font()
{
    auto form = connectedLobby();
    form->cbxC->setCurrentIndex(8);
    form->SetATColorFromBox();
    QTest::mouseClick(form->SpeedButtonB, Qt::LeftButton);
    QTest::mouseClick(form->SpeedButtonA, Qt::LeftButton);
    const QByteArray font = form->chatSession().DefaultFontName;
    m_server->clearReceived(0);
    QTest::keyClicks(form->Memo1, QStringLiteral("word"));
    QTest::keyClick(form->Memo1, Qt::Key_Return);
    QTRY_COMPARE(m_server->printableReceived(0), printable("\x1b[4\x1b[B\x1b[F{" + font + "}word"));
    QCOMPARE(form->Memo1->toPlainText(), QString());
    QCOMPARE(m_user.values.value(QStringLiteral("Vantora/ATColor")).toString(), QStringLiteral("\x1b[4"));
    QCOMPARE(m_user.values.value(QStringLiteral("Vantora/ATStyle")).toString(), QStringLiteral("\x1b[B"));
}

void tst_LobbyOnline::bold_twice_and_bold_then_italic()
{
    auto form = connectedLobby();
    QTest::mouseClick(form->SpeedButtonB, Qt::LeftButton);
    QTest::mouseClick(form->SpeedButtonB, Qt::LeftButton);
    QCOMPARE(form->ATStyle, QByteArray());
    QTest::mouseClick(form->SpeedButtonB, Qt::LeftButton);
    QTest::mouseClick(form->SpeedButtonI, Qt::LeftButton);
    QCOMPARE(form->ATStyle, QByteArray("\x1b[B\x1b[I"));
    m_server->clearReceived(0);
    form->Memo1->setPlainText(QStringLiteral("x"));
    QTest::mouseClick(form->SendButton, Qt::LeftButton);
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b[3\\x1b[B\\x1b[Ix"));
}

void tst_LobbyOnline::two_lines_one_piece_and_empty_box()
{
    auto form = connectedLobby();
    m_server->clearReceived(0);
    form->Memo1->setPlainText(QStringLiteral("\n\nfirst line\nsecond line"));
    QTest::keyClick(form->Memo1, Qt::Key_Return);
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b[3first line\\x0d\\x0asecond line"));
    QCOMPARE(form->Memo1->toPlainText(), QString());
    // Send lamps: lime, and the second lamp takes the first one's colour.
    QCOMPARE(form->Shape1->brushColor(), QColor(0, 255, 0));

    m_server->clearReceived(0);
    form->Memo1->setPlainText(QStringLiteral("\n\n"));
    QTest::mouseClick(form->SendButton, Qt::LeftButton);
    QCOMPARE(form->Memo1->toPlainText(), QString());
    form->Memo1->setPlainText(QStringLiteral("marker"));
    QTest::mouseClick(form->SendButton, Qt::LeftButton);
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b[3marker"));
}

void tst_LobbyOnline::mute_is_sent_then_silences()
{
    auto form = connectedLobby();
    QVERIFY(form->SoundOn);
    m_server->clearReceived(0);
    QTest::keyClicks(form->Memo1, QStringLiteral("!mute"));
    QTest::keyClick(form->Memo1, Qt::Key_Return);
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b[3!mute"));
    QVERIFY(!form->SoundOn);
    QVERIFY(!form->ChatRenderer->SoundsOn);
    QVERIFY(!form->SpeedButton5->isChecked());
    // The button obeys it only on the games page.
    form->PageControl1->setCurrentIndex(TLobbyMainForm::PreferencesPage);
    form->Memo1->setPlainText(QStringLiteral("!nomute"));
    QTest::mouseClick(form->SendButton, Qt::LeftButton);
    QVERIFY(!form->SoundOn);
    form->PageControl1->setCurrentIndex(TLobbyMainForm::GamesPage);
    form->Memo1->setPlainText(QStringLiteral("!nomute"));
    QTest::mouseClick(form->SendButton, Qt::LeftButton);
    QVERIFY(form->SoundOn);
    QVERIFY(form->ChatRenderer->SoundsOn);
}

void tst_LobbyOnline::away_twice_sends_presence_once()
{
    auto form = connectedLobby();
    m_server->clearReceived(0);
    QTest::mouseClick(form->btnAway, Qt::LeftButton);
    form->ImAway();
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\xd4\\xe1\\xdd5\\x1b[3I'm Away!"));
    QVERIFY(form->Away);
    QVERIFY(!form->btnAway->isEnabled());
    QVERIFY(form->btnHere->isEnabled());
    QVERIFY(form->Image1->isVisible());
    QVERIFY(!form->Memo2->isVisible());
    QCOMPARE(form->Memo3Hint(0), QStringLiteral("[Away]\nRating = 0"));

    // Typing while away comes back.
    m_server->clearReceived(0);
    QTest::keyClicks(form->Memo1, QStringLiteral("h"));
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\xd4\\xe1\\xdd0\\x1b[3I'm Here!"));
    QVERIFY(!form->Away);
    QVERIFY(form->Memo2->isVisible());
    QVERIFY(form->btnAway->isEnabled());
    QVERIFY(!form->btnHere->isEnabled());
}

void tst_LobbyOnline::online_icon_13()
{
    auto form = connectedLobby();
    QCOMPARE(form->OnlineIconButtons.size(), 22);
    QCOMPARE(form->OnlineIconButtons.constFirst()->objectName(), QStringLiteral("OnlineIcon13"));
    QCOMPARE(form->OnlineIconButtons.constLast()->objectName(), QStringLiteral("OnlineIcon20"));
    form->OpenSlide(TLobbyMainForm::PreferencesPage);
    QTRY_VERIFY(form->PanelSlide->isVisible());
    m_server->clearReceived(0);
    form->OnlineIconButtons.constFirst()->click();
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\xac\\xaf\\xab13"));
    QTRY_COMPARE(form->TopView->height(), 32);
}

void tst_LobbyOnline::quick_texts()
{
    auto form = connectedLobby();
    m_server->clearReceived(0);
    QTest::mouseClick(form->btnCry, Qt::LeftButton);
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b[3Don't point that thing at me !"));
    form->Edit1->clear();
    m_server->clearReceived(0);
    QTest::mouseClick(form->btnCry, Qt::LeftButton);
    QTest::mouseClick(form->btnMyTime, Qt::LeftButton);
    QTRY_VERIFY(m_server->printableReceived(0).endsWith(QLatin1Char(' ')));
    QVERIFY2(m_server->printableReceived(0).startsWith(QLatin1String("\\x1b[3The Time here is ")),
             qPrintable(m_server->printableReceived(0)));
    QVERIFY(m_server->printableReceived(0).contains(QRegularExpression(QStringLiteral("\\d:\\d\\d"))));
}

// ---------------------------------------------------------------------------
// The user list

void tst_LobbyOnline::list_header_selection_and_hints()
{
    auto form = connectedLobby();
    QCOMPARE(form->PlayersCaption->text(), QStringLiteral(" The Players"));
    m_server->send("\x1b[LBob=6;1;7\r\nANN=13;0;5\r\nCy=7;0;0\x1b]", 0);
    QTRY_COMPARE(form->PlayersCaption->text(), QStringLiteral(" 3 Online"));
    // The own row, found without regard to case.
    QCOMPARE(form->SelectedCaptions(), QList<QByteArray>{"ANN"});
    QCOMPARE(form->Memo3Hint(1), QStringLiteral("Rating = 5"));
    QCOMPARE(form->Shape1->brushColor(), QColor(255, 255, 0));
    QVERIFY(!form->Memo3->topLevelItem(0)->icon(0).isNull());
    // Not in the new list: nothing selected.
    m_server->send("\x1b[LBob=6;1;7\r\n+Ann=13;0;5\x1b]", 0);
    QTRY_COMPARE(form->PlayersCaption->text(), QStringLiteral(" 2 Online"));
    QCOMPARE(form->SelectedCaptions(), QList<QByteArray>{});
    m_server->hangUp(0);
    QTRY_COMPARE(form->PlayersCaption->text(), QStringLiteral(" 0 Online"));
}

void tst_LobbyOnline::menus_by_own_rank()
{
    auto form = connectedLobby();
    auto menu = [&] {
        form->PopupMenu2Popup();
        QStringList captions;
        for (QAction *a : form->PopupMenu2->actions())
            captions << a->text();
        return captions;
    };
    m_server->send("\x1b[LBob=6;1;7\r\n+Ann=13;0;5\x1b]", 0);
    QTRY_COMPARE(form->Memo3->rowCount(), 2);
    QCOMPARE(menu(), QStringList{});
    form->Memo3->topLevelItem(0)->setSelected(true);
    QCOMPARE(menu(), (QStringList{"Where is Bob?", "Boot Bob", "Copy Name "}));
    form->Memo1->setPlainText(QStringLiteral("psst"));
    QCOMPARE(menu(), (QStringList{"Where is Bob?", "Whisper to Bob", "Boot Bob", "Copy Name "}));

    m_server->send("\x1b[LBob=6;1;7\r\n$Ann=13;0;5\x1b]", 0);
    QTRY_COMPARE(form->Memo3->caption(1), QByteArray("$Ann"));
    QCOMPARE(form->OwnRank(), 9);
    form->Memo3->topLevelItem(0)->setSelected(true);
    QCOMPARE(menu(), (QStringList{"Where is Bob?", "Whisper to Bob", "Boot Bob", "Copy Name ",
                                  "Grey Box Bob"}));
}

void tst_LobbyOnline::menu_commands_send_their_bytes()
{
    auto form = connectedLobby();
    m_server->send("\x1b[L+Bob=6;1;7\r\n$Ann=13;0;5\x1b]", 0);
    QTRY_COMPARE(form->Memo3->rowCount(), 2);
    form->Memo3->clearSelection();
    form->Memo3->topLevelItem(0)->setSelected(true);
    auto trigger = [&](const QString &caption) {
        form->PopupMenu2Popup();
        for (QAction *a : form->PopupMenu2->actions()) {
            if (a->text() == caption) {
                a->trigger();
                return true;
            }
        }
        return false;
    };
    m_server->clearReceived(0);
    QVERIFY(trigger(QStringLiteral("Where is +Bob?")));
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b]\\xa4\\xab+Bob"));
    m_server->clearReceived(0);
    QVERIFY(trigger(QStringLiteral("Boot +Bob")));
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\x1b]/boot +Bob"));
    m_server->clearReceived(0);
    m_dialogs.textAnswers = {QStringLiteral("see me")};
    QVERIFY(trigger(QStringLiteral("Grey Box +Bob")));
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("/Gmsg Bob see me"));
    QCOMPARE(m_dialogs.asked.constLast().caption, QStringLiteral("Enter Message To +Bob"));
    QCOMPARE(m_dialogs.asked.constLast().text, QStringLiteral("And You Say.."));
    // Cancelled: nothing.
    m_server->clearReceived(0);
    QVERIFY(trigger(QStringLiteral("Grey Box +Bob")));
    form->Memo1->setPlainText(QStringLiteral("Hi "));
    form->Memo1->moveCursor(QTextCursor::End);
    QVERIFY(trigger(QStringLiteral("Copy Name ")));
    QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Hi +Bob "));
    QCOMPARE(form->Memo1->textCursor().position(), 8);
    QTest::qWait(20);
    QCOMPARE(m_server->printableReceived(0), QString());
}

void tst_LobbyOnline::whisper_to_three_users()
{
    auto form = connectedLobby();
    m_server->send("\x1b[LBob=6;1;7\r\nAnn=13;0;5\r\nCy=7;0;0\r\nDi=7;0;0\x1b]", 0);
    QTRY_COMPARE(form->Memo3->rowCount(), 4);
    form->Memo3->clearSelection();
    for (int row : {3, 0, 2})
        form->Memo3->topLevelItem(row)->setSelected(true);
    form->Memo1->setPlainText(QStringLiteral("psst"));
    form->PopupMenu2Popup();
    QAction *whisper = nullptr;
    for (QAction *a : form->PopupMenu2->actions())
        if (a->text() == QLatin1String("Whisper to Selected"))
            whisper = a;
    QVERIFY(whisper);
    m_server->clearReceived(0);
    whisper->trigger();
    QTRY_COMPARE(m_server->printableReceived(0),
                 QStringLiteral("/msg Bob \\x1b[3psst\\x0d\\x0a/msg Cy \\x1b[3psst\\x0d\\x0a"
                                "/msg Di \\x1b[3psst\\x0d\\x0a"));
    QTRY_COMPARE(form->Memo1->toPlainText(), QString());
}

void tst_LobbyOnline::insert_button_and_menu()
{
    auto form = connectedLobby();
    // An empty list leaves the menu as it was (empty at first).
    form->InsertMenuPopup();
    QVERIFY(form->InsertMenu->isEmpty());
    m_server->send("\x1b[LBob=6;1;7\r\nAnn=13;0;5\x1b]", 0);
    QTRY_COMPARE(form->Memo3->rowCount(), 2);
    form->InsertMenuPopup();
    QStringList items;
    for (QAction *a : form->InsertMenu->actions())
        items << a->data().toString();
    QCOMPARE(items, (QStringList{"\x1b[", "Bob ", "Ann ", "Hi ", "Bye ", "/msg ", "`Laugh3.wav "}));
    form->Memo1->setPlainText(QStringLiteral("say "));
    form->Memo1->moveCursor(QTextCursor::End);
    form->InsertMenu->actions().at(4)->trigger();
    QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("say Bye "));

    form->Memo3->clearSelection();
    form->Memo3->topLevelItem(0)->setSelected(true);
    QTest::mouseClick(form->btnInsert, Qt::LeftButton);
    QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("say Bye Bob"));
}

void tst_LobbyOnline::appearance_colours()
{
    auto form = connectedLobby();
    const QColor darkRed(0x60, 0, 0);
    m_dialogs.colorAnswers = {darkRed};
    QTest::mouseClick(form->btnWindowColor, Qt::LeftButton);
    QCOMPARE(form->Memo1->palette().color(QPalette::Base), darkRed);
    QCOMPARE(form->Edit5->palette().color(QPalette::Base), darkRed);
    QCOMPARE(m_user.values.value(QStringLiteral("Vantora/WinColor")).toLongLong(), 0x60LL);
    QVERIFY(form->chatSession().DarkView);
    // The text colour the same as the window would not show: white instead.
    m_dialogs.colorAnswers = {darkRed};
    QTest::mouseClick(form->btnDefaultTextColor, Qt::LeftButton);
    QCOMPARE(form->DefaultTextColor(), TColor(0xFFFFFF));
    m_dialogs.colorAnswers = {QColor(0, 255, 0)};
    QTest::mouseClick(form->btnDefaultTextColor, Qt::LeftButton);
    QCOMPARE(form->DefaultTextColor(), TColor(0x00FF00));
    QCOMPARE(m_user.values.value(QStringLiteral("Vantora/DefColor")).toLongLong(), 0x00FF00LL);
    // Cancelled: nothing changes.
    QTest::mouseClick(form->btnDefaultTextColor, Qt::LeftButton);
    QCOMPARE(form->DefaultTextColor(), TColor(0x00FF00));

    form->SpinEdit1->setValue(14);
    QCOMPARE(form->ChatFontSize(), 14);
    QCOMPARE(form->Memo1->font().pointSize(), 14);
    QCOMPARE(form->Edit5->font().pointSize(), 14);

    form->Supress->click();
    QCOMPARE(form->chatSession().SuppressOnSound, form->Supress->isChecked());
}


// ---------------------------------------------------------------------------
// The menus and the chat view's links

namespace {

const QByteArray MenuIdentification = "\x1b[\xbd" "Ann\x1b]pw";

} // namespace

void tst_LobbyOnline::menu_pages_open_their_menus()
{
    auto form = connectedLobby();
    m_server->clearReceived(0);
    LoopbackServer games;
    LoopbackServer rooms;

    form->btnGames->click();
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\SpawnMenu"));
    QCOMPARE(form->StatusPanel0->text(), QStringLiteral("Connecting..."));
    QCOMPARE(form->GamesFrame1->Engine, &form->Engine());
    QCOMPARE(form->GamesFrame1->parentWidget(), form->PageControl1->widget(TLobbyMainForm::GamesPage));
    m_server->send("\\SpawnMenu:" + QByteArray::number(games.port()), 0);
    QTRY_COMPARE(games.received(), MenuIdentification);
    QTRY_VERIFY(form->GamesFrame1->MenuActive);
    QCOMPARE(form->StatusPanel0->text(), QString());
    games.send("\033[2J\033[37m\033[3;3HCards");
    QTRY_COMPARE(form->Engine().CharAtCell(3, 3), quint8('C'));

    // The chat-room page: the games menu closes, the engine moves over.
    QTRY_VERIFY(form->btnParloras->isEnabled());
    m_server->clearReceived(0);
    form->btnParloras->click();
    QTRY_COMPARE(m_server->printableReceived(0), QStringLiteral("\\SpawnCMenu"));
    QTRY_VERIFY(games.closed());
    QVERIFY(!form->GamesFrame1->MenuActive);
    QCOMPARE(form->GamesFrame1->Engine, nullptr);
    QCOMPARE(form->GamesFrame2->Engine, &form->Engine());
    QVERIFY(form->SlideIsOpen());
    m_server->send("\\SpawnCMenu:" + QByteArray::number(rooms.port()), 0);
    QTRY_COMPARE(rooms.received(), MenuIdentification);

    // "Parloras" again closes the panel and the menu.
    QTRY_VERIFY(form->btnParloras->isEnabled());
    form->btnParloras->click();
    QTRY_VERIFY(rooms.closed());
    QTRY_VERIFY(!form->SlideIsOpen());

    // Another page leaves both menus shut.
    QTRY_VERIFY(form->btnPreferences->isEnabled());
    m_server->clearReceived(0);
    form->btnPreferences->click();
    QTRY_VERIFY(form->SlideIsOpen());
    QCOMPARE(m_server->printableReceived(0), QString());
    QCOMPARE(games.connections() + rooms.connections(), 2);
}

void tst_LobbyOnline::menu_server_leaving_returns_to_the_chat()
{
    auto form = connectedLobby();
    LoopbackServer games;
    form->btnGames->click();
    QTRY_VERIFY(form->SlideIsOpen());
    m_server->send("\\SpawnMenu:" + QByteArray::number(games.port()), 0);
    QTRY_VERIFY(form->GamesFrame1->MenuActive);
    games.hangUp();
    QTRY_VERIFY(!form->SlideIsOpen());
    QVERIFY(!form->GamesFrame1->MenuActive);
}

void tst_LobbyOnline::menu_switches_the_server()
{
    auto form = connectedLobby();
    LoopbackServer games;
    LoopbackServer other;
    QVERIFY(other.isListening());
    form->btnGames->click();
    QTRY_VERIFY(form->SlideIsOpen());
    m_server->send("\\SpawnMenu:" + QByteArray::number(games.port()), 0);
    QTRY_VERIFY(form->GamesFrame1->MenuActive);
    // Another host than the one in use: the user is asked first.
    m_dialogs.confirmAnswers = {true};
    games.send("\\SwitchServer{localhost}:" + QByteArray::number(other.port()));
    QTRY_COMPARE(other.connections(), 1);
    QTRY_COMPARE(other.printableReceived(0), Identification);
    QCOMPARE(form->ComboBox3->currentText(), QStringLiteral("localhost"));
    QCOMPARE(form->SpinEdit2->value(), int(other.port()));
    QCOMPARE(m_dialogs.asked.constLast().text, QStringLiteral("Switch to server localhost?"));
    QTRY_VERIFY(!form->SlideIsOpen());
    QTRY_VERIFY(games.closed());
}

void tst_LobbyOnline::chat_links_data()
{
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("message");

    QTest::newRow("web page") << QByteArray("http://example.org/news")
                              << QStringList{"http://example.org/news"} << QString();
    QTest::newRow("mail") << QByteArray("mailto:ann@example.org")
                          << QStringList{"mailto:ann@example.org"} << QString();
    // Files and programs named in chat are never opened.
    QTest::newRow("local file") << QByteArray("file:///etc/passwd") << QStringList()
                                << QStringLiteral("Sorry !  Unable to Execute file:///etc/passwd");
    QTest::newRow("path") << QByteArray("/usr/bin/xterm") << QStringList()
                          << QStringLiteral("Sorry !  Unable to Execute /usr/bin/xterm");
}

void tst_LobbyOnline::chat_links()
{
    QFETCH(QByteArray, link);
    QFETCH(QStringList, opened);
    QFETCH(QString, message);

    auto form = connectedLobby();
    QStringList urls;
    form->UrlOpener = [&urls](const QUrl &url) {
        urls << url.toString();
        return true;
    };
    form->Memo2LinkClick(link);
    QCOMPARE(urls, opened);
    QStringList texts;
    for (const auto &asked : std::as_const(m_dialogs.asked))
        texts << asked.text;
    QCOMPARE(texts, message.isEmpty() ? QStringList() : QStringList{message});
}

void tst_LobbyOnline::quick_launch_picks_from_the_games_menu()
{
    auto form = connectedLobby();
    // The server list learns a server a link switches to (once the user agrees).
    m_dialogs.confirmAnswers = {true};
    form->Memo2LinkClick("\\SwitchServer{localhost}:" + QByteArray::number(m_server->port()));
    QTRY_COMPARE(m_server->connections(), 2);
    QTRY_COMPARE(m_server->printableReceived(1), Identification);
    QVERIFY(form->ComboBox3->findText(QStringLiteral("localhost")) >= 0);

    // A movie link opens the video page with its address.
    form->Memo2LinkClick("\\Movie{http://example.org/clip.mp4}");
    QCOMPARE(form->Media->MovieURL->text(), QStringLiteral("http://example.org/clip.mp4"));
    QCOMPARE(form->PageControl1->currentIndex(), int(TLobbyMainForm::VideoPage));
    QTRY_VERIFY(form->SlideIsOpen());
    form->CloseSlide();
    QTRY_VERIFY(!form->SlideIsOpen());

    LoopbackServer games;
    form->Memo2LinkClick("\\QuickLaunch3");
    QVERIFY(form->QuickLaunching());
    QTRY_COMPARE(m_server->printableReceived(1), Identification + "\\SpawnMenu");
    QCOMPARE(form->StatusPanel0->text(), QStringLiteral("Connecting..."));
    m_server->send("\\SpawnMenu:" + QByteArray::number(games.port()), 1);
    // Identified first, the choice after it (the short pause may be over
    // before the test looks, so only the whole is compared).
    QTRY_COMPARE(games.received(), MenuIdentification + ">3");
    games.send("\\SpawnNode:5001");
    QTRY_COMPARE(m_launcher.launches.size(), 1);
    QCOMPARE(m_launcher.launches[0].program, QStringLiteral(VANTORA_BIN_DIR "/Cardamo"));
    QCOMPARE(m_launcher.launches[0].arguments, (QStringList{"localhost", "5001", "Ann"}));
    QCOMPARE(m_launcher.launches[0].environment.value(QStringLiteral("VANTORA_PASSWORD")),
             QStringLiteral("pw"));
    QTRY_VERIFY(games.closed());
    QTRY_VERIFY(!form->QuickLaunching());
    QVERIFY(!form->SlideIsOpen());
}

void tst_LobbyOnline::quick_launch_gives_up_without_a_menu()
{
    auto form = connectedLobby();
    Waits::setTimeScale(0.01);
    form->Memo2LinkClick("\\QuickLaunch1");
    QVERIFY(form->QuickLaunching());
    QTRY_COMPARE(m_server->printableReceived(0), Identification + "\\SpawnMenu");
    // A second click while the first waits starts nothing more.
    m_server->clearReceived(0);
    QVERIFY(form->QuickLaunching());
    form->Memo2LinkClick("\\QuickLaunch2");
    // 501 looks of 50 ms, at a hundredth of the time.
    QTRY_VERIFY_WITH_TIMEOUT(!form->QuickLaunching(), 20000);
    Waits::setTimeScale(0.05);
    QCOMPARE(m_server->printableReceived(0), QString());
    QVERIFY(!form->GamesFrame1->MenuConnected());
    QVERIFY(m_dialogs.asked.isEmpty());
}

VT_TEST_MAIN(tst_LobbyOnline)
#include "tst_lobbyonline.moc"
