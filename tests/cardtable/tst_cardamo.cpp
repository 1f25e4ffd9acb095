// The card table against a node server on loopback: presses, double-clicks,
// keys, the server's buttons, card drawing, the last trick and further tables.

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

#include "Ansi.h"
#include "CardPictures.h"
#include "CardamoU.h"
#include "IAeverButton.h"
#include "Fakes.h"
#include "LastTrickWinU.h"
#include "LoopbackServer.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserListView.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QByteArray kIdent = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw";
const QByteArray kReady = kIdent + Marker::ClientReady;

// True when the picture shows `card` with its top-left corner at `at`, in
// `size` (natural size when empty), sampled on a grid.
bool showsCard(const QImage &surface, const QImage &card, QPoint at)
{
    for (int y = 0; y < card.height(); y += 5)
        for (int x = 0; x < card.width(); x += 5)
            if (surface.pixel(at + QPoint(x, y)) != card.pixel(x, y))
                return false;
    return true;
}

} // namespace

class TestCardamo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void pressSendsTheCell();
    void pressBeyondColumn80SendsOneOne();
    void doubleClickSendsTheCellAbove();
    void typedCharactersGoOneByOne();
    void buttonsFromTheServer();
    void cardsFromTheServer();
    void cardRepaintRule_data();
    void cardRepaintRule();
    void smallModeSizes();
    void lastTrickFromDrawnCards();
    void optionsMenu();
    void furtherTable();
    void furtherTableWithoutProgram();

private:
    std::unique_ptr<TfrmCardamo> openConnected();
    void feed(TfrmCardamo &table, const QByteArray &screen);

    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<InstalledFakes> m_fakes;
    FakeDialogs *m_dialogs = nullptr;
    FakeLauncher *m_launcher = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestCardamo::initTestCase()
{
    Waits::setTimeScale(0.2);
}

void TestCardamo::init()
{
    m_server = std::make_unique<LoopbackServer>(LoopbackServer::OneClient);
    m_fakes = std::make_unique<InstalledFakes>();
    m_dialogs = &m_fakes->dialogs;
    m_launcher = &m_fakes->launcher;
    m_sound = &m_fakes->sound;
}

void TestCardamo::cleanup()
{
    m_fakes.reset();
    m_server.reset();
}

std::unique_ptr<TfrmCardamo> TestCardamo::openConnected()
{
    auto table = std::make_unique<TfrmCardamo>(
        QStringList{m_server->host(), m_server->portText(), "Ann", "pw"});
    table->show();
    table->FormActivate();
    if (!m_server->waitForBytes(kReady))
        qWarning("the table did not get ready");
    m_server->clearReceived();
    return table;
}

// Hands screen bytes to the table and waits until the engine has drawn them.
void TestCardamo::feed(TfrmCardamo &table, const QByteArray &screen)
{
    table.dispatch(screen);
    QTRY_VERIFY(table.ScreenBuffer().isEmpty());
}

void TestCardamo::window()
{
    TfrmCardamo table({"h", "1"});
    QCOMPARE(table.windowTitle(), QStringLiteral("Vantora Game Lobby"));
    QCOMPARE(table.size(), QSize(760, 563));
    QCOMPARE(table.Image2->image().size(), QSize(820, 504));
    QVERIFY(table.LastTrick);
    QVERIFY(!table.LastTrick->isVisible());
}

void TestCardamo::pressSendsTheCell()
{
    auto table = openConnected();
    TAnsi *engine = table->engine();
    const QPoint point(12 * engine->CellWidth() + 2, 3 * engine->CellHeight() + 1);
    QTest::mouseClick(table->Image2, Qt::LeftButton, {}, point);
    QVERIFY(m_server->waitForBytes("12;3"));
    QCOMPARE(m_server->received(), QByteArray("12;3"));
    QCOMPARE(table->LastClickX, point.x());
    QCOMPARE(table->LastClickY, point.y());
    QCOMPARE(table->Image2->cursor().shape(), Qt::BusyCursor);
    QVERIFY(table->Scrollbox1->hasFocus());
    // The next chunk from the server brings the arrow back.
    m_server->send("x");
    QTRY_COMPARE(table->Image2->cursor().shape(), Qt::ArrowCursor);
}

void TestCardamo::pressBeyondColumn80SendsOneOne()
{
    auto table = openConnected();
    const int x = 81 * table->engine()->CellWidth() + 1;
    QVERIFY(x < table->Image2->width());
    QTest::mouseClick(table->Image2, Qt::LeftButton, {}, QPoint(x, 30));
    QVERIFY(m_server->waitForBytes("1;1"));
    QCOMPARE(m_server->received(), QByteArray("1;1"));
}

void TestCardamo::doubleClickSendsTheCellAbove()
{
    auto table = openConnected();
    table->engine()->SetFontSize(14);   // cells 14 wide, 16 high
    QTest::mouseClick(table->Image2, Qt::LeftButton, {}, QPoint(100, 40));
    QTest::mouseDClick(table->Image2, Qt::LeftButton, {}, QPoint(100, 40));
    // The presses send their own cells; 200 ms later the cell 150 pixels
    // above the press: (40 - 150) / 16 truncates to -6.
    QVERIFY(m_server->waitForBytes("7;-6"));
    QCOMPARE(m_server->received(), QByteArray("7;27;27;-6"));
}

void TestCardamo::typedCharactersGoOneByOne()
{
    auto table = openConnected();
    QTest::mouseClick(table->Image2, Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(m_server->waitForBytes("0;0"));
    m_server->clearReceived();
    QTest::keyClicks(table->Scrollbox1, QStringLiteral("ab"));
    QVERIFY(m_server->waitForBytes("ab"));
    QCOMPARE(m_server->received(), QByteArray("ab"));
    // Typing in the chat input sends nothing until Return.
    QTest::keyClicks(table->Memo4, QStringLiteral("cd"));
    QTest::qWait(30);
    QCOMPARE(m_server->received(), QByteArray("ab"));
}

void TestCardamo::buttonsFromTheServer()
{
    auto table = openConnected();
    TAnsi *engine = table->engine();
    const int w = engine->CellWidth(), h = engine->CellHeight();
    feed(*table, "\x1b[10;20;20;22;3;34Wbid|Bid;Make a bid>");
    QCOMPARE(table->surfaceButtonCount(), 1);
    QAbstractButton *button = table->surfaceButton("bid");
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Bid"));
    QCOMPARE(button->toolTip(), QStringLiteral("Make a bid"));
    QCOMPARE(button->geometry(), QRect(10 * w, 20 * h, 10 * w, 2 * h));
    QCOMPARE(button->parentWidget(), table->Scrollbox1);
    auto *shaped = qobject_cast<TIAeverButton *>(button);
    QVERIFY(shaped);
    QVERIFY(!shaped->glyph().isNull());
    QCOMPARE(shaped->faceColor(), QColor(0, 0, 255));
    QCOMPARE(shaped->gradientColor(), QColor(Qt::black));
    button->click();
    QVERIFY(m_server->waitForBytes(Marker::ButtonPress + "bid"));
    QCOMPARE(m_server->received(), Marker::ButtonPress + "bid");

    // The same name again updates it; an icon index of 100 or more has none.
    feed(*table, "\x1b[30;5;40;7;100;31Wbid|Double>");
    QCOMPARE(table->surfaceButtonCount(), 1);
    QCOMPARE(table->surfaceButton("bid"), button);
    QCOMPARE(button->text(), QStringLiteral("Double"));
    QCOMPARE(button->toolTip(), QStringLiteral("Double"));
    QCOMPARE(button->pos(), QPoint(30 * w, 5 * h));
    QVERIFY(shaped->glyph().isNull());
    QCOMPARE(shaped->faceColor(), QColor(255, 0, 0));

    // A left edge of 0 removes it; removing an unknown name does nothing.
    QPointer<QAbstractButton> watch = button;
    feed(*table, "\x1b[0;0;0;0;0;0Wbid|x>\x1b[0;0;0;0;0;0Wnone|x>");
    QVERIFY(watch.isNull());
    QCOMPARE(table->surfaceButtonCount(), 0);
}

void TestCardamo::cardsFromTheServer()
{
    auto table = openConnected();
    TAnsi *engine = table->engine();
    const int w = engine->CellWidth(), h = engine->CellHeight();
    // Fourth number 10 (left) and third number 2 (top).
    feed(*table, "\x1b[9;20;2;10G14>");
    const QImage &surface = table->Image2->image();
    QVERIFY(showsCard(surface, CardPictures::CardPicture(14), QPoint(10 * w, 2 * h)));
    feed(*table, "\x1b[0;0;12;30G52>\x1b[0;0;12;45G100>\x1b[0;0;12;60G119>");
    QVERIFY(showsCard(surface, CardPictures::CardPicture(52), QPoint(30 * w, 12 * h)));
    QVERIFY(showsCard(surface, CardPictures::CardPicture(100), QPoint(45 * w, 12 * h)));
    QVERIFY(showsCard(surface, CardPictures::CardPicture(119), QPoint(60 * w, 12 * h)));
}

void TestCardamo::cardRepaintRule_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("232") << 232 << 5 << true;
    QTest::newRow("233") << 233 << 5 << false;
    QTest::newRow("back low") << 300 << 0 << true;
    QTest::newRow("race 232") << 232 << 105 << true;
    QTest::newRow("race 233") << 233 << 105 << false;
    QTest::newRow("race back low") << 300 << 100 << true;
    QTest::newRow("cleared") << 10 << -1 << false;
}

void TestCardamo::cardRepaintRule()
{
    QFETCH(int, top);
    QFETCH(int, code);
    TfrmCardamo table({"h", "1"});
    table.show();
    table.FormActivate();
    const int before = table.Image2->repaints();
    table.DrawListPicture(TAnsiRect{40, top, 0, 0}, code);
    QTEST(table.Image2->repaints() > before, "atOnce");
    if (code >= 0)
        QVERIFY(showsCard(table.Image2->image(), CardPictures::CardPicture(code), QPoint(40, top)));
}

void TestCardamo::smallModeSizes()
{
    TfrmCardamo table({"h", "1"});
    table.FormActivate();
    table.engine()->SetFontSize(8);
    QVERIFY(table.smallMode());
    QImage &surface = table.Image2->image();
    const QRgb ground = qRgb(255, 0, 255);   // a colour no card uses
    surface.fill(ground);
    table.DrawListPicture(TAnsiRect{10, 10, 0, 0}, 1);
    table.DrawListPicture(TAnsiRect{100, 10, 0, 0}, 101);
    auto covered = [&](int left, int top) {
        int width = 0, height = 0;
        while (surface.pixel(left + width, top + 30) != ground)
            ++width;
        while (surface.pixel(left + 20, top + height) != ground)
            ++height;
        return QSize(width, height);
    };
    QCOMPARE(covered(10, 10), QSize(56, 72));
    QCOMPARE(covered(100, 10), QSize(55, 74));
}

void TestCardamo::lastTrickFromDrawnCards()
{
    TfrmCardamo table({"h", "1"});
    table.FormActivate();
    for (int code : {1, 14, 27, 40})
        table.DrawListPicture(TAnsiRect{50, 100, 0, 0}, code);
    table.DrawListPicture(TAnsiRect{50, 300, 0, 0}, 13);    // in the hand: not recorded
    table.DrawListPicture(TAnsiRect{50, 100, 0, 0}, 105);   // race deck: not recorded
    QCOMPARE(table.LastTrick->record().codes(), (QList<int>{1, 14, 27, 40}));
    table.DrawListPicture(TAnsiRect{50, 100, 0, 0}, -1);
    QCOMPARE(table.LastTrick->record().codes(), (QList<int>{1, 14, 27, 40}));
    const QImage &picture = table.LastTrick->picture();
    QVERIFY(showsCard(picture, CardPictures::CardPicture(40), QPoint(110, 10)));
}

void TestCardamo::optionsMenu()
{
    TfrmCardamo table({"h", "1"});
    table.FormActivate();
    // No players yet: the menu keeps its single first entry.
    table.PopupMenu2Popup();
    QCOMPARE(table.PopupMenu2->actions().size(), 1);
    QCOMPARE(table.PopupMenu2->actions().at(0)->text(), QStringLiteral("Refresh Screen"));

    table.dispatch(Marker::ChatMarker + Marker::PlayerListLine + "Ann=1;0;1\x1b]");
    table.setWindowTitle(QStringLiteral("Lobby"));
    table.PopupMenu2Popup();
    QVERIFY(table.PopupMenu2->actions().isEmpty());

    table.setWindowTitle(QStringLiteral("Spades Table 3"));
    table.PopupMenu2Popup();
    QCOMPARE(table.PopupMenu2->actions().size(), 2);
    QAction *show = table.PopupMenu2->findChild<QAction *>(QStringLiteral("ShowLastTrick1"));
    QVERIFY(show);
    QVERIFY(!show->isChecked());
    show->trigger();
    QVERIFY(table.LastTrick->isVisible());
    QCOMPARE(table.LastTrick->tableCaption(), QStringLiteral("Spades Table 3"));
    table.PopupMenu2Popup();
    show = table.PopupMenu2->findChild<QAction *>(QStringLiteral("ShowLastTrick1"));
    QVERIFY(show->isChecked());
    show->trigger();
    QVERIFY(!table.LastTrick->isVisible());

    const int before = table.Image2->repaints();
    table.PopupMenu2->findChild<QAction *>(QStringLiteral("RefreshScreen1"))->trigger();
    QCOMPARE(table.Image2->repaints(), before + 1);
}

void TestCardamo::furtherTable()
{
    TfrmCardamo table({"node.example", "1030", "Ann", "pw"});
    table.dispatch("\\SpawnNode:5001\r\n" + Marker::ChatMarker + "not shown\r\n");
    QCOMPARE(m_launcher->launches.size(), 1);
    const LaunchRecord &launch = m_launcher->launches.at(0);
    QCOMPARE(launch.program, table.session().ProgramDir + QStringLiteral("Cardamo"));
    QCOMPARE(launch.arguments, (QStringList{"node.example", "5001", "Ann"}));
    QCOMPARE(launch.environment.value(QStringLiteral("VANTORA_PASSWORD")), QStringLiteral("pw"));
    QCOMPARE(launch.workingDir, table.session().ProgramDir);
    QVERIFY(table.ScreenBuffer().isEmpty());
    QVERIFY(!table.Memo5->toPlainText().contains(QLatin1String("not shown")));

    table.dispatch("\\SpawnNode:0");
    table.dispatch("\\SpawnNode");
    QCOMPARE(m_launcher->launches.size(), 1);
}

void TestCardamo::furtherTableWithoutProgram()
{
    m_launcher->onlyListedFilesExist = true;
    TfrmCardamo table({"h", "1", "Ann", "pw"});
    table.dispatch("\\SpawnNode:5001");
    QVERIFY(m_launcher->launches.isEmpty());
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked.at(0).text, QStringLiteral("Unable to load Cardamo"));
}

VT_TEST_MAIN(TestCardamo)
#include "tst_cardamo.moc"
