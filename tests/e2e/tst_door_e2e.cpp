// The door terminal against the local service started in-process: the
// Minefield door played with arrow digits and a press, and the bridged door
// showing a real program's output and taking typed lines.

#include <QtTest>

#include <QTemporaryDir>

#include "Ansi.h"
#include "Fakes.h"
#include "GateletU.h"
#include "LocalService.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "PortalisU.h"
#include "RegistrySettings.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "VtServer.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

constexpr int MinefieldGame = 3;
constexpr int BridgedGame = 6;

// The characters the engine printed, one line per row.
QByteArray screenText(const TAnsi &engine)
{
    QByteArray text;
    for (int row = 1; row <= engine.RowCount(); ++row) {
        for (int column = 1; column <= 80; ++column) {
            const quint8 c = engine.CharAtCell(column, row);
            text += c ? char(c) : ' ';
        }
        text += '\n';
    }
    return text;
}

// The Minefield cursor: the cell of its "[" (column, row), or (0, 0).
QPoint minefieldCursor(const TAnsi &engine)
{
    for (int row = 4; row <= engine.RowCount(); ++row)
        for (int column = 1; column <= 77; ++column)
            if (engine.CharAtCell(column, row) == '[' && engine.CharAtCell(column + 2, row) == ']'
                && engine.CharAtCell(column + 1, row) != ' ')
                return {column, row};
    return {};
}

void release(QWidget *panel, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &press);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &up);
}

} // namespace

class TestDoorEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void minefieldWithArrowsAndAPress();
    void bridgedProgramOnTheScreen();
    void lightTerminalPlaysTooAsAGuest();

private:
    std::unique_ptr<VtServer> start(const QStringList &doorCommand = {});

    QTemporaryDir m_data;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestDoorEndToEnd::init()
{
    Waits::setTimeScale(1.0);
    m_dialogs = new FakeDialogs;
    UserDialogs::setCurrent(m_dialogs);
    m_sound = new FakeSoundPlayer;
    Platform::setSound(m_sound);
}

void TestDoorEndToEnd::cleanup()
{
    UserDialogs::setCurrent(nullptr);
    Platform::setSound(nullptr);
    delete m_dialogs;
    delete m_sound;
}

std::unique_ptr<VtServer> TestDoorEndToEnd::start(const QStringList &doorCommand)
{
    ServerOptions options = LocalService::OnFreePorts(m_data.path());
    options.tickMs = 50;
    options.doorCommand = doorCommand;
    options.doorTitle = "Shell";
    options.tune = [](ServiceConfig &config) { config.doorGuestMs = 200; };
    auto server = std::make_unique<VtServer>(options);
    QString error;
    if (!server->start(&error))
        qWarning("the service did not start: %s", qPrintable(error));
    return server;
}

void TestDoorEndToEnd::minefieldWithArrowsAndAPress()
{
    auto server = start();
    QVERIFY(LocalService::LogIn(*server, "Ann", "pw"));
    TfrmPortalis door({QStringLiteral("127.0.0.1"),
                       QString::number(server->gamePort(MinefieldGame)), "Ann", "pw"});
    door.show();
    door.FormActivate();
    TAnsi &engine = *door.engine();
    QTRY_VERIFY_WITH_TIMEOUT(screenText(engine).contains("MINEFIELD"), 10000);
    QVERIFY(screenText(engine).contains("Welcome, Ann"));
    QTRY_VERIFY(door.windowTitle().contains(QLatin1String("Minefield")));
    QTRY_VERIFY(!minefieldCursor(engine).isNull());
    const QPoint start = minefieldCursor(engine);
    QTRY_VERIFY(door.ScreenBuffer().isEmpty() && !door.Feeding());
    const QImage before = door.Image2->image().copy();

    // Right, right, down: the arrows go out as keypad digits when released.
    release(door.Scrollbox1, Qt::Key_Right);
    release(door.Scrollbox1, Qt::Key_Right);
    release(door.Scrollbox1, Qt::Key_Down);
    QTRY_COMPARE(minefieldCursor(engine), start + QPoint(6, 1));
    QTRY_VERIFY(door.Image2->image() != before);

    // A press on the square left of the cursor opens it (the field is laid
    // at the first opening, which is never a mine).
    const QPoint target = start + QPoint(3, 1);
    QCOMPARE(engine.CharAtCell(target.x() + 1, target.y()), quint8('\xfa'));
    const QPoint pixel((target.x() + 1) * engine.CellWidth() + engine.CellWidth() / 2,
                       target.y() * engine.CellHeight() + engine.CellHeight() / 2);
    QTest::mouseClick(door.Image2, Qt::LeftButton, {}, pixel);
    QTRY_VERIFY(engine.CharAtCell(target.x() + 1, target.y()) != quint8('\xfa'));
    QVERIFY(door.isVisible());
    door.close();
    server->stop();
}

void TestDoorEndToEnd::bridgedProgramOnTheScreen()
{
    auto server = start({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                         QStringLiteral("printf 'hello \\033[1;32mfrom the bridge\\033[0m\\n'; "
                                        "read line; echo \"got:$line\"; sleep 1")});
    // A plain terminal to the door: host and port only.
    TfrmPortalis door({QStringLiteral("127.0.0.1"), QString::number(server->gamePort(BridgedGame))});
    door.show();
    door.FormActivate();
    TAnsi &engine = *door.engine();
    QTRY_VERIFY_WITH_TIMEOUT(screenText(engine).contains("hello from the bridge"), 10000);
    // The green words are drawn in green.
    const qsizetype at = screenText(engine).indexOf("from the bridge");
    const int row = int(at / 81) + 1;
    const int column = int(at % 81) + 1;
    QCOMPARE(engine.Cells().at(column, row).ForeCode, quint8(32));

    QTest::keyClicks(door.Scrollbox1, QStringLiteral("abc"));
    QTest::keyClick(door.Scrollbox1, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(screenText(engine).contains("got:abc"), 10000);
    // The program ends and its last screen stays; a key, and the service
    // hangs up and the window closes.
    QTRY_VERIFY_WITH_TIMEOUT(screenText(engine).contains("Press any key to return"), 15000);
    QVERIFY(screenText(engine).contains("got:abc"));
    QVERIFY(door.isVisible());
    QTest::keyClicks(door.Scrollbox1, QStringLiteral("x"));
    QTRY_VERIFY_WITH_TIMEOUT(!door.isVisible(), 15000);
    QVERIFY(door.Memo5->toPlainText().contains(QLatin1String("Connection Terminated.")));
    server->stop();
}

void TestDoorEndToEnd::lightTerminalPlaysTooAsAGuest()
{
    auto server = start();
    TfrmGatelet door({QStringLiteral("127.0.0.1"),
                      QString::number(server->gamePort(MinefieldGame + 1))});
    door.show();
    door.FormActivate();
    TAnsi &engine = *door.engine();
    QTRY_VERIFY_WITH_TIMEOUT(screenText(engine).contains("Welcome, Guest"), 10000);
    QTRY_VERIFY(!minefieldCursor(engine).isNull());
    const QPoint start = minefieldCursor(engine);
    release(door.Scrollbox1, Qt::Key_Right);
    QTRY_COMPARE(minefieldCursor(engine), start + QPoint(3, 0));
    // Q leaves the door; the service hangs up and the window closes quietly.
    QTest::keyClicks(door.Scrollbox1, QStringLiteral("q"));
    QTRY_VERIFY_WITH_TIMEOUT(!door.isVisible(), 10000);
    QVERIFY(m_dialogs->asked.isEmpty());
    server->stop();
}

VT_TEST_MAIN(TestDoorEndToEnd)
#include "tst_door_e2e.moc"
