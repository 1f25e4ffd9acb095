// The lightweight door terminal against a node server on loopback: its
// window, the command lines and their waits, "Connect", the chat text that
// goes to the screen, the beep and message boxes its screen asks for, and
// what it leaves out (buttons, messages).

#include <QtTest>

#include <QAbstractButton>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "Ansi.h"
#include "Fakes.h"
#include "GateletU.h"
#include "LoopbackServer.h"
#include "MessageBoxQueue.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "Waits.h"

namespace {

const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";

} // namespace

class TestGatelet : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void identifiesAfter1200And500();
    void hostAndPortOnly();
    void noArgumentsUsesPort2112AndCloses();
    void connectOnAnOpenConnection();
    void connectWithoutUserNameStillIdentifies();
    void chatTextGoesToTheScreen();
    void playerListReachesTheEngineUnchanged();
    void buttonRequestDrawsAndSendsNothing();
    void keysAndPresses();
    void engineReply();
    void screenBeepsAndOpensMessageBoxes();
    void failureShowsNothingAndConnectRetries();
    void hangUpClosesWithoutMessage();
    void largeFontRoundTrip();

private:
    std::unique_ptr<TfrmGatelet> open(const QStringList &args);

    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<InstalledFakes> m_fakes;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestGatelet::initTestCase()
{
    Waits::setTimeScale(0.1);
}

void TestGatelet::init()
{
    m_server = std::make_unique<LoopbackServer>(LoopbackServer::OneClient);
    m_fakes = std::make_unique<InstalledFakes>();
    m_dialogs = &m_fakes->dialogs;
    m_sound = &m_fakes->sound;
    TestEnvironment::forgetSuiteSettings();
}

void TestGatelet::cleanup()
{
    m_fakes.reset();
    m_server.reset();
}

std::unique_ptr<TfrmGatelet> TestGatelet::open(const QStringList &args)
{
    return TestEnvironment::shownWindow<TfrmGatelet>(args);
}

void TestGatelet::window()
{
    TfrmGatelet door({"h", "1"});
    QCOMPARE(door.windowTitle(), QStringLiteral("Vantora Door Game"));
    QCOMPARE(door.objectName(), QStringLiteral("TfrmGatelet"));
    QCOMPARE(door.size(), QSize(680, 480));
    QCOMPARE(door.minimumSize(), QSize(500, 400));
    QCOMPARE(door.maximumSize(), QSize(850, 600));
    QCOMPARE(door.Image2->image().size(), QSize(891, 500));
    QCOMPARE(door.Scrollbox1->palette().color(QPalette::Window), QColor(64, 0, 0));
    QCOMPARE(door.Panel4->height(), 35);
    QCOMPARE(door.StatusBar1->width(), 80);
    QCOMPARE(door.StatusPanel->text(), QStringLiteral("   Door 1.5"));
    QCOMPARE(door.Button1->text(), QStringLiteral("Connect"));
    QCOMPARE(door.Button1->size(), QSize(75, 25));
    QCOMPARE(door.SpeedButton1->text(), QStringLiteral("Large Fonts"));
    QCOMPARE(door.SpeedButton1->toolTip(), QStringLiteral("Large Fonts"));
    QCOMPARE(door.SpeedButton1->size(), QSize(107, 25));
    QVERIFY(door.SpeedButton1->isCheckable());
    // No chat panel, no player list, no lights.
    QVERIFY(!door.findChild<QPlainTextEdit *>());
    QVERIFY(!door.findChild<QWidget *>("Memo5"));
    QVERIFY(!door.findChild<QWidget *>("Memo6"));
    QVERIFY(!door.findChild<QWidget *>("Shape1"));
}

void TestGatelet::identifiesAfter1200And500()
{
    QElapsedTimer clock;
    clock.start();
    auto door = open({m_server->host(), m_server->portText(), "Ann", "pw"});
    QVERIFY(m_server->waitForClient());
    const qint64 connected = clock.elapsed();
    QVERIFY(m_server->waitForBytes(kIdent + Marker::ClientReady));
    QCOMPARE(m_server->received(), kIdent + Marker::ClientReady);
    const qint64 identified = m_server->timeOf(kIdent);
    const qint64 ready = m_server->timeOf(kIdent + Marker::ClientReady);
    QVERIFY2(ready - identified >= Waits::scaled(500) - 10,
             qPrintable(QString::number(ready - identified)));
    // The server's clock started before the window's connection.
    QVERIFY(identified >= connected + Waits::scaled(1200) - 20);
    QVERIFY(door->isVisible());
}

void TestGatelet::hostAndPortOnly()
{
    auto door = open({m_server->host(), m_server->portText()});
    QCOMPARE(door->session().NodePort, m_server->portText().toInt());
    QVERIFY(m_server->waitForClient());
    QTest::qWait(Waits::scaled(1200 + 500) + 100);
    QVERIFY(m_server->received().isEmpty());
    QVERIFY(door->isVisible());
    QTest::keyClicks(door->Scrollbox1, QStringLiteral("n"));
    QVERIFY(m_server->waitForBytes("n"));
}

void TestGatelet::noArgumentsUsesPort2112AndCloses()
{
    LoopbackServer server;
    if (!server.listen(2112, QHostAddress::Any))
        QSKIP("port 2112 is taken on this machine");
    auto door = open({});
    QCOMPARE(door->session().NodeHost, QByteArray("localhost"));
    QCOMPARE(door->session().NodePort, 2112);
    QTRY_VERIFY(server.connections() > 0);
    QTRY_VERIFY(!door->isVisible());
}

void TestGatelet::connectOnAnOpenConnection()
{
    auto door = open({m_server->host(), m_server->portText(), "Ann", "pw"});
    QVERIFY(m_server->waitForBytes(kIdent + Marker::ClientReady));
    m_server->clearReceived();
    QElapsedTimer clock;
    clock.start();
    door->Button1->click();
    QVERIFY(m_server->waitForBytes(kIdent + Marker::ClientReady));
    QCOMPARE(m_server->received(), kIdent + Marker::ClientReady);
    QVERIFY(clock.elapsed() >= Waits::scaled(1700) - 20);
    QVERIFY(door->ClientSocket->state() == QAbstractSocket::ConnectedState);
}

void TestGatelet::connectWithoutUserNameStillIdentifies()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    door->Button1->click();
    const QByteArray empty = Marker::IdentifyOpen + Marker::IdentifyClose + Marker::ClientReady;
    QVERIFY(m_server->waitForBytes(empty));
    QCOMPARE(m_server->received(), empty);
}

void TestGatelet::chatTextGoesToTheScreen()
{
    TfrmGatelet door({"h", "1"});
    door.dispatch("AB" + Marker::ChatMarker + "Bob> hi\r\n" + Marker::LockOffer + "CD");
    QCOMPARE(door.ScreenBuffer(), QByteArray("ABBob> hi\r\nCD"));
    door.dispatch(Marker::TitleMarker + "Door - Mines\r\nEF");
    QCOMPARE(door.windowTitle(), QStringLiteral("Door - Mines"));
    QCOMPARE(door.ScreenBuffer(), QByteArray("ABBob> hi\r\nCDEF"));
}

void TestGatelet::playerListReachesTheEngineUnchanged()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    const QByteArray list = "\x1b[L$Ann=13;0;1500\x1b]";
    door->dispatch(Marker::ChatMarker + list);
    QCOMPARE(door->ScreenBuffer(), list);
    QTRY_VERIFY(door->ScreenBuffer().isEmpty() && !door->Feeding());
    // The engine did with it what an engine given exactly these bytes does.
    QImage surface(891, 500, QImage::Format_RGB32);
    TAnsi reference;
    reference.AttachSurface(&surface);
    reference.SetMeasuredFontSize(9);
    reference.SetRowCount(26);
    reference.Write(list);
    for (int row = 0; row <= 26; ++row)
        for (int column = 0; column <= 80; ++column)
            QCOMPARE(door->engine()->Cells().at(column, row), reference.Cells().at(column, row));
    QCOMPARE(door->engine()->Cells().at(0, 0).Char, quint8('$'));
}

void TestGatelet::buttonRequestDrawsAndSendsNothing()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    QTest::qWait(20);
    const QImage before = door->Image2->image().copy();
    const int childrenBefore = int(door->Scrollbox1->children().size());
    door->dispatch("\x1b[10;20;20;22;3;34Wbid|Bid;Make a bid>\x1b[1;1;1;1G5>");
    QTRY_VERIFY(door->ScreenBuffer().isEmpty() && !door->Feeding());
    QTest::qWait(20);
    QCOMPARE(door->Image2->image(), before);
    QCOMPARE(int(door->Scrollbox1->children().size()), childrenBefore);
    QVERIFY(!door->findChild<QAbstractButton *>("bid"));
    QVERIFY(m_server->received().isEmpty());
}

void TestGatelet::keysAndPresses()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    QVERIFY(door->Scrollbox1->hasFocus());
    QTest::keyClicks(door->Scrollbox1, QStringLiteral("a"));
    QTest::keyClick(door->Scrollbox1, Qt::Key_Left);
    QTest::keyClick(door->Scrollbox1, Qt::Key_Escape);
    QVERIFY(m_server->waitForBytes("a4\x1b"));
    door->engine()->SetFontSize(8);
    QTest::mouseClick(door->Image2, Qt::LeftButton, {}, QPoint(100, 237));
    QTest::mouseDClick(door->Image2, Qt::LeftButton, {}, QPoint(100, 237));
    QCOMPARE(door->Image2->cursor().shape(), Qt::BusyCursor);
    QVERIFY(m_server->waitForBytes("a4\x1b" "12;2312;2312;8"));
    QCOMPARE(door->LastClickX, 100);
    QCOMPARE(door->LastClickY, 237);
    m_server->send("x");
    QTRY_COMPARE(door->Image2->cursor().shape(), Qt::ArrowCursor);
}

void TestGatelet::engineReply()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    QElapsedTimer clock;
    clock.start();
    m_server->send("\x1b[5;1n");
    QVERIFY(m_server->waitForBytes("\x1b[5;1"));
    QVERIFY(clock.elapsed() >= Waits::scaled(200) - 10);
}

void TestGatelet::screenBeepsAndOpensMessageBoxes()
{
    RecordedMessageBoxes boxes;
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    QVERIFY(door->engine()->OnBeep);
    // A beep and a widget capture from the server: the capture opens in the
    // program's message box.
    m_server->send("\x07" "\x1b[Wfrom the door}");
    QTRY_COMPARE(boxes.texts, QList<QByteArray>{"from the door"});
    QVERIFY(MessageBoxQueue::instance().boxOpen());
}

void TestGatelet::failureShowsNothingAndConnectRetries()
{
    const quint16 port = LoopbackServer::unusedPort();
    auto door = open({"127.0.0.1", QString::number(port), "Ann", "pw"});
    QTRY_VERIFY(door->ClientSocket->state() == QAbstractSocket::UnconnectedState);
    QTest::qWait(50);
    QVERIFY(door->isVisible());
    QVERIFY(m_dialogs->asked.isEmpty());
    // "Connect" tries again; now something listens.
    LoopbackServer server;
    QVERIFY(server.listen(port));
    door->Button1->click();
    QVERIFY(server.waitForBytes(Marker::ClientReady));
    QVERIFY(server.received().startsWith(kIdent));
}

void TestGatelet::hangUpClosesWithoutMessage()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    m_server->hangUp();
    QTRY_VERIFY(!door->isVisible());
    QVERIFY(m_dialogs->asked.isEmpty());
}

void TestGatelet::largeFontRoundTrip()
{
    {
        RegistrySettings store;
        store.writeBool(VantoraKey("LargeFont"), true);
        store.flush();
        auto door = open({m_server->host(), m_server->portText()});
        QVERIFY(door->SpeedButton1->isChecked());
        QCOMPARE(door->engine()->FontSize(), 11);
        QCOMPARE(door->engine()->RowCount(), 26);
        door->SpeedButton1->click();
        QCOMPARE(door->engine()->FontSize(), 9);
    }
    RegistrySettings store;
    QCOMPARE(store.readBool(VantoraKey("LargeFont"), true), false);
}

VT_TEST_MAIN(TestGatelet)
#include "tst_gatelet.moc"
