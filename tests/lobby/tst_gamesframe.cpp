#include <QAbstractButton>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "Ansi.h"
#include "Fakes.h"
#include "GameMenuFrame.h"
#include "IAeverButton.h"
#include "LoopbackServer.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "SuitePictures.h"
#include "SurfaceButtons.h"
#include "SurfaceImage.h"
#include "ClientPrograms.h"
#include "SteadyClock.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "Waits.h"

namespace {

// The lobby as the frame sees it; records what the frame asks of it.
class FakeMenuLobby : public GamesFrameLobby
{
public:
    QString server = QStringLiteral("127.0.0.1");
    QStringList calls;
    QString status = QStringLiteral("Connecting...");

    QString serverName() const override { return server; }
    QString userName() const override { return QStringLiteral("Ann"); }
    QString password() const override { return QStringLiteral("pw"); }
    QString lobbyDir() const override { return QStringLiteral("/opt/vantora/"); }
    void setStatus(const QString &text) override { status = text; }
    void switchServer(const QString &host, int port) override
    {
        calls << QStringLiteral("switch %1 %2").arg(host).arg(port);
    }
    void menuDropped() override { calls << QStringLiteral("dropped"); }
    QPixmap buttonGlyph(int image) const override
    {
        QPixmap glyph(16, 16);
        glyph.fill(QColor(image, 0, 0));
        return glyph;
    }
    bool smallScreen() const override { return small; }
    void chatNote(const QString &text) override { notes << text; }
    bool small = false;
    QStringList notes;
};

const QByteArray Identification = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";

QImage LogoPicture()
{
    QImage picture(TGamesFrame::PictureWidth, TGamesFrame::PictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter p(&picture);
    DrawKeyedPicture(p, QPoint(10, 10), SuitePicture("BITMAPVT"));
    return picture;
}

} // namespace

class tst_GamesFrame : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connects_identifies_and_paints();
    void presses_send_the_cell_once_per_move();
    void launch_commands_start_programs();
    void password_prompt_is_answered_not_drawn();
    void server_buttons_are_placed_updated_and_deleted();
    void surface_text_codes_data();
    void surface_text_codes();
    void server_closing_an_active_menu_drops_it();
    void port_zero_opens_nothing();

private:
    // A frame with an engine, connected to the menu server and identified.
    void connectFrame();

    FakeLauncher m_launcher;
    FakeDialogs m_dialogs;
    FakeMenuLobby m_lobby;
    std::unique_ptr<TAnsi> m_engine;
    std::unique_ptr<TGamesFrame> m_frame;
    std::unique_ptr<LoopbackServer> m_server;
};

void tst_GamesFrame::initTestCase()
{
    Platform::setLauncher(&m_launcher);
    UserDialogs::setCurrent(&m_dialogs);
    Waits::setTimeScale(0.05);
}

void tst_GamesFrame::init()
{
    // Starts a second apart and more: the lobby's start limits stay out of the way.
    ResetClientProgramStarts();
    SteadyClock::setForTests([] {
        static qint64 now = 0;
        return now += 5000;
    });
    m_launcher = FakeLauncher();
    m_dialogs.asked.clear();
    m_lobby.calls.clear();
    m_engine = std::make_unique<TAnsi>();
    m_frame = std::make_unique<TGamesFrame>(m_lobby);
    m_frame->resize(800, 500);
    m_frame->show();
    m_server = std::make_unique<LoopbackServer>();
}

void tst_GamesFrame::cleanup()
{
    m_frame.reset();
    m_engine.reset();
    m_server.reset();
}

void tst_GamesFrame::connectFrame()
{
    m_frame->AttachEngine(m_engine.get());
    m_frame->ClearMenu();
    m_frame->OpenMenu(m_server->port());
    QTRY_COMPARE(m_server->received(), Identification);
    QTRY_VERIFY(m_frame->MenuActive);
    m_server->takeReceived();
}

void tst_GamesFrame::connects_identifies_and_paints()
{
    QCOMPARE(m_frame->Image2->image(), LogoPicture());
    QCOMPARE(m_frame->Image2->objectName(), QStringLiteral("Image2"));
    QCOMPARE(m_frame->MenuSocket->objectName(), QStringLiteral("MenuSocket"));
    m_frame->MenuActed = true;
    connectFrame();
    QCOMPARE(m_lobby.status, QString());
    QVERIFY(!m_frame->MenuActed);
    QCOMPARE(m_engine->FontSize(), 10);
    const int w = m_engine->CellWidth();
    const int h = m_engine->CellHeight();

    m_server->send("\033[2J\033[37;40m\033[5;10HPlay");
    // The word lands in cells 10 to 13 of row 5, drawn on the frame's picture.
    QTRY_VERIFY(m_engine->CharAtCell(10, 5) == 'P');
    QCOMPARE(m_engine->CharAtCell(13, 5), quint8('y'));
    QCOMPARE(m_engine->CharAtCell(14, 5), quint8(0));
    const QImage &picture = m_frame->Image2->image();
    const QRect word(10 * w, 5 * h, 4 * w, h);
    bool painted = false;
    for (int y = word.top(); y <= word.bottom(); ++y)
        for (int x = word.left(); x <= word.right(); ++x)
            painted = painted || picture.pixel(x, y) != qRgb(0, 0, 0);
    QVERIFY(painted);
}

void tst_GamesFrame::presses_send_the_cell_once_per_move()
{
    connectFrame();
    m_server->send("\033[2J\033[5;10HPlay");
    QTRY_VERIFY(m_engine->CharAtCell(10, 5) == 'P');

    TSurfaceImage *image = m_frame->Image2;
    const int w = m_engine->CellWidth();
    const int h = m_engine->CellHeight();
    const QPoint onWord(12 * w + w / 2, 5 * h + 1);     // column 12, row 5
    QTest::mouseMove(image, onWord);
    QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(image, QPoint(30 * w, 5 * h + 1));
    QCOMPARE(image->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseMove(image, onWord);
    QTest::mousePress(image, Qt::LeftButton, {}, onWord);
    QTRY_COMPARE(m_server->received(), QByteArray("12;5"));
    QTest::mouseRelease(image, Qt::LeftButton, {}, onWord);
    QCOMPARE(image->cursor().shape(), Qt::BusyCursor);

    // A second press before the pointer moves is not sent.
    QTest::qWait(Waits::scaled(200) + 50);
    QTest::mousePress(image, Qt::LeftButton, {}, onWord);
    QTest::mouseRelease(image, Qt::LeftButton, {}, onWord);
    QTest::qWait(50);
    QCOMPARE(m_server->received(), QByteArray("12;5"));

    // After a move it is, and right of column 80 a press sends "1;1".
    QTest::mouseMove(image, QPoint(81 * w + 1, 2 * h));
    QTest::mousePress(image, Qt::RightButton, {}, QPoint(81 * w + 1, 2 * h));
    QTRY_COMPARE(m_server->received(), QByteArray("12;51;1"));
}

void tst_GamesFrame::launch_commands_start_programs()
{
    connectFrame();
    m_server->send("\\SpawnNode:5001");
    QTRY_COMPARE(m_launcher.launches.size(), 1);
    QCOMPARE(m_launcher.launches[0].program, QStringLiteral("/opt/vantora/Cardamo"));
    // The password is not on the command line but in the program's environment.
    QCOMPARE(m_launcher.launches[0].arguments, (QStringList{"127.0.0.1", "5001", "Ann"}));
    QCOMPARE(m_launcher.launches[0].environment,
             (LaunchEnvironment{{QStringLiteral("VANTORA_PASSWORD"), QStringLiteral("pw")}}));
    QCOMPARE(m_launcher.launches[0].workingDir, QStringLiteral("/opt/vantora/"));
    QVERIFY(m_frame->MenuActed);

    // A missing card table says so; a missing door says nothing.
    m_frame->MenuActed = false;
    m_launcher.onlyListedFilesExist = true;
    m_server->send("\\SpawnNode:5002");
    QTRY_COMPARE(m_dialogs.asked.size(), 1);
    QCOMPARE(m_dialogs.asked[0].text, QStringLiteral("Unable to load Cardamo"));
    m_server->send("\\SpawnDoor{doors.example}:4000");
    QTest::qWait(100);
    QCOMPARE(m_dialogs.asked.size(), 1);
    QCOMPARE(m_launcher.launches.size(), 1);
    QVERIFY(!m_frame->MenuActed);

    m_server->send("\\SwitchServer{other.example}:2323");
    QTRY_COMPARE(m_lobby.calls, QStringList{"switch other.example 2323"});
    QVERIFY(m_frame->MenuActed);
}

void tst_GamesFrame::password_prompt_is_answered_not_drawn()
{
    connectFrame();
    const QImage before = m_frame->Image2->image();
    m_dialogs.textAnswers = {QStringLiteral("door secret")};
    m_server->send(Marker::PasswordMarker + "Password please");
    QTRY_COMPARE(m_server->received(), Marker::PasswordMarker + "door secret");
    QCOMPARE(m_dialogs.asked.size(), 1);
    QCOMPARE(m_dialogs.asked[0].caption, QStringLiteral("Security"));
    QCOMPARE(m_dialogs.asked[0].text, QStringLiteral(" Enter Password :"));
    QCOMPARE(m_frame->Image2->image(), before);

    // Cancelled: the marker alone.
    m_server->takeReceived();
    m_dialogs.textAnswers = {QString()};
    m_server->send(Marker::PasswordMarker);
    QTRY_COMPARE(m_server->received(), Marker::PasswordMarker);
}

void tst_GamesFrame::server_buttons_are_placed_updated_and_deleted()
{
    connectFrame();
    // In cells: left 2, top 3, right 14, bottom 5, icon 7, colour 32.
    const int w = m_engine->CellWidth();
    const int h = m_engine->CellHeight();
    m_server->send("\033[2;3;14;5;7;32Wplay|Play now;Start a table>");
    QTRY_VERIFY(m_frame->Buttons().button("play"));
    auto *button = qobject_cast<TIAeverButton *>(m_frame->Buttons().button("play"));
    QVERIFY(button);
    QCOMPARE(button->parentWidget(), m_frame->Image2);
    QCOMPARE(button->caption(), QStringLiteral("Play now"));
    QCOMPARE(button->hint(), QStringLiteral("Start a table"));
    QCOMPARE(button->geometry(), QRect(2 * w, 3 * h, 12 * w, 2 * h));
    QCOMPARE(button->faceColor(), ToQColor(m_engine->ColorOf(32)));
    QCOMPARE(button->glyph().toImage().pixelColor(0, 0), QColor(7, 0, 0));

    // The same name again updates it; without ";" the caption is the hint.
    m_server->send("\033[3;3;15;5;120;32Wplay|Join>");
    QTRY_COMPARE(button->caption(), QStringLiteral("Join"));
    QCOMPARE(button->hint(), QStringLiteral("Join"));
    QCOMPARE(button->geometry(), QRect(3 * w, 3 * h, 12 * w, 2 * h));
    QVERIFY(button->glyph().isNull());
    QCOMPARE(m_frame->Buttons().count(), 1);

    button->click();
    QTRY_COMPARE(m_server->received(), Marker::ButtonPress + "play");

    // Left edge 0 deletes it.
    m_server->send("\033[0;3;15;5;1;32Wplay|Join>");
    QTRY_COMPARE(m_frame->Buttons().count(), 0);
}

void tst_GamesFrame::surface_text_codes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("clear");

    QTest::newRow("95: bold on clear") << 95 << true << true;
    QTest::newRow("65: clear") << 65 << false << true;
    QTest::newRow("35: opaque") << 35 << false << false;
}

namespace {

struct LabelPixels
{
    int text = 0;    // pixels in the text colour
    int covered = 0; // pixels no longer showing the ground
    int area = 0;
};

// Draws "WWWW" with colour-and-style `code` on a blue ground, the engine's
// brush blue-green, and counts what changed.
LabelPixels DrawLabel(TGamesFrame &frame, TAnsi &engine, int code)
{
    QImage &picture = frame.Image2->image();
    const QColor ground(0, 0, 200);
    picture.fill(ground);
    engine.Write("\033[36;46m");
    frame.DrawSurfaceText({100, 100, 14, code}, "WWWW");
    const QRect area(100, 100, 200, 40);
    const QColor text = ToQColor(engine.ColorOf(35));
    LabelPixels counts;
    counts.area = area.width() * area.height();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            counts.text += pixel == text;
            counts.covered += pixel != ground;
        }
    return counts;
}

} // namespace

void tst_GamesFrame::surface_text_codes()
{
    QFETCH(int, code);
    QFETCH(bool, bold);
    QFETCH(bool, clear);

    m_frame->AttachEngine(m_engine.get());
    const LabelPixels label = DrawLabel(*m_frame, *m_engine, code);
    QVERIFY(label.text > 0);
    const LabelPixels plain = DrawLabel(*m_frame, *m_engine, 65);
    // Opaque text covers the ground between its strokes; clear text leaves it.
    if (clear)
        QVERIFY(label.covered < plain.covered * 3 / 2);
    else
        QVERIFY(label.covered > plain.covered * 2);
    // Bold strokes cover more than plain ones.
    if (bold)
        QVERIFY(label.text > plain.text);
    else
        QCOMPARE(label.text, plain.text);
}

void tst_GamesFrame::server_closing_an_active_menu_drops_it()
{
    connectFrame();
    m_server->send("\033[2J\033[5;10HPlay\033[2;3;14;5;7;32Wplay|Play>");
    QTRY_COMPARE(m_frame->Buttons().count(), 1);
    m_server->hangUp();
    QTRY_COMPARE(m_lobby.calls, QStringList{"dropped"});
    QVERIFY(!m_frame->MenuActive);
    QCOMPARE(m_frame->Image2->image(), LogoPicture());
    QCOMPARE(m_frame->Buttons().count(), 0);

    // Closing it ourselves is no drop, nor is opening it again.
    m_lobby.calls.clear();
    connectFrame();
    m_server->clearReceived();
    m_frame->OpenMenu(m_server->port());
    QTRY_COMPARE(m_server->received(), Identification);
    QTRY_VERIFY(m_frame->MenuActive);
    m_frame->CloseMenu();
    QVERIFY(!m_frame->MenuConnected());
    QTest::qWait(50);
    QVERIFY(m_lobby.calls.isEmpty());
}

void tst_GamesFrame::port_zero_opens_nothing()
{
    // (And a small screen gets the small engine font.)
    m_lobby.small = true;
    m_frame->AttachEngine(m_engine.get());
    QCOMPARE(m_engine->FontSize(), 8);
    m_lobby.small = false;

    m_frame->OpenMenu(0);
    QCOMPARE(m_frame->MenuSocket->state(), QAbstractSocket::UnconnectedState);
    m_lobby.server.clear();
    m_frame->OpenMenu(m_server->port());
    QCOMPARE(m_frame->MenuSocket->state(), QAbstractSocket::UnconnectedState);
}

VT_TEST_MAIN(tst_GamesFrame)
#include "tst_gamesframe.moc"
