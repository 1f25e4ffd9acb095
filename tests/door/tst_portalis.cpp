// The door-game terminal against a node server on loopback: both command
// lines, keys, presses, double-clicks, engine replies, chat, the lock offer
// it ignores, large fonts, and the window itself.

#include <QtTest>

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "Ansi.h"
#include "DoorTerminal.h"
#include "Fakes.h"
#include "LoopbackServer.h"
#include "Platform.h"
#include "PortalisU.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserListView.h"
#include "UserDialogs.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";
const QColor kLime(0, 255, 0);

void sendKey(QWidget *to, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(to, &event);
}

} // namespace

class TestPortalis : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void identifiedStart();
    void plainTerminalToAForeignServer();
    void noArgumentsClosesOnceConnected();
    void keysWithTheSurfaceFocused_data();
    void keysWithTheSurfaceFocused();
    void keysWithTheChatInputFocused();
    void arrowHeldSendsOnceOnRelease();
    void pressCells_data();
    void pressCells();
    void busyPointerEndsAtDataOrMovement();
    void doubleClick();
    void engineReplyAfter200ms();
    void chatLineBehindTheMarker();
    void lockOfferIsTakenOutAndIgnored();
    void serverButtons();
    void largeFontRoundTrip();
    void focusReturnsToTheSurface();
    void resizingKeepsTheScreen();
    void burstIsFedWithAShortQueue();

private:
    std::unique_ptr<TfrmPortalis> open(const QStringList &args);
    std::unique_ptr<TfrmPortalis> openConnected();
    void feed(TfrmPortalis &door, const QByteArray &screen);

    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<InstalledFakes> m_fakes;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestPortalis::initTestCase()
{
    Waits::setTimeScale(0.2);
}

void TestPortalis::init()
{
    m_server = std::make_unique<LoopbackServer>(LoopbackServer::OneClient);
    m_fakes = std::make_unique<InstalledFakes>();
    m_dialogs = &m_fakes->dialogs;
    m_sound = &m_fakes->sound;
    TestEnvironment::forgetSuiteSettings();
}

void TestPortalis::cleanup()
{
    m_fakes.reset();
    m_server.reset();
}

std::unique_ptr<TfrmPortalis> TestPortalis::open(const QStringList &args)
{
    return TestEnvironment::shownWindow<TfrmPortalis>(args);
}

std::unique_ptr<TfrmPortalis> TestPortalis::openConnected()
{
    auto door = open({m_server->host(), m_server->portText(), "Ann", "pw"});
    if (!m_server->waitForBytes(kIdent + Marker::ClientReady))
        qWarning("the door did not get ready");
    if (!QTest::qWaitFor(
            [&] { return door->Memo5->toPlainText().contains(QLatin1String("Connecting...")); }))
        qWarning("the door did not show that it connects");
    m_server->clearReceived();
    return door;
}

// Hands screen bytes to the door and waits until the engine has drawn them.
void TestPortalis::feed(TfrmPortalis &door, const QByteArray &screen)
{
    door.dispatch(screen);
    QTRY_VERIFY(door.ScreenBuffer().isEmpty() && !door.Feeding());
}

void TestPortalis::window()
{
    TfrmPortalis door({"h", "1"});
    QCOMPARE(door.windowTitle(), QStringLiteral("Vantora Door Game"));
    QCOMPARE(door.objectName(), QStringLiteral("TfrmPortalis"));
    QCOMPARE(door.size(), QSize(800, 563));
    QCOMPARE(door.minimumSize(), QSize(500, 562));
    QCOMPARE(door.maximumSize(), QSize(1050, 750));
    QCOMPARE(door.Image2->image().size(), QSize(891, 500));
    QCOMPARE(door.Scrollbox1->palette().color(QPalette::Window), QColor(64, 0, 0));
    QCOMPARE(door.Scroller->minimumHeight(), 100);
    QCOMPARE(door.Scroller->maximumHeight(), 600);
    QCOMPARE(door.Scroller->maximumWidth(), 1000);
    QCOMPARE(door.findChild<QWidget *>("Panel10"), door.Panel10);
    QCOMPARE(door.Panel10->minimumHeight(), 120);
    QCOMPARE(door.Panel10->maximumHeight(), 500);
    QCOMPARE(door.findChild<QWidget *>("Panel3"), door.Panel3);
    QCOMPARE(door.Panel3->minimumWidth(), 100);
    QCOMPARE(door.Panel3->maximumWidth(), 152);
    QCOMPARE(door.Panel6->text(), QStringLiteral("Players"));
    QCOMPARE(door.StatusPanel->text(), QStringLiteral("   Door 1.4"));
    QCOMPARE(door.findChild<QToolButton *>("SpeedButton1"), door.SpeedButton1);
    QCOMPARE(door.SpeedButton1->text(), QStringLiteral("X"));
    QCOMPARE(door.SpeedButton1->toolTip(), QStringLiteral("Large Fonts"));
    QVERIFY(door.SpeedButton1->isCheckable());
    // No tool bar, no lock and no menus on the list, the chat or the surface.
    QVERIFY(!door.findChild<QToolBar *>());
    QVERIFY(!door.Lock);
    QVERIFY(!door.findChild<QAction *>("Lock"));
    QCOMPARE(door.Memo6->contextMenuPolicy(), Qt::NoContextMenu);
    QCOMPARE(door.Memo5->contextMenuPolicy(), Qt::NoContextMenu);
    QCOMPARE(door.Scrollbox1->contextMenuPolicy(), Qt::NoContextMenu);
    // The input's own look until the settings are applied.
    QCOMPARE(door.Memo4->palette().color(QPalette::Base), QColor(Qt::black));
    QCOMPARE(door.Memo4->palette().color(QPalette::Text), QColor(215, 253, 217));
    QVERIFY(door.Memo4->font().bold());
}

void TestPortalis::identifiedStart()
{
    auto door = std::make_unique<TfrmPortalis>(
        QStringList{m_server->host(), m_server->portText(), "Ann", "pw"});
    door->Memo5->setPlainText(QStringLiteral("old line"));
    door->show();
    door->FormActivate();
    QVERIFY(m_server->waitForBytes(kIdent + Marker::ClientReady));
    QCOMPARE(m_server->received(), kIdent + Marker::ClientReady);
    const qint64 gap = m_server->timeOf(kIdent + Marker::ClientReady) - m_server->timeOf(kIdent);
    QVERIFY2(gap >= Waits::scaled(200) - 10, qPrintable(QString::number(gap)));
    QTRY_VERIFY(door->Memo5->toPlainText().contains(QLatin1String("Connecting...")));
    QVERIFY(!door->Memo5->toPlainText().contains(QLatin1String("old line")));
    QTRY_COMPARE(door->Shape1->brushColor(), kLime);
    QCOMPARE(door->Shape2->brushColor(), kLime);
    QVERIFY(door->isVisible());
}

void TestPortalis::plainTerminalToAForeignServer()
{
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(m_server->waitForClient());
    QTRY_VERIFY(door->Memo5->toPlainText().contains(QLatin1String("Connecting...")));
    QCOMPARE(door->Shape1->brushColor(), kLime);
    QCOMPARE(door->Shape2->brushColor(), kLime);
    QTest::qWait(Waits::scaled(400));
    QVERIFY(m_server->received().isEmpty());
    QVERIFY(door->isVisible());
    QTest::keyClicks(door->Scrollbox1, QStringLiteral("go"));
    QTest::keyClick(door->Scrollbox1, Qt::Key_Return);
    QVERIFY(m_server->waitForBytes("go\r"));
    QCOMPARE(m_server->received(), QByteArray("go\r"));
    // The server's screens are shown and its chat reaches the chat view.
    feed(*door, "\x1b[2J\x1b[1;1HDOOR" + Marker::ChatMarker + "Sysop> welcome\r\n");
    QCOMPARE(door->engine()->CharAtCell(1, 1), quint8('D'));
    QVERIFY(door->Memo5->toPlainText().contains(QLatin1String("Sysop> welcome")));
}

void TestPortalis::noArgumentsClosesOnceConnected()
{
    LoopbackServer server;
    if (!server.listen(1030))
        QSKIP("port 1030 is taken on this machine");
    RegistrySettings store;
    store.writeString(VantoraKey("Server"), QStringLiteral("127.0.0.1"));
    store.flush();
    auto door = open({});
    QCOMPARE(door->session().NodeHost, QByteArray("127.0.0.1"));
    QCOMPARE(door->session().NodePort, 1030);
    QTRY_VERIFY(server.connections() > 0);
    QTRY_VERIFY(!door->isVisible());
}

void TestPortalis::keysWithTheSurfaceFocused_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << QByteArray("a");
    QTest::newRow("capital") << int(Qt::Key_A) << "A" << QByteArray("A");
    QTest::newRow("digit") << int(Qt::Key_5) << "5" << QByteArray("5");
    QTest::newRow("return") << int(Qt::Key_Return) << "\r" << QByteArray("\r");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << "\b" << QByteArray("\x08");
    QTest::newRow("escape") << int(Qt::Key_Escape) << "\x1b" << QByteArray("\x1b");
    QTest::newRow("up") << int(Qt::Key_Up) << "" << QByteArray("8");
    QTest::newRow("down") << int(Qt::Key_Down) << "" << QByteArray("2");
    QTest::newRow("left") << int(Qt::Key_Left) << "" << QByteArray("4");
    QTest::newRow("right") << int(Qt::Key_Right) << "" << QByteArray("6");
}

void TestPortalis::keysWithTheSurfaceFocused()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    auto door = openConnected();
    QVERIFY(door->Scrollbox1->hasFocus());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(door->Scrollbox1, &press);
    // Arrows wait for the release; everything else is sent on the press.
    QTest::qWait(20);
    QCOMPARE(m_server->received(), DoorTerminal::IsArrow(key) ? QByteArray() : sent);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(door->Scrollbox1, &release);
    QVERIFY(m_server->waitForBytes(sent));
    QTest::qWait(20);
    QCOMPARE(m_server->received(), sent);
    QCOMPARE(m_server->pieces().size(), 1);
}

void TestPortalis::keysWithTheChatInputFocused()
{
    auto door = openConnected();
    door->Memo4->setFocus();
    QTest::keyClicks(door->Memo4, QStringLiteral("hi"));
    for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Escape})
        QTest::keyClick(door->Memo4, Qt::Key(key));
    QTest::qWait(50);
    QVERIFY(m_server->received().isEmpty());
    QCOMPARE(door->Memo4->toPlainText(), QStringLiteral("hi"));
}

void TestPortalis::arrowHeldSendsOnceOnRelease()
{
    auto door = openConnected();
    sendKey(door->Scrollbox1, QEvent::KeyPress, Qt::Key_Up);
    // The keyboard repeats a held key as pairs of release and press.
    for (int i = 0; i < 20; ++i) {
        QTest::qWait(50);
        sendKey(door->Scrollbox1, QEvent::KeyRelease, Qt::Key_Up, true);
        sendKey(door->Scrollbox1, QEvent::KeyPress, Qt::Key_Up, true);
    }
    QTest::qWait(30);
    QVERIFY(m_server->received().isEmpty());
    sendKey(door->Scrollbox1, QEvent::KeyRelease, Qt::Key_Up);
    QVERIFY(m_server->waitForBytes("8"));
    QTest::qWait(30);
    QCOMPARE(m_server->received(), QByteArray("8"));
}

void TestPortalis::pressCells_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QByteArray>("sent");
    // Cells 8 wide and 10 high; 80 columns, 26 rows.
    QTest::newRow("12;3") << QPoint(100, 37) << QByteArray("12;3");
    QTest::newRow("column 87") << QPoint(700, 37) << QByteArray("1;1");
    QTest::newRow("column 81") << QPoint(648, 37) << QByteArray("1;1");
    QTest::newRow("column 80") << QPoint(647, 37) << QByteArray("80;3");
    QTest::newRow("row 30") << QPoint(100, 300) << QByteArray("1;1");
    QTest::newRow("row 27") << QPoint(100, 270) << QByteArray("1;1");
    QTest::newRow("row 26") << QPoint(100, 269) << QByteArray("12;26");
    QTest::newRow("margin") << QPoint(3, 3) << QByteArray("0;0");
}

void TestPortalis::pressCells()
{
    QFETCH(QPoint, point);
    QFETCH(QByteArray, sent);
    auto door = openConnected();
    door->engine()->SetFontSize(8);
    door->Shape1->setBrushColor(Qt::red);
    QTest::mouseClick(door->Image2, Qt::LeftButton, {}, point);
    QVERIFY(m_server->waitForBytes(sent));
    QCOMPARE(m_server->received(), sent);
    QCOMPARE(door->LastClickX, point.x());
    QCOMPARE(door->LastClickY, point.y());
    QCOMPARE(door->Shape1->brushColor(), kLime);
    QVERIFY(door->Scrollbox1->hasFocus());
}

void TestPortalis::busyPointerEndsAtDataOrMovement()
{
    auto door = openConnected();
    QTest::mouseClick(door->Image2, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(door->Image2->cursor().shape(), Qt::BusyCursor);
    m_server->send("x");
    QTRY_COMPARE(door->Image2->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(door->Image2, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(door->Image2->cursor().shape(), Qt::BusyCursor);
    QTest::mouseMove(door->Image2, QPoint(60, 60));
    QTRY_COMPARE(door->Image2->cursor().shape(), Qt::ArrowCursor);
}

void TestPortalis::doubleClick()
{
    auto door = openConnected();
    door->engine()->SetFontSize(8);
    QTest::mouseClick(door->Image2, Qt::LeftButton, {}, QPoint(100, 237));
    QTest::mouseDClick(door->Image2, Qt::LeftButton, {}, QPoint(100, 237));
    // Each press sends its cell; 200 ms later the cell 150 pixels higher.
    QVERIFY(m_server->waitForBytes("12;2312;23"));
    QVERIFY(m_server->waitForBytes("12;2312;2312;8"));
    QCOMPARE(m_server->received(), QByteArray("12;2312;2312;8"));
    const qint64 gap = m_server->timeOf("12;2312;2312;8") - m_server->timeOf("12;2312;23");
    QVERIFY2(gap >= Waits::scaled(200) - 10, qPrintable(QString::number(gap)));
}

void TestPortalis::engineReplyAfter200ms()
{
    auto door = openConnected();
    QElapsedTimer clock;
    clock.start();
    feed(*door, "\x1b[6n");
    QCOMPARE(door->Shape1->brushColor(), kLime);
    QVERIFY(m_server->received().isEmpty());
    QVERIFY(m_server->waitForBytes("\x1b[6"));
    QVERIFY(clock.elapsed() >= Waits::scaled(200) - 10);
    QCOMPARE(m_server->received(), QByteArray("\x1b[6"));
}

void TestPortalis::chatLineBehindTheMarker()
{
    RegistrySettings store;
    store.writeString(VantoraKey("ATColor"), QStringLiteral("\x1b[4"));
    store.writeString(VantoraKey("ATStyle"), QStringLiteral("\x1b[B"));
    store.flush();
    auto door = openConnected();
    QTest::keyClicks(door->Memo4, QStringLiteral("hello"));
    QTest::keyClick(door->Memo4, Qt::Key_Return);
    const QByteArray line = Marker::ChatMarker + "\x1b[4\x1b[Bhello";
    QVERIFY(m_server->waitForBytes(line));
    QCOMPARE(m_server->received(), line);
    QVERIFY(door->Memo4->toPlainText().isEmpty());
}

void TestPortalis::lockOfferIsTakenOutAndIgnored()
{
    auto door = openConnected();
    door->dispatch("\x1b[1;1HAB" + Marker::LockOffer + "CD");
    QCOMPARE(door->ScreenBuffer(), QByteArray("\x1b[1;1HABCD"));
    door->dispatch(Marker::LockOffer);
    QCOMPARE(door->ScreenBuffer(), QByteArray("\x1b[1;1HABCD"));
    QTRY_VERIFY(door->ScreenBuffer().isEmpty());
    QCOMPARE(door->engine()->CharAtCell(4, 1), quint8('D'));
    for (QToolButton *button : door->findChildren<QToolButton *>())
        QVERIFY(button == door->SpeedButton1);
}

void TestPortalis::serverButtons()
{
    auto door = openConnected();
    const int w = door->engine()->CellWidth(), h = door->engine()->CellHeight();
    feed(*door, "\x1b[10;20;20;22;3;34Wnew|New game;Start again>");
    QCOMPARE(door->surfaceButtonCount(), 1);
    QAbstractButton *button = door->surfaceButton("new");
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("New game"));
    QCOMPARE(button->toolTip(), QStringLiteral("Start again"));
    QCOMPARE(button->geometry(), QRect(10 * w, 20 * h, 10 * w, 2 * h));
    QCOMPARE(button->parentWidget(), door->Scrollbox1);
    button->click();
    QVERIFY(m_server->waitForBytes(Marker::ButtonPress + "new"));
    feed(*door, "\x1b[0;20;20;22;3;34Wnew|New game>");
    QCOMPARE(door->surfaceButtonCount(), 0);
}

void TestPortalis::largeFontRoundTrip()
{
    {
        RegistrySettings store;
        store.writeBool(VantoraKey("LargeFont"), true);
        store.flush();
    }
    {
        auto door = open({m_server->host(), m_server->portText()});
        QVERIFY(door->SpeedButton1->isChecked());
        QCOMPARE(door->engine()->FontSize(), 11);
        QCOMPARE(door->engine()->RowCount(), 26);
        const int largeHeight = door->engine()->CellHeight();
        door->SpeedButton1->click();
        QVERIFY(!door->LargeFont());
        QCOMPARE(door->engine()->FontSize(), 9);
        QVERIFY(door->engine()->CellHeight() < largeHeight);
        door->SpeedButton1->click();
        QCOMPARE(door->engine()->FontSize(), 11);
        door->SpeedButton1->click();
    }
    RegistrySettings store;
    QCOMPARE(store.readBool(VantoraKey("LargeFont"), true), false);
    auto door = open({m_server->host(), m_server->portText()});
    QVERIFY(!door->SpeedButton1->isChecked());
    QCOMPARE(door->engine()->FontSize(), 9);
}

void TestPortalis::focusReturnsToTheSurface()
{
    auto door = openConnected();
    door->Memo4->setFocus();
    QVERIFY(door->Memo4->hasFocus());
    door->FormActivate();
    QVERIFY(door->Scrollbox1->hasFocus());
}

void TestPortalis::resizingKeepsTheScreen()
{
    auto door = openConnected();
    feed(*door, "\x1b[2J\x1b[1;33;44m\x1b[3;5HA terminal screen");
    const QImage before = door->Image2->image().copy();
    door->resize(520, 570);
    QTest::qWait(20);
    door->resize(1000, 700);
    QTest::qWait(20);
    QCOMPARE(door->Image2->image(), before);
    QCOMPARE(door->engine()->CharAtCell(5, 3), quint8('A'));
    // The surface is still drawn where the screen shows it.
    const QImage shown = door->Image2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(5 * door->engine()->CellWidth() + 1, 3 * door->engine()->CellHeight() + 1),
             before.pixel(5 * door->engine()->CellWidth() + 1, 3 * door->engine()->CellHeight() + 1));
}

void TestPortalis::burstIsFedWithAShortQueue()
{
    auto door = openConnected();
    // A server writing far faster than the screen draws: the queue stays
    // short and the rest waits in the connection, and all of it arrives.
    QByteArray burst;
    for (int i = 0; burst.size() < 3 * 1024 * 1024; ++i)
        burst += "\x1b[1;3" + QByteArray::number(i % 8) + "mline " + QByteArray::number(i) + "\r\n";
    burst += "\x1b[2J\x1b[1;1HEND";
    m_server->send(burst);
    qsizetype longest = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            longest = qMax(longest, door->ScreenBuffer().size());
            return door->engine()->CharAtCell(3, 1) == 'D' && door->ScreenBuffer().isEmpty();
        }(),
        30000);
    QVERIFY2(longest <= DoorTerminal::QueueHighWater + DoorTerminal::SocketReadBuffer,
             qPrintable(QString::number(longest)));
}

VT_TEST_MAIN(TestPortalis)
#include "tst_portalis.moc"
