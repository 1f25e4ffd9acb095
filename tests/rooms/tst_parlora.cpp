// The chat room window against a room server on loopback: connecting and
// identification, what each kind of chunk does, sending by level, the lock,
// errors and the end of the connection, the member list and its menu, and
// the chat view's menu with the chat log.

#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "ByteText.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "Fakes.h"
#include "GreyMsg.h"
#include "LoopbackServer.h"
#include "ParloraU.h"
#include "Platform.h"
#include "Printable.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "Shape.h"
#include "TestMain.h"
#include "UserListView.h"
#include "Waits.h"
#include "WinState.h"
#include "uRichEditWithLinks.h"

namespace {

const QByteArray kIdent = Marker::IdentifyOpen + "Me" + Marker::IdentifyClose + "pw";
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kMaroon(128, 0, 0);

QByteArray listBlock(const QList<QByteArray> &rows)
{
    return Marker::PlayerListLine + rows.join("\r\n") + "\x1b]";
}

// A heading, Ann, Bob, "-- Guest --", Cy, "-- Audience --", then the rows given.
QByteArray theatre(const QList<QByteArray> &speakers, const QList<QByteArray> &audience)
{
    QList<QByteArray> rows{"-- Speakers --=0;0;0"};
    for (const QByteArray &name : speakers)
        rows.append(name + "=1;0;5");
    rows.append("-- Guest --=0;0;0");
    rows.append("Cy=1;0;5");
    rows.append("-- Audience --=0;0;0");
    for (const QByteArray &name : audience)
        rows.append(name + "=1;0;5");
    return listBlock(rows);
}

int rowOf(const TUserListView *list, const QByteArray &caption)
{
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->caption(row) == caption)
            return row;
    return -1;
}

QStringList entryTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    return texts;
}

QAction *entryNamed(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class TestParlora : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void identifiesThenReadyLater();
    void noUserNameClosesAfterConnecting();
    void lightsFollowKeepAlivesAndChat();
    void twoZeroBytesGoToTheRenderer();
    void lockOfferDropsTheChatAfterIt();
    void roomTitle_data();
    void roomTitle();
    void noticeOpensAGreyWindow();
    void audienceLinesAreNotSent();
    void lockAndPasswordDialogs();
    void refusedConnectionEndsTheProgram();
    void otherErrorsAreCommunicationsErrors();
    void serverClosingLeavesTheWindowOpen();
    void turnedAwayBeforeReadyKeepsTheReason();
    void memberCount_data();
    void memberCount();
    void roleCommandsGoOutApart();
    void whereIsDropsAwayMarks();
    void headingRowsAreBoxesNeverSelected();
    void memberMenuByLevel();
    void chatLogAndChatViewMenu();
    void refreshColorsRunsActivationAgain();
    void placementSurvivesARestart();
    void roomPictureShowsTheWholeLogo();

private:
    std::unique_ptr<TParloras> open(const QStringList &args);
    std::unique_ptr<TParloras> openReady(LoopbackServer &server);
    // Sends a chunk and waits until the window has seen it.
    void deliver(LoopbackServer &server, TParloras &window, const QByteArray &chunk,
                 const std::function<bool()> &seen);

    std::unique_ptr<InstalledFakes> m_fakes;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
    int m_ended = 0;
    QElapsedTimer m_clock;
    qint64 m_endedAt = -1;
};

void TestParlora::initTestCase()
{
    Waits::setTimeScale(0.2);
}

void TestParlora::init()
{
    m_fakes = std::make_unique<InstalledFakes>();
    m_dialogs = &m_fakes->dialogs;
    m_sound = &m_fakes->sound;
    TestEnvironment::forgetSuiteSettings();
    m_ended = 0;
    m_endedAt = -1;
    m_clock.start();
}

void TestParlora::cleanup()
{
    m_fakes.reset();
    Waits::setTimeScale(0.2);
}

std::unique_ptr<TParloras> TestParlora::open(const QStringList &args)
{
    auto window = TestEnvironment::shownWindow<TParloras>(args);
    window->EndProgram = [this] {
        ++m_ended;
        m_endedAt = m_clock.elapsed();
    };
    return window;
}

std::unique_ptr<TParloras> TestParlora::openReady(LoopbackServer &server)
{
    auto window = open({server.host(), server.portText(), "Me", "pw"});
    if (!server.waitForBytes(kIdent + Marker::ClientReady))
        qWarning("the room client did not get ready");
    // The view is emptied as the client gets ready.
    if (!QTest::qWaitFor([&] { return window->Memo5->toPlainText().isEmpty(); }))
        qWarning("the chat view was not emptied");
    return window;
}

void TestParlora::deliver(LoopbackServer &server, TParloras &, const QByteArray &chunk,
                          const std::function<bool()> &seen)
{
    server.send(chunk);
    if (!QTest::qWaitFor(seen, 5000))
        qWarning("the chunk had no effect: %s", qPrintable(printable(chunk)));
}

void TestParlora::identifiesThenReadyLater()
{
    Waits::setTimeScale(1.0);   // the connecting texts are watched as they come
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = open({server.host(), server.portText(), "Me", "pw"});
    QCOMPARE(window->Memo5->toPlainText(), QStringLiteral("Connecting..."));
    QTRY_COMPARE_WITH_TIMEOUT(window->Memo5->toPlainText(), QStringLiteral("Connecting.........."),
                              3000);
    QVERIFY(server.waitForBytes(kIdent + Marker::ClientReady));
    QCOMPARE(server.received(), kIdent + Marker::ClientReady);
    QVERIFY(server.timeOf(kIdent) >= 150 - 5);
    const qint64 gap = server.timeOf(kIdent + Marker::ClientReady) - server.timeOf(kIdent);
    QVERIFY2(gap >= 750 - 10, qPrintable(QString::number(gap)));
    QTRY_VERIFY(window->Memo5->toPlainText().isEmpty());
}

void TestParlora::noUserNameClosesAfterConnecting()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = open({server.host(), server.portText()});
    QVERIFY(server.waitForClient());
    QTRY_VERIFY(!window->isVisible());
    QTest::qWait(Waits::scaled(1000));
    QVERIFY(server.received().isEmpty());
}

void TestParlora::lightsFollowKeepAlivesAndChat()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    TShape *light = window->Shape1;
    QCOMPARE(light->brushColor(), QColor(255, 255, 128));
    deliver(server, *window, QByteArray(1, '\0'), [&] { return light->brushColor() == kLime; });
    QCOMPARE(light->brushColor(), kLime);
    deliver(server, *window, QByteArray(1, '\0'), [&] { return light->brushColor() == kGreen; });
    QCOMPARE(light->brushColor(), kGreen);
    deliver(server, *window, "plain line\r\n", [&] { return light->brushColor() == kRed; });
    QCOMPARE(light->brushColor(), kRed);
    deliver(server, *window, "another\r\n", [&] { return light->brushColor() == kMaroon; });
    QCOMPARE(light->brushColor(), kMaroon);
    // Chat behind the chat marker leaves the light alone.
    deliver(server, *window, Marker::ChatMarker + "marked\r\n",
            [&] { return window->Memo5->toPlainText().contains(QLatin1String("marked")); });
    QCOMPARE(light->brushColor(), kMaroon);
    const QString chat = window->Memo5->toPlainText();
    QVERIFY(chat.contains(QLatin1String("plain line")));
    QVERIFY(!chat.contains(QChar(0xE7)));   // the marker is not shown
}

void TestParlora::twoZeroBytesGoToTheRenderer()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    const QString log = TestEnvironment::root() + QStringLiteral("/zeros.log");
    QFile::remove(log);
    window->chatSession().LogFileName = log;
    deliver(server, *window, QByteArray(2, '\0'),
            [&] { return window->Shape1->brushColor() == kRed; });
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(2, '\0'));
}

void TestParlora::lockOfferDropsTheChatAfterIt()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    QVERIFY(!window->Lock->isEnabled());
    QVERIFY(!window->LockGranted);
    deliver(server, *window, Marker::LockOffer + Marker::ChatMarker + "lost line\r\n",
            [&] { return window->Lock->isEnabled(); });
    QVERIFY(window->LockGranted);
    QCOMPARE(window->btnAway->defaultAction(), window->Lock);
    QTest::qWait(50);
    QVERIFY(!window->Memo5->toPlainText().contains(QLatin1String("lost line")));
}

void TestParlora::roomTitle_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("lockEnabled");

    QTest::newRow("Public Lobby") << Marker::TitleMarker + "Public Lobby"
                                  << QStringLiteral("Public Lobby") << QColor(118, 4, 155) << false;
    QTest::newRow("Sysop Public") << Marker::TitleMarker + "Sysop Public"
                                  << QStringLiteral("Sysop Public") << QColor(118, 4, 155) << false;
    QTest::newRow("lock offer in the title")
        << Marker::TitleMarker + "Sysop" + Marker::LockOffer << QStringLiteral("Sysop")
        << QColor(141, 58, 18) << true;
    QTest::newRow("another room") << Marker::TitleMarker + "Chess" << QStringLiteral("Chess")
                                  << QColor(0, 0, 128) << false;
}

void TestParlora::roomTitle()
{
    QFETCH(QByteArray, chunk);
    QFETCH(QString, caption);
    QFETCH(QColor, colour);
    QFETCH(bool, lockEnabled);

    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, chunk, [&] { return window->windowTitle() == caption; });
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(window->Memo5->toPlainText(), QLatin1String("\n Welcome to ") + caption + '\n');
    QVERIFY(server.waitForBytes(Marker::ClientReady + "/Buff"));
    QCOMPARE(window->Lock->isEnabled(), lockEnabled);
    QVERIFY(!window->LockGranted);

    // The room panel right of the picture shows the room's colour.
    const QImage panel = window->Panel6->grab().toImage();
    QCOMPARE(panel.pixelColor(panel.width() - 3, panel.height() / 2), colour);
}

void TestParlora::noticeOpensAGreyWindow()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    const auto notices = [&] { return window->findChildren<TfrmGreyMsg *>(); };

    deliver(server, *window, Marker::NoticeMarker + " Host>Hello there",
            [&] { return notices().size() == 1; });
    QCOMPARE(notices().size(), 1);
    TfrmGreyMsg *first = notices().first();
    QCOMPARE(first->windowTitle(), QStringLiteral("Host"));
    QCOMPARE(first->text(), QStringLiteral("Hello there"));
    QVERIFY(first->isVisible());
    QCOMPARE(m_sound->played.size(), 1);
    QVERIFY(m_sound->played.first().endsWith(QLatin1String("Poll.Wav")));

    // The sound still plays: the next notice is not played over it, but it
    // opens its own window.
    deliver(server, *window, Marker::NoticeMarker + " no caption here",
            [&] { return notices().size() == 2; });
    QCOMPARE(m_sound->played.size(), 1);
    QCOMPARE(m_sound->stops, 0);
    bool found = false;
    for (const TfrmGreyMsg *notice : notices())
        found |= notice->windowTitle() == QLatin1String("no caption here")
                 && notice->text() == QLatin1String("no caption here");
    QVERIFY(found);

    m_sound->finish();
    deliver(server, *window, Marker::NoticeMarker + " A>B", [&] { return notices().size() == 3; });
    QCOMPARE(m_sound->played.size(), 2);
}

void TestParlora::audienceLinesAreNotSent()
{
    RegistrySettings store;
    store.writeString(VantoraKey(QStringLiteral("ATColor")), QStringLiteral("<c>"));
    store.writeString(VantoraKey(QStringLiteral("ATStyle")), QStringLiteral("<s>"));
    store.flush();
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, theatre({"Ann", "Bob"}, {"Me", "Dee"}),
            [&] { return window->Memo6->rowCount() == 8; });
    QCOMPARE(window->OwnLevel(), 1);

    const QByteArray before = server.received();
    window->Memo4->setPlainText(QStringLiteral("hello"));
    QTest::keyClick(window->Memo4, Qt::Key_Return);
    QVERIFY(window->Memo4->toPlainText().isEmpty());
    QCOMPARE(window->Shape1->brushColor(), kGreen);
    QTest::qWait(100);
    QCOMPARE(server.received(), before);

    // Moved up among the speakers, the same line goes out with the prefixes.
    deliver(server, *window, theatre({"Ann", "Me", "Bob"}, {"Dee"}),
            [&] { return window->OwnLevel() == 3; });
    window->Memo4->setPlainText(QStringLiteral("\nhello"));
    QTest::keyClick(window->Memo4, Qt::Key_Return);
    QVERIFY(server.waitForBytes(before + "<c><s>hello"));
    QCOMPARE(server.received(), before + "<c><s>hello");
    QVERIFY(window->Memo4->toPlainText().isEmpty());
}

void TestParlora::lockAndPasswordDialogs()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, Marker::LockOffer, [&] { return window->Lock->isEnabled(); });

    // Cancelled: the marker goes out alone.
    m_dialogs->textAnswers = {QString()};
    window->Lock->trigger();
    QVERIFY(server.waitForBytes(Marker::ClientReady + Marker::PasswordMarker));
    QCOMPARE(m_dialogs->asked.last().caption, QStringLiteral("Room Security"));
    QCOMPARE(m_dialogs->asked.last().text, QStringLiteral(" Enter Password :"));

    m_dialogs->textAnswers = {QStringLiteral("secret")};
    window->Lock->trigger();
    QVERIFY(server.waitForBytes(Marker::PasswordMarker + Marker::PasswordMarker + "secret"));

    // The server asking for the room's password; the rest of its chunk is dropped.
    m_dialogs->textAnswers = {QStringLiteral("pw2")};
    server.send(Marker::PasswordMarker + "dropped\r\n");
    QVERIFY(server.waitForBytes("secret" + Marker::PasswordMarker + "pw2"));
    QCOMPARE(m_dialogs->asked.last().caption, QStringLiteral("Security"));
    QVERIFY(!window->Memo5->toPlainText().contains(QLatin1String("dropped")));
}

void TestParlora::refusedConnectionEndsTheProgram()
{
    m_clock.restart();
    auto window = open({QStringLiteral("127.0.0.1"), QString::number(LoopbackServer::unusedPort()), "Me", "pw"});
    QTRY_COMPARE_WITH_TIMEOUT(m_ended, 1, Waits::scaled(3000) + 3000);
    QVERIFY2(m_endedAt >= Waits::scaled(3000) - 10, qPrintable(QString::number(m_endedAt)));
    const QString chat = window->Memo5->toPlainText();
    QCOMPARE(chat.count(QLatin1String("Error Connecting to NODE Server: 127.0.0.1")), 1);
    QVERIFY(chat.contains(QLatin1String("Try Again Later.")));
    // The connecting dots stop with the failure: the notice is the last word.
    QVERIFY2(chat.trimmed().endsWith(QLatin1String("Try Again Later.")), qPrintable(chat));
    QVERIFY(!chat.contains(QLatin1String("Communications Error")));
    QVERIFY(!window->Lock->isEnabled());
}

void TestParlora::otherErrorsAreCommunicationsErrors()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    m_clock.restart();
    emit window->ClientSocket->errorOccurred(QAbstractSocket::NetworkError);
    emit window->ClientSocket->errorOccurred(QAbstractSocket::NetworkError);
    QTRY_COMPARE_WITH_TIMEOUT(m_ended, 1, Waits::scaled(3000) + 3000);
    QVERIFY(m_endedAt >= Waits::scaled(3000) - 10);
    const QString chat = window->Memo5->toPlainText();
    QCOMPARE(chat.count(QLatin1String("Communications Error")), 1);
    QVERIFY(!chat.contains(QLatin1String("Connection Terminated.")));
    QTRY_VERIFY(server.closed());
}

void TestParlora::serverClosingLeavesTheWindowOpen()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, Marker::LockOffer, [&] { return window->Lock->isEnabled(); });
    server.send(Marker::ChatMarker + "bye now\r\n");
    server.hangUp();
    QTRY_VERIFY(window->Memo5->toPlainText().contains(QLatin1String("Connection Terminated.")));
    QVERIFY(window->Memo5->toPlainText().contains(QLatin1String("bye now")));
    QVERIFY(!window->Lock->isEnabled());
    QTest::qWait(Waits::scaled(3000) + 100);
    QVERIFY(window->isVisible());
    QCOMPARE(m_ended, 0);
}

void TestParlora::turnedAwayBeforeReadyKeepsTheReason()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = open({server.host(), server.portText(), "Me", "pw"});
    QVERIFY(server.waitForBytes(kIdent));
    server.send("Invalid User\r\n");
    server.hangUp();
    QTRY_VERIFY(window->Memo5->toPlainText().contains(QLatin1String("Connection Terminated.")));
    // Past the moment the client would have got ready.
    QTest::qWait(Waits::scaled(750) + 100);
    QVERIFY(window->Memo5->toPlainText().contains(QLatin1String("Invalid User")));
    QVERIFY(window->Memo5->toPlainText().contains(QLatin1String("Connection Terminated.")));
    QVERIFY(!server.received().contains(Marker::ClientReady));
}

void TestParlora::memberCount_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QString>("count");
    QTest::newRow("moderated") << QByteArray("Public Lobby") << QStringLiteral("5 Clients");
    QTest::newRow("not moderated") << QByteArray("Sysop") << QStringLiteral("8 Clients");
}

void TestParlora::memberCount()
{
    QFETCH(QByteArray, title);
    QFETCH(QString, count);
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    QCOMPARE(window->Panel9->text(), QStringLiteral("Clients logged in"));
    deliver(server, *window, Marker::TitleMarker + title,
            [&] { return window->windowTitle() == DisplayText(title); });
    deliver(server, *window, theatre({"Ann", "Bob"}, {"Me", "Dee"}),
            [&] { return window->Memo6->rowCount() == 8; });
    QCOMPARE(window->Panel9->text(), count);
    QCOMPARE(window->ModeratedRoom(), title.contains("Public"));
}

void TestParlora::roleCommandsGoOutApart()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, theatre({"Ann", "Bob"}, {"$Me", "Dee"}),
            [&] { return window->Memo6->rowCount() == 8; });
    window->Memo6->topLevelItem(rowOf(window->Memo6, "Ann"))->setSelected(true);
    window->Memo6->topLevelItem(rowOf(window->Memo6, "Cy"))->setSelected(true);
    window->Memo4->setPlainText(QStringLiteral("typed"));

    const QByteArray ann = Marker::ButtonPress + "2>Ann\r\n";
    const QByteArray cy = Marker::ButtonPress + "2>Cy\r\n";
    window->MemberCommand(RoomMembers::Entry::MakeGuest);
    QVERIFY(server.waitForBytes(ann + cy));
    QVERIFY(server.received().endsWith(Marker::ClientReady + ann + cy));
    const qint64 gap = server.timeOf(ann + cy) - server.timeOf(ann);
    QVERIFY2(gap >= Waits::scaled(100) - 10, qPrintable(QString::number(gap)));
    QTRY_VERIFY(window->Memo4->toPlainText().isEmpty());

    // Nothing selected: nothing sent, the input still emptied.
    window->Memo6->clearSelection();
    window->Memo4->setPlainText(QStringLiteral("typed"));
    window->MemberCommand(RoomMembers::Entry::Boot);
    QTRY_VERIFY(window->Memo4->toPlainText().isEmpty());
    QVERIFY(server.received().endsWith(ann + cy));
}

void TestParlora::whereIsDropsAwayMarks()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, theatre({"Bob [AWAY]", "Me"}, {}),
            [&] { return window->Memo6->rowCount() == 6; });
    window->Memo6->topLevelItem(rowOf(window->Memo6, "Bob [AWAY]"))->setSelected(true);
    window->MemberCommand(RoomMembers::Entry::WhereIs);
    QVERIFY(server.waitForBytes(Marker::WhereIsRequest + "Bob"));
    QVERIFY(server.received().endsWith(Marker::WhereIsRequest + "Bob"));
}

void TestParlora::headingRowsAreBoxesNeverSelected()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, theatre({"Ann", "Me"}, {"Dee"}),
            [&] { return window->Memo6->rowCount() == 7; });
    TUserListView *list = window->Memo6;

    list->selectAll();
    QCOMPARE(window->selectedMemberCaptions(), (QList<QByteArray>{"Ann", "Me", "Cy", "Dee"}));
    list->clearSelection();
    const QRect guestRow = list->visualItemRect(list->topLevelItem(rowOf(list, "-- Guest --")));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, guestRow.center());
    QVERIFY(window->selectedMemberCaptions().isEmpty());
    QVERIFY(!list->topLevelItem(rowOf(list, "-- Guest --"))->isSelected());
    const QRect annRow = list->visualItemRect(list->topLevelItem(rowOf(list, "Ann")));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, annRow.center());
    QCOMPARE(window->selectedMemberCaptions(), QList<QByteArray>{"Ann"});

    // A row's info tip is its caption.
    QHelpEvent help(QEvent::ToolTip, annRow.center(), list->viewport()->mapToGlobal(annRow.center()));
    QCoreApplication::sendEvent(list->viewport(), &help);
    QCOMPARE(QToolTip::text(), QStringLiteral("Ann"));
    QToolTip::hideText();

    // The heading is a light-blue box framed in blue, with a blue line on top.
    const QImage picture = list->viewport()->grab().toImage();
    QCOMPARE(picture.pixelColor(guestRow.left() + 5, guestRow.top() + 4), QColor(193, 224, 255));
    QCOMPARE(picture.pixelColor(guestRow.left() + 5, guestRow.top()), QColor(0, 0, 255));
    QCOMPARE(picture.pixelColor(guestRow.right() - 5, guestRow.bottom() - 1), QColor(0, 0, 255));
    // A member row is painted by the list, not as a box.
    QVERIFY(picture.pixelColor(annRow.left() + 5, annRow.top() + 4) != QColor(193, 224, 255));
}

void TestParlora::memberMenuByLevel()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    deliver(server, *window, Marker::TitleMarker + "Public Lobby",
            [&] { return window->windowTitle() == QLatin1String("Public Lobby"); });
    deliver(server, *window, theatre({"Ann", "$Me"}, {"Dee"}),
            [&] { return window->Memo6->rowCount() == 7; });
    QCOMPARE(window->OwnLevel(), 9);

    window->PopupMenu2Popup();
    QVERIFY(window->PopupMenu2->isEmpty());   // nothing selected

    window->Memo6->topLevelItem(rowOf(window->Memo6, "Ann"))->setSelected(true);
    window->PopupMenu2Popup();
    QCOMPARE(entryTexts(window->PopupMenu2),
             (QStringList{"Where is Ann", "Whisper to Ann", "Make Speaker", "Make Guest",
                          "Make Audience", "Boot Ann", "Copy Name ", "Grey Box Ann"}));
    QVERIFY(!entryNamed(window->PopupMenu2, QStringLiteral("Whisper to Ann"))->isEnabled());

    window->Memo4->setPlainText(QStringLiteral("hi "));
    QTextCursor end = window->Memo4->textCursor();
    end.movePosition(QTextCursor::End);
    window->Memo4->setTextCursor(end);
    entryNamed(window->PopupMenu2, QStringLiteral("Copy Name "))->trigger();
    QCOMPARE(window->Memo4->toPlainText(), QStringLiteral("hi Ann "));

    m_dialogs->textAnswers = {QStringLiteral("hello")};
    entryNamed(window->PopupMenu2, QStringLiteral("Grey Box Ann"))->trigger();
    QCOMPARE(m_dialogs->asked.last().caption, QStringLiteral("Enter Message To Ann"));
    QCOMPARE(m_dialogs->asked.last().text, QStringLiteral("And You Say.."));
    QVERIFY(server.waitForBytes("/Gmsg Ann hello"));

    entryNamed(window->PopupMenu2, QStringLiteral("Boot Ann"))->trigger();
    QVERIFY(server.waitForBytes("/Gmsg Ann hello\x1b]/boot Ann"));

    // Whispers go out while the user may speak.
    window->PopupMenu2Popup();
    entryNamed(window->PopupMenu2, QStringLiteral("Whisper to Ann"))->trigger();
    QVERIFY(server.waitForBytes("/boot Ann/msg Ann hi Ann \r\n"));
    QVERIFY(window->Memo4->toPlainText().isEmpty());

    // Down in the audience: no menu, and a whisper is not sent.
    deliver(server, *window, theatre({"Ann"}, {"Me", "Dee"}),
            [&] { return window->OwnLevel() == 1; });
    window->Memo6->topLevelItem(rowOf(window->Memo6, "Ann"))->setSelected(true);
    window->PopupMenu2Popup();
    QVERIFY(window->PopupMenu2->isEmpty());
    const QByteArray before = server.received();
    window->Memo4->setPlainText(QStringLiteral("psst"));
    window->MemberCommand(RoomMembers::Entry::Whisper);
    QVERIFY(window->Memo4->toPlainText().isEmpty());
    QTest::qWait(100);
    QCOMPARE(server.received(), before);
}

void TestParlora::chatLogAndChatViewMenu()
{
    const QString previous = QDir::currentPath();
    QDir(TestEnvironment::root()).mkpath(QStringLiteral("work"));
    QVERIFY(QDir::setCurrent(TestEnvironment::root() + QStringLiteral("/work")));
    QFile::remove(QStringLiteral("ChatLog.txt"));

    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    QVERIFY(window->LogFileName().isEmpty());
    QVERIFY(!window->AutoLogChat1->isChecked());
    window->AutoLogChat1->trigger();
    QVERIFY(window->AutoLogChat1->isChecked());
    QCOMPARE(window->LogFileName(), QStringLiteral("ChatLog.txt"));

    deliver(server, *window, "\x1b[2Ann\x1b[1> hello\r\n",
            [&] { return window->Memo5->toPlainText().contains(QLatin1String("hello")); });
    window->AutoLogChat1->trigger();
    QVERIFY(window->LogFileName().isEmpty());
    deliver(server, *window, "not logged\r\n",
            [&] { return window->Memo5->toPlainText().contains(QLatin1String("not logged")); });

    QFile log(QStringLiteral("ChatLog.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("Ann > hello\r\n"));
    log.close();

    // "Copy Name" takes the selection up to its first ">".
    QApplication::clipboard()->setText(QStringLiteral("unchanged"));
    window->CopyName1->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("unchanged"));
    window->SelectAll1->trigger();
    window->CopyName1->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ann "));
    window->Copy1->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ann > hello\nnot logged\n"));

    window.reset();
    QDir::setCurrent(previous);
}

void TestParlora::refreshColorsRunsActivationAgain()
{
    LoopbackServer server(LoopbackServer::OneClient);
    auto window = openReady(server);
    RegistrySettings store;
    store.writeInteger(VantoraKey(QStringLiteral("WinColor")), int(RGBToTColor(10, 20, 30)));
    store.flush();
    window->SpeedButton2->click();
    QCOMPARE(window->Memo5->palette().color(QPalette::Base), QColor(10, 20, 30));
    QCOMPARE(window->Panel9->palette().color(QPalette::Window), QColor(10, 20, 30));

    store.writeInteger(VantoraKey(QStringLiteral("WinColor")), int(RGBToTColor(40, 50, 60)));
    store.flush();
    QTest::mouseClick(window->ToolBar1, Qt::LeftButton, {},
                      QPoint(window->ToolBar1->width() - 4, window->ToolBar1->height() / 2));
    QCOMPARE(window->Memo4->palette().color(QPalette::Base), QColor(40, 50, 60));
    // One connection all along.
    QCOMPARE(server.received(), kIdent + Marker::ClientReady);
}

VT_TEST_MAIN(TestParlora)
#include "tst_parlora.moc"

void TestParlora::placementSurvivesARestart()
{
    const QStringList args{QStringLiteral("127.0.0.1"), QString::number(LoopbackServer::unusedPort())};
    QRect placed;
    {
        auto window = open(args);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->setGeometry(QRect(QPoint(61, 73), QSize(610, 420)));
        placed = window->geometry();
        window->close();
    }
    // In the suite's settings tree, under the program's key.
    RegistrySettings store;
    QCOMPARE(store.readInteger(TWinState::DefaultIniFileName() + "/Theatre Chat/Width", -1),
             placed.width());
    auto again = open(args);
    QVERIFY(QTest::qWaitForWindowExposed(again.get()));
    QCOMPARE(again->geometry().size(), placed.size());
    QCOMPARE(again->geometry().topLeft(), placed.topLeft());
}

void TestParlora::roomPictureShowsTheWholeLogo()
{
    auto window = open({QStringLiteral("127.0.0.1"), QString::number(LoopbackServer::unusedPort())});
    QLabel *picture = window->findChild<QLabel *>(QStringLiteral("Image3"));
    QVERIFY(picture);
    QTRY_VERIFY(!picture->pixmap().isNull());
    const QImage image = picture->pixmap().toImage();
    // No key colour anywhere, and the logo's gold rim both near the top and
    // near the bottom of the picture: drawn whole, not cut off.
    int key = 0;
    int goldTop = 0;
    int goldBottom = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 230 && c.green() < 40 && c.blue() > 230)
                ++key;
            const bool gold = c.red() > 180 && c.green() > 120 && c.blue() < 100;
            if (gold && y < image.height() / 4)
                ++goldTop;
            if (gold && y >= image.height() * 3 / 4)
                ++goldBottom;
        }
    }
    QCOMPARE(key, 0);
    QVERIFY(goldTop > 0);
    QVERIFY(goldBottom > 0);
}
