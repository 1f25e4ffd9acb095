// Hostile servers and the programs they can have started: the card table's
// further tables, the lobby's menu starts, hosts that are options, server
// switches, movie and mail links, and the programs' own command lines.

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "CardamoU.h"
#include "CardamoProtocol.h"
#include "ClientPrograms.h"
#include "Fakes.h"
#include "LobbyUnderTest.h"
#include "GameMenuFrame.h"
#include "LobbyMain.h"
#include "LobbyMedia.h"
#include "LoopbackServer.h"
#include "SteadyClock.h"
#include "TestMain.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

#include <csignal>

class tst_HostileStarts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void card_table_opens_few_further_tables();
    void a_table_opened_by_a_table_opens_none();
    void menu_starts_by_rate_and_running();
    void menu_hosts_that_are_options_are_refused();
    void switching_servers_asks_once_per_host();
    void movie_and_mail_links();
    void qt_options_on_the_command_line_are_arguments();

private:
    std::unique_ptr<TLobbyMainForm> connectedLobby(LoopbackServer &server);
    // The lobby with its games menu connected to `menu`.
    void openMenu(TLobbyMainForm &form, LoopbackServer &lobby, LoopbackServer &menu);
    QString chat(TLobbyMainForm &form) const;

    std::unique_ptr<InstalledFakes> m_fakes;
    MemorySettings m_user;
    MemorySettings m_machine;
    qint64 m_now = 0;
};

void tst_HostileStarts::initTestCase()
{
    Waits::setTimeScale(0.05);
}

void tst_HostileStarts::init()
{
    ResetClientProgramStarts();
    m_fakes = std::make_unique<InstalledFakes>();
    m_user = MemorySettings();
    m_now = 1000000;
    SteadyClock::setForTests([this] { return m_now; });
}

void tst_HostileStarts::cleanup()
{
    SteadyClock::setForTests(nullptr);
    m_fakes.reset();
}

std::unique_ptr<TLobbyMainForm> tst_HostileStarts::connectedLobby(LoopbackServer &server)
{
    auto form = ConnectLobbyAsAnn(m_user, m_machine, server.portText(),
                                  QStringLiteral("127.0.0.1"));
    if (!QTest::qWaitFor([&] { return server.received(0).contains("Ann"); }))
        qWarning("the lobby did not identify itself");
    return form;
}

void tst_HostileStarts::openMenu(TLobbyMainForm &form, LoopbackServer &lobby,
                                 LoopbackServer &menu)
{
    form.btnGames->click();
    QVERIFY(QTest::qWaitFor([&] { return form.SlideIsOpen(); }));
    lobby.send("\\SpawnMenu:" + QByteArray::number(menu.port()), 0);
    QVERIFY(QTest::qWaitFor([&] { return menu.connections() == 1 && form.GamesFrame1->MenuActive; }));
}

QString tst_HostileStarts::chat(TLobbyMainForm &form) const
{
    return form.Memo2->toPlainText();
}

void tst_HostileStarts::card_table_opens_few_further_tables()
{
    TfrmCardamo table({"node.example", "1030", "Ann", "pw"});
    FakeLauncher &launcher = m_fakes->launcher;
    for (int i = 0; i < 1000; ++i)
        table.dispatch("\\SpawnNode:" + QByteArray::number(5001 + i % 10));
    QCOMPARE(launcher.launches.size(), 1);
    // The table it opens carries the mark that it opens none itself.
    QCOMPARE(launcher.launches.at(0).environment.value(QStringLiteral("VANTORA_STARTED_BY_TABLE")),
             QStringLiteral("1"));
    QTRY_VERIFY(table.Memo5->toPlainText().contains(QLatin1String("too soon")));

    // One every three seconds, four in all.
    for (int step = 0; step < 10; ++step) {
        m_now += 2999;
        table.dispatch("\\SpawnNode:5001");
        m_now += 1;
        table.dispatch("\\SpawnNode:5001");
    }
    QCOMPARE(launcher.launches.size(), 4);
    QTRY_VERIFY(table.Memo5->toPlainText().contains(QLatin1String("4 tables")));
}

void tst_HostileStarts::a_table_opened_by_a_table_opens_none()
{
    qputenv(Cardamo::StartedByTableVariable, "1");
    TfrmCardamo table({"node.example", "1030", "Ann", "pw"});
    table.dispatch("\\SpawnNode:5001");
    qunsetenv(Cardamo::StartedByTableVariable);
    QVERIFY(m_fakes->launcher.launches.isEmpty());
    QTRY_VERIFY(table.Memo5->toPlainText().contains(QLatin1String("opens no more")));
}

void tst_HostileStarts::menu_starts_by_rate_and_running()
{
    LoopbackServer lobby, menu;
    QVERIFY(lobby.isListening());
    QVERIFY(menu.isListening());
    auto form = connectedLobby(lobby);
    openMenu(*form, lobby, menu);
    FakeLauncher &launcher = m_fakes->launcher;
    for (int i = 0; i < 20; ++i) {
        menu.send("\\SpawnNode:" + QByteArray::number(5001 + i), 0);
        QTest::qWait(2);
    }
    QTRY_VERIFY(chat(*form).contains(QLatin1String("too soon")));
    // All of the burst read before the clock moves on.
    QTest::qWait(200);
    QCOMPARE(launcher.launches.size(), 1);
    // A second apart, until eight run at once. Each command is taken before
    // the next goes out: commands read together are one chunk, one command.
    for (int i = 0; i < 12; ++i) {
        m_now += 1000;
        const int before = int(launcher.launches.size());
        const qsizetype refusals = chat(*form).count(QLatin1String("still running"));
        menu.send("\\SpawnDoodlix:" + QByteArray::number(5101 + i), 0);
        QTRY_VERIFY2(launcher.launches.size() > before
                         || chat(*form).count(QLatin1String("still running")) > refusals,
                     qPrintable(chat(*form)));
    }
    QCOMPARE(launcher.launches.size(), 8);
    // One ends: one more may start.
    launcher.running.remove(launcher.launches.at(3).pid);
    m_now += 1000;
    menu.send("\\SpawnNode:5200", 0);
    QTRY_COMPARE(launcher.launches.size(), 9);
    // A refused start is a chat line, never a message box.
    QCOMPARE(m_fakes->dialogs.asked.size(), 0);
}

void tst_HostileStarts::menu_hosts_that_are_options_are_refused()
{
    LoopbackServer lobby, menu;
    QVERIFY(lobby.isListening());
    QVERIFY(menu.isListening());
    auto form = connectedLobby(lobby);
    openMenu(*form, lobby, menu);
    menu.send("\\SpawnDoor{-stylesheet=/dev/zero}:23", 0);
    QTRY_VERIFY(chat(*form).contains(QLatin1String("no host name: -stylesheet=/dev/zero")));
    menu.send("\\SwitchServer{-platform}:1024", 0);
    QTRY_VERIFY(chat(*form).contains(QLatin1String("no host name: -platform")));
    QVERIFY(m_fakes->launcher.launches.isEmpty());
    QCOMPARE(form->ComboBox3->currentText(), QStringLiteral("127.0.0.1"));
    // A door on a real host still starts.
    menu.send("\\SpawnDoor{doors.example.net}:23", 0);
    QTRY_COMPARE(m_fakes->launcher.launches.size(), 1);
    QCOMPARE(m_fakes->launcher.launches.at(0).arguments,
             (QStringList{"doors.example.net", "23"}));
}

void tst_HostileStarts::switching_servers_asks_once_per_host()
{
    LoopbackServer lobby, other;
    QVERIFY(lobby.isListening());
    QVERIFY(other.isListening());
    auto form = connectedLobby(lobby);
    FakeDialogs &dialogs = m_fakes->dialogs;
    const QByteArray link = "\\SwitchServer{localhost}:" + QByteArray::number(other.port());
    // Declined: the name and password go nowhere.
    form->Memo2LinkClick(link);
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(dialogs.asked.at(0).text, QStringLiteral("Switch to server localhost?"));
    QTest::qWait(50);
    QCOMPARE(other.connections(), 0);
    QCOMPARE(form->ComboBox3->currentText(), QStringLiteral("127.0.0.1"));
    QVERIFY(chat(*form).contains(QLatin1String("Switch to server localhost declined.")));
    // Agreed: switched; back and forth again asks no more.
    dialogs.confirmAnswers = {true};
    form->Memo2LinkClick(link);
    QTRY_COMPARE(other.connections(), 1);
    QCOMPARE(form->ComboBox3->currentText(), QStringLiteral("localhost"));
    form->Memo2LinkClick("\\SwitchServer{127.0.0.1}:" + QByteArray::number(lobby.port()));
    QTRY_COMPARE(lobby.connections(), 2);
    form->Memo2LinkClick(link);
    QTRY_COMPARE(other.connections(), 2);
    QCOMPARE(dialogs.asked.size(), 2);
}

void tst_HostileStarts::movie_and_mail_links()
{
    LoopbackServer lobby;
    QVERIFY(lobby.isListening());
    auto form = connectedLobby(lobby);
    QStringList opened;
    form->UrlOpener = [&opened](const QUrl &url) {
        opened << url.toString();
        return true;
    };
    const QString before = form->Media->MovieURL->text();
    form->Memo2LinkClick("\\Movie{/etc/passwd}");
    QVERIFY(chat(*form).contains(QLatin1String("Movie refused")));
    QCOMPARE(form->Media->MovieURL->text(), before);
    form->Memo2LinkClick("\\Movie{file:///dev/zero}");
    QCOMPARE(form->Media->MovieURL->text(), before);
    form->Memo2LinkClick("mailto:x@example.net?attach=/etc/passwd&subject=hi");
    QCOMPARE(opened, QStringList{QStringLiteral("mailto:x@example.net?subject=hi")});
    form->Memo2LinkClick("ftp://ftp.example.net/../../etc/passwd");
    QCOMPARE(opened.size(), 1);
    QVERIFY(m_fakes->dialogs.asked.constLast().text.startsWith(
        QLatin1String("Sorry !  Unable to Execute ftp://")));
}

void tst_HostileStarts::qt_options_on_the_command_line_are_arguments()
{
    // Qt would take "-platform nonesuch" for its own option and end the
    // program; here it is only a host the program cannot reach.
    QProcess process;
    process.setProgram(QStringLiteral(VANTORA_BIN_DIR "/Portalis"));
    process.setArguments({QStringLiteral("-platform"), QStringLiteral("nonesuch"),
                          QStringLiteral("Ann"), QStringLiteral("pw")});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    QVERIFY2(process.waitForStarted(5000), qPrintable(process.errorString()));
    QVERIFY(!process.waitForFinished(1500));
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
}

VT_TEST_MAIN(tst_HostileStarts)
#include "tst_hostile_starts.moc"
