// The lobby against the suite's own service (vtserve, in-process): one user
// in the lobby window, another on a plain socket speaking the same protocol.

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QAction>
#include <QMenu>

#include "ChatSession.h"
#include "Fakes.h"
#include "LobbyDispatch.h"
#include "LobbyMain.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "Printable.h"
#include "ServiceClient.h"
#include "TestMain.h"
#include "UserListView.h"
#include "VtServer.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

class tst_LobbyService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void two_users_chat_whisper_and_find_each_other();
    void two_lobbies_chat_whisper_and_find_each_other();

private:
    std::unique_ptr<TLobbyMainForm> lobbyWindow(MemorySettings &user);
    QTemporaryDir m_data;
    std::unique_ptr<VtServer> m_server;
    QStringList m_log;
    FakeSoundPlayer m_sound;
    FakeWindowLister m_windows;
    MemorySettings m_user;
    MemorySettings m_machine;
};

namespace {

// Opens the user list's menu on `caption` and picks the entry.
bool chooseForUser(TLobbyMainForm &form, const QByteArray &caption, const QString &entry)
{
    form.Memo3->clearSelection();
    for (int row = 0; row < form.Memo3->rowCount(); ++row)
        form.Memo3->topLevelItem(row)->setSelected(form.Memo3->caption(row) == caption);
    form.PopupMenu2Popup();
    for (QAction *action : form.PopupMenu2->actions()) {
        if (action->text() == entry) {
            action->trigger();
            return true;
        }
    }
    return false;
}

bool captionsInclude(const TLobbyMainForm &form, const QByteArray &caption)
{
    for (int row = 0; row < form.Memo3->rowCount(); ++row)
        if (form.Memo3->caption(row) == caption)
            return true;
    return false;
}

} // namespace

void tst_LobbyService::initTestCase()
{
    Platform::setSound(&m_sound);
    Platform::setWindowLister(&m_windows);
    Waits::setTimeScale(0.05);
    QVERIFY(m_data.isValid());
    ServerOptions options;
    options.lobbyPort = options.gamesMenuPort = options.roomsMenuPort = 0;
    options.roomBasePort = options.tableBasePort = 0;
    options.httpPort = -1;
    options.dataFolder = m_data.path();
    options.passwordIterations = 10;
    options.logger = [this](const QString &line) { m_log.append(line); };
    m_server = std::make_unique<VtServer>(options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
}

void tst_LobbyService::cleanupTestCase()
{
    m_server->stop();
    m_server.reset();
    Platform::setSound(nullptr);
    Platform::setWindowLister(nullptr);
}

void tst_LobbyService::two_users_chat_whisper_and_find_each_other()
{
    LobbyStartup startup;
    startup.settings = &m_user;
    startup.machineSettings = &m_machine;
    startup.arguments = QStringList{QString::number(m_server->lobbyPort()), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    TLobbyMainForm form(startup);
    form.Activated = true;
    form.show();
    form.cbClickSound->setChecked(false);
    form.Memo6->setPlainText(QStringLiteral("in the test"));
    form.chatSession().UserName = "Ann";
    form.chatSession().Password = "secret";
    form.FileConnectItemClick();

    // Accepted, introduced, listed (the first account is the sysop).
    QTRY_VERIFY(form.Memo2->toPlainText().contains(QLatin1String("Welcome to Vantora, Ann.")));
    QTRY_VERIFY(m_log.join(QLatin1Char('\n')).contains(QLatin1String("Ann runs version 6.11")));
    QTRY_COMPARE(form.PlayersCaption->text(), QStringLiteral(" 1 Online"));
    QCOMPARE(form.Memo3->caption(0), QByteArray("$Ann"));
    QVERIFY(form.Dispatcher().IntroSent);

    // Bob comes in on a plain socket.
    ServiceClient bob(m_server->lobbyPort());
    QVERIFY(bob.identify("Bob", "pw"));
    QTRY_COMPARE(form.PlayersCaption->text(), QStringLiteral(" 2 Online"));
    QTRY_VERIFY(form.Memo2->toPlainText().contains(QLatin1String("Bob (Enter)>")));

    // Chat both ways.
    bob.write("\x1b[3hello Ann");
    QTRY_VERIFY(form.Memo2->toPlainText().contains(QLatin1String("Bob> hello Ann")));
    form.Memo1->setPlainText(QStringLiteral("hello Bob"));
    QTest::mouseClick(form.SendButton, Qt::LeftButton);
    QTRY_VERIFY(printable(bob.received()).contains(QLatin1String("Ann\\x1b[b> \\x1b[3hello Bob")));

    // A whisper through the user list's menu.
    form.Memo1->setPlainText(QStringLiteral("psst"));
    QVERIFY(chooseForUser(form, "Bob", QStringLiteral("Whisper to Bob")));
    QTRY_VERIFY(printable(bob.received()).contains(QLatin1String("Ann (private)\\x1b[b> \\x1b[3psst")));
    QTRY_VERIFY(form.Memo2->toPlainText().contains(QLatin1String("To Bob> psst")));

    // A private line typed by hand goes to Bob alone, not out as chat.
    bob.clearReceived();
    form.Memo1->setPlainText(QStringLiteral("/msg Bob by hand"));
    QTest::mouseClick(form.SendButton, Qt::LeftButton);
    QTRY_VERIFY(printable(bob.received()).contains(QLatin1String("Ann (private)\\x1b[b> \\x1b[3by hand")));
    QVERIFY(!printable(bob.received()).contains(QLatin1String("/msg")));

    // Bob asks where Ann is; her lobby answers by itself.
    bob.clearReceived();
    bob.write(Marker::WhereIsRequest + "$Ann");
    QTRY_VERIFY(printable(bob.received()).contains(QLatin1String("Vantora Chat Version 6.11")));
    QVERIFY2(printable(bob.received()).contains(QLatin1String("Where is Ann:")), qPrintable(printable(bob.received())));
    QVERIFY(printable(bob.received()).contains(QLatin1String("in the test\\x0d\\x0aAnn's Time is ")));
    QVERIFY(form.Memo2->toPlainText().contains(QLatin1String("Looking For")));

    // Away: the service lists Ann with the away state.
    bob.clearReceived();
    form.ImAway();
    QTRY_VERIFY(printable(bob.received()).contains(QLatin1String("$Ann=13;1;")));
    QTRY_VERIFY(printable(bob.received()).contains(QLatin1String("I'm Away!")));

    bob.socket().disconnectFromHost();
    QTRY_COMPARE(form.PlayersCaption->text(), QStringLiteral(" 1 Online"));
}

std::unique_ptr<TLobbyMainForm> tst_LobbyService::lobbyWindow(MemorySettings &user)
{
    LobbyStartup startup;
    startup.settings = &user;
    startup.machineSettings = &m_machine;
    startup.arguments = QStringList{QString::number(m_server->lobbyPort()), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    auto form = std::make_unique<TLobbyMainForm>(startup);
    form->Activated = true;
    form->show();
    form->cbClickSound->setChecked(false);
    return form;
}

// Two lobby windows, as two users on two machines would have them: each
// has its own chat session, so each answers where-is queries for its own user.
void tst_LobbyService::two_lobbies_chat_whisper_and_find_each_other()
{
    MemorySettings cySettings;
    MemorySettings deeSettings;
    auto cy = lobbyWindow(cySettings);
    cy->chatSession().UserName = "Cy";
    cy->chatSession().Password = "cy-pw";
    cy->FileConnectItemClick();
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("Welcome to Vantora, Cy.")));

    auto dee = lobbyWindow(deeSettings);
    dee->Memo6->setPlainText(QStringLiteral("at the other desk"));
    dee->chatSession().UserName = "Dee";
    dee->chatSession().Password = "dee-pw";
    dee->FileConnectItemClick();
    QTRY_VERIFY(dee->Memo2->toPlainText().contains(QLatin1String("Welcome to Vantora, Dee.")));

    // Each sees the other in the list.
    QTRY_COMPARE(cy->PlayersCaption->text(), QStringLiteral(" 2 Online"));
    QTRY_COMPARE(dee->PlayersCaption->text(), QStringLiteral(" 2 Online"));
    QVERIFY(captionsInclude(*cy, "Dee"));
    QVERIFY(captionsInclude(*dee, "Cy"));

    // Chat both ways.
    cy->Memo1->setPlainText(QStringLiteral("hello Dee"));
    QTest::mouseClick(cy->SendButton, Qt::LeftButton);
    QTRY_VERIFY(dee->Memo2->toPlainText().contains(QLatin1String("Cy> hello Dee")));
    dee->Memo1->setPlainText(QStringLiteral("hi Cy"));
    QTest::mouseClick(dee->SendButton, Qt::LeftButton);
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("Dee> hi Cy")));

    // Private lines: from the list's menu and typed by hand.
    cy->Memo1->setPlainText(QStringLiteral("from the menu"));
    QVERIFY(chooseForUser(*cy, "Dee", QStringLiteral("Whisper to Dee")));
    QTRY_VERIFY(dee->Memo2->toPlainText().contains(QLatin1String("Cy (private)> from the menu")));
    dee->Memo1->setPlainText(QStringLiteral("/msg Cy typed back"));
    QTest::mouseClick(dee->SendButton, Qt::LeftButton);
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("Dee (private)> typed back")));
    QVERIFY(!cy->Memo2->toPlainText().contains(QLatin1String("/msg")));

    // Away and back.
    dee->ImAway();
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("Dee> I'm Away!")));
    dee->ImHere();
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("Dee> I'm Here!")));

    // Cy asks where Dee is; Dee's window answers by itself.
    QVERIFY(chooseForUser(*cy, "Dee", QStringLiteral("Where is Dee?")));
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("Where is Dee:")));
    QTRY_VERIFY(cy->Memo2->toPlainText().contains(QLatin1String("at the other desk")));
    cy->Memo6->setPlainText(QStringLiteral("back at the first desk"));
    QVERIFY(chooseForUser(*dee, "Cy", QStringLiteral("Where is Cy?")));
    QTRY_VERIFY(dee->Memo2->toPlainText().contains(QLatin1String("back at the first desk")));

    // Dee leaves; Cy's list follows.
    dee.reset();
    QTRY_COMPARE(cy->PlayersCaption->text(), QStringLiteral(" 1 Online"));
}

VT_TEST_MAIN(tst_LobbyService)
#include "tst_lobbyservice.moc"
