// The lobby against the suite's own service (in-process): the "Games" page
// opens the games menu, the menu server paints it, and a press on a card
// table's line or on its button starts Cardamo with the node's port; the
// chat-room page does the same for Parlora.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include "Ansi.h"
#include "ChatSession.h"
#include "Fakes.h"
#include "GameMenuFrame.h"
#include "LobbyMain.h"
#include "LocalService.h"
#include "Platform.h"
#include "StatusPanel.h"
#include "SurfaceButtons.h"
#include "SurfaceImage.h"
#include "SteadyClock.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "VtServer.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

// The screen row whose text holds `label`; 0 when none does.
int RowShowing(const TAnsi &engine, const QByteArray &label)
{
    for (int row = 1; row <= engine.RowCount(); ++row) {
        QByteArray line;
        for (int column = 1; column <= TAnsi::ColumnCount; ++column) {
            const quint8 c = engine.CharAtCell(column, row);
            line += char(c ? c : ' ');
        }
        if (line.contains(label))
            return row;
    }
    return 0;
}

} // namespace

class tst_E2eLobbyMenu : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void games_menu_starts_the_card_table();

private:
    QTemporaryDir m_data;
    std::unique_ptr<VtServer> m_server;
    FakeSoundPlayer m_sound;
    FakeLauncher m_launcher;
    FakeDialogs m_dialogs;
    FakeWindowLister m_windows;
    MemorySettings m_user;
    MemorySettings m_machine;
};

void tst_E2eLobbyMenu::initTestCase()
{
    // Starts a second apart and more: the lobby's start limits stay out of the way.
    SteadyClock::setForTests([] {
        static qint64 now = 0;
        return now += 5000;
    });
    Platform::setSound(&m_sound);
    Platform::setLauncher(&m_launcher);
    Platform::setWindowLister(&m_windows);
    UserDialogs::setCurrent(&m_dialogs);
    Waits::setTimeScale(0.05);
    QVERIFY(m_data.isValid());
    ServerOptions options = LocalService::OnFreePorts(m_data.path());
    m_server = std::make_unique<VtServer>(options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
}

void tst_E2eLobbyMenu::cleanupTestCase()
{
    m_server->stop();
    m_server.reset();
    Platform::setSound(nullptr);
    Platform::setLauncher(nullptr);
    Platform::setWindowLister(nullptr);
    UserDialogs::setCurrent(nullptr);
}

void tst_E2eLobbyMenu::games_menu_starts_the_card_table()
{
    LobbyStartup startup;
    startup.settings = &m_user;
    startup.machineSettings = &m_machine;
    startup.arguments = QStringList{QString::number(m_server->lobbyPort()), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QStringLiteral("/opt/vantora/");
    TLobbyMainForm form(startup);
    form.Activated = true;
    form.resize(1000, 760);
    form.show();
    form.chatSession().UserName = "Ann";
    form.chatSession().Password = "secret";
    form.FileConnectItemClick();
    QTRY_VERIFY(form.Memo2->toPlainText().contains(QLatin1String("Welcome to Vantora, Ann.")));

    // "Games": the lobby asks for the menu, the menu server paints it.
    form.btnGames->click();
    TGamesFrame *games = form.GamesFrame1;
    QTRY_VERIFY_WITH_TIMEOUT(games->MenuActive && games->MenuConnected(), 10000);
    const TAnsi &engine = form.Engine();
    QTRY_VERIFY(RowShowing(engine, "Card Table 1") > 0);
    QTRY_VERIFY(form.SlideIsOpen());
    QCOMPARE(form.StatusPanel0->text(), QString());
    const int row = RowShowing(engine, "Card Table 1");
    int column = 1;
    while (column < TAnsi::ColumnCount && engine.CharAtCell(column, row) != 'C')
        ++column;

    // A press on the table's line.
    TSurfaceImage *image = games->Image2;
    const QPoint point(column * engine.CellWidth() + 1, row * engine.CellHeight() + 1);
    QTRY_VERIFY(!form.SlideMoving());
    games->Scroller->ensureVisible(point.x(), point.y());
    QTest::mouseMove(image, point);
    QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(image, Qt::LeftButton, {}, point);
    QTest::mouseRelease(image, Qt::LeftButton, {}, point);
    QTRY_COMPARE(m_launcher.launches.size(), 1);
    QCOMPARE(m_launcher.launches[0].program, QStringLiteral("/opt/vantora/Cardamo"));
    QCOMPARE(m_launcher.launches[0].arguments,
             (QStringList{"127.0.0.1", QString::number(m_server->gamePort(0)), "Ann"}));
    QCOMPARE(m_launcher.launches[0].environment.value(QStringLiteral("VANTORA_PASSWORD")),
             QStringLiteral("secret"));
    QCOMPARE(m_launcher.launches[0].workingDir, QStringLiteral("/opt/vantora/"));
    QVERIFY(games->MenuActed);

    // The second table through the button the server placed beside it.
    QTRY_VERIFY(games->Buttons().count() >= 2);
    QAbstractButton *second = games->Buttons().button("entry2");
    QVERIFY2(second, "the menu server names its buttons entry1, entry2, ...");
    second->click();
    QTRY_COMPARE(m_launcher.launches.size(), 2);
    QCOMPARE(m_launcher.launches[1].arguments.at(1), QString::number(m_server->gamePort(1)));

    // The chat-room page: its menu takes over, and a room's button starts
    // the chat room on that room's port.
    QTRY_VERIFY(form.btnParloras->isEnabled());
    form.btnParloras->click();
    TGamesFrame *rooms = form.GamesFrame2;
    QTRY_VERIFY_WITH_TIMEOUT(rooms->MenuActive && rooms->MenuConnected(), 10000);
    QVERIFY(!games->MenuConnected());
    QTRY_VERIFY(RowShowing(engine, "Vantora Chat Rooms") > 0);
    QTRY_VERIFY(rooms->Buttons().button("entry1"));
    rooms->Buttons().button("entry1")->click();
    QTRY_COMPARE(m_launcher.launches.size(), 3);
    QCOMPARE(m_launcher.launches[2].program, QStringLiteral("/opt/vantora/Parlora"));
    QCOMPARE(m_launcher.launches[2].arguments,
             (QStringList{"127.0.0.1", QString::number(m_server->roomPort(0)), "Ann"}));
    QCOMPARE(m_launcher.launches[2].environment.value(QStringLiteral("VANTORA_PASSWORD")),
             QStringLiteral("secret"));
    QVERIFY(rooms->MenuActed);

    // "Parloras" again closes the panel and the menu connection.
    QTRY_VERIFY(form.btnParloras->isEnabled());
    form.btnParloras->click();
    QTRY_VERIFY(!form.SlideIsOpen());
    QVERIFY(!rooms->MenuConnected());
    QVERIFY(m_dialogs.asked.isEmpty());
}

VT_TEST_MAIN(tst_E2eLobbyMenu)
#include "tst_e2e_lobbymenu.moc"
