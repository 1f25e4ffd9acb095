// The sketch game's window against a node server on loopback: drawing as
// the artist and as a guesser, the colour buttons, "Erase All", guesses,
// "Ready", hints, what the server's chat and drawing stream do to the
// window, and the score window.

#include <QtTest>

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>

#include "Ansi.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "DoodlixScore.h"
#include "DoodlixTableU.h"
#include "DrawingProbe.h"
#include "Fakes.h"
#include "HintIcons.h"
#include "LoopbackServer.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "Shape.h"
#include "SurfaceImage.h"
#include "SuitePictures.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QByteArray kReady = Marker::IdentifyOpen + "Ann" + Marker::IdentifyClose + "pw"
    + Marker::ClientReady;
const QByteArray M = Marker::ChatMarker;
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kBlack = qRgb(0, 0, 0);

QByteArray stroke(int x1, int y1, int x2, int y2, int w = 2, int c = 30)
{
    return "\x1b[" + QByteArray::number(x1) + ';' + QByteArray::number(y1) + ';'
        + QByteArray::number(x2) + ';' + QByteArray::number(y2) + ';' + QByteArray::number(w) + ';'
        + QByteArray::number(c) + ";0L\x1b]";
}

} // namespace

using namespace DrawingProbe;

class TestDoodlix : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void firstActivation();
    void clickWithoutMovementAsArtist();
    void guesserSendsAndDrawsNothing();
    void dragDrawsOnTheDrawing();
    void secondPictureDrawsToo();
    void rightPressAndReleaseMakeADotAndASegment();
    void eraserWidthAndColour();
    void eraseAllWithThreeStrokesQueued();
    void serverStrokesAndClears();
    void guessesAndReady();
    void hintWarmerOnRow4();
    void hintMenu();
    void guessRowFromPresses_data();
    void guessRowFromPresses();
    void incomingGuessesAndHintMarks();
    void scoreAfterChatShowsTheChatFirst();
    void scoreWindowTable();
    void roundTitleAndShowHide();
    void statusTexts();
    void artistLayouts();
    void gaugeWordValueAndLabels();
    void disconnectionDisablesTheTopBar();

private:
    std::unique_ptr<TfrmDoodlixTable> openConnected();
    void feed(TfrmDoodlixTable &table, const QByteArray &screen);
    void makeArtist(TfrmDoodlixTable &table);
    // Waits for the drawing to show everything queued.
    void drawn(TfrmDoodlixTable &table);

    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<InstalledFakes> m_fakes;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestDoodlix::initTestCase()
{
    Waits::setTimeScale(0.2);
}

void TestDoodlix::init()
{
    m_server = std::make_unique<LoopbackServer>(LoopbackServer::OneClient);
    m_fakes = std::make_unique<InstalledFakes>();
    m_dialogs = &m_fakes->dialogs;
    m_sound = &m_fakes->sound;
}

void TestDoodlix::cleanup()
{
    m_fakes.reset();
    m_server.reset();
}

std::unique_ptr<TfrmDoodlixTable> TestDoodlix::openConnected()
{
    auto table = std::make_unique<TfrmDoodlixTable>(
        QStringList{m_server->host(), m_server->portText(), "Ann", "pw"});
    table->show();
    table->FormActivate();
    if (!m_server->waitForBytes(kReady))
        qWarning("the table did not get ready");
    m_server->clearReceived();
    return table;
}

void TestDoodlix::feed(TfrmDoodlixTable &table, const QByteArray &screen)
{
    table.dispatch(screen);
    drawn(table);
}

void TestDoodlix::drawn(TfrmDoodlixTable &table)
{
    QTRY_VERIFY(table.ScreenBuffer().isEmpty());
}

void TestDoodlix::makeArtist(TfrmDoodlixTable &table)
{
    feed(table, "\x1b[*");
    QVERIFY(table.isArtist());
}

void TestDoodlix::window()
{
    TfrmDoodlixTable table({"h", "1"});
    QCOMPARE(table.windowTitle(), QStringLiteral("Vantora Games"));
    QCOMPARE(table.objectName(), QStringLiteral("TfrmDoodlixTable"));
    QCOMPARE(table.height(), 620);
    QVERIFY(table.width() >= 780);
    QCOMPARE(table.Image2->image().size(), QSize(391, 265));
    QCOMPARE(table.Image1->image().size(), QSize(399, 365));
    QCOMPARE(table.Image3->image().size(), QSize(393, 250));
    QCOMPARE(table.Panel12->text(), QStringLiteral("Guess what it is.."));
    QCOMPARE(table.guessEngine()->FontSize(), 10);
    QCOMPARE(table.guessEngine()->RowCount(), 25);
    QCOMPARE(table.guessEngine()->Surface()->image(), &table.Image1->image());

    // The guesser's layout.
    QVERIFY(!table.Edit1->isHidden());
    QVERIFY(!table.Button1->isHidden());
    QVERIFY(table.Button2->isHidden());
    QCOMPARE(table.Label1->text(), QStringLiteral("Guess"));
    QVERIFY(table.ToolBar2->isHidden());
    QVERIFY(!table.ToolBar3->isEnabled());
    QVERIFY(!table.hintMenuAttached());

    // Pen, colours and hints at the start.
    QCOMPARE(table.Pen.PenColourCode, 30);
    QCOMPARE(table.Pen.PenWidth, 2);
    QCOMPARE(table.ColourButtons.size(), 10);
    QCOMPARE(table.ColourGroup->checkedId(), 30);
    QVERIFY(table.ToolButton4->isChecked());
    QCOMPARE(table.ToolButton6->toolTip(), QStringLiteral("Warmer"));
    QCOMPARE(table.DownHintIcon(), HintIcons::WayOff);
    QCOMPARE(table.progressbar1->value(), 100);
    QCOMPARE(table.PopupMenu3->actions().size(), 6);
    QCOMPARE(table.PopupMenu3->actions().at(3)->text(), QStringLiteral("Getting Hot"));

    // The top bar: "Options", "Vote" and the lock; no "Show Chat".
    QVERIFY(table.Panel5->isAncestorOf(table.ToolButton1));
    QVERIFY(table.Panel5->isAncestorOf(table.ToolButton2));
    QVERIFY(table.Panel5->isAncestorOf(table.btnAway));
    QCOMPARE(table.btnAway->objectName(), QStringLiteral("btnAway"));
    QCOMPARE(table.btnAway->defaultAction(), table.Lock);
    QCOMPARE(table.Lock->text(), QStringLiteral("&Lock"));
    table.show();
    QVERIFY(!table.SpeedButton5->isVisible());
    QVERIFY(table.Image2->isVisible());

    QStringList options;
    for (QAction *action : table.PopupMenu2->actions())
        options << action->text();
    QCOMPARE(options, (QStringList{"Refresh Screen", "Show-Hide Score"}));

    QVERIFY(table.Score);
    QVERIFY(table.Score->isHidden());
    QCOMPARE(table.Score->windowTitle(), QStringLiteral("Score"));
    QCOMPARE(table.Score->size(), QSize(290, 177));
    QVERIFY(table.Score->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(table.Score->windowFlags() & Qt::WindowMinimizeButtonHint));
}

void TestDoodlix::firstActivation()
{
    auto table = openConnected();
    const QImage &drawing = table->Image2->image();
    QCOMPARE(drawing.pixel(3, 3), kSilver);
    // The splash at (10, 10), its background left out.
    const QImage splash = SuitePicture("BITMAPVT");
    QCOMPARE(drawing.pixel(12, 12), kSilver);
    const QPoint inside(10 + 150, 10 + 48);
    QCOMPARE(drawing.pixel(inside), splash.pixel(150, 48));
    QVERIFY(drawing.pixel(inside) != kSilver);
    // The guess list starts empty and black.
    QCOMPARE(count(table->Image1->image(), QRect(0, 0, 399, 365), kBlack), 399 * 365);
}

void TestDoodlix::clickWithoutMovementAsArtist()
{
    auto table = openConnected();
    makeArtist(*table);
    feed(*table, "\x1b[47J");   // the splash away
    press(table->Image2, {50, 60});
    QTest::qWait(50);
    QVERIFY(m_server->received().isEmpty());
    QCOMPARE(table->Shape1->brushColor(), QColor(0, 255, 0));
    release(table->Image2, {50, 60});
    const QByteArray expected = "\x1b[50;60;51;61;2;30;0L\x1b]\x1b[51;61;50;60;2;30;0L\x1b]";
    QVERIFY(m_server->waitForBytes(expected));
    QCOMPARE(m_server->received(), expected);
    QCOMPARE(m_server->pieces().size(), 1);

    // The dot shows on the drawing, in black on silver.
    drawn(*table);
    const QImage &drawing = table->Image2->image();
    QCOMPARE(drawing.pixel(50, 60), kBlack);
    QCOMPARE(drawing.pixel(51, 61), kBlack);
    QCOMPARE(drawing.pixel(56, 66), kSilver);
}

void TestDoodlix::guesserSendsAndDrawsNothing()
{
    auto table = openConnected();
    const QImage before = table->Image2->image().copy();
    press(table->Image2, {100, 100});
    move(table->Image2, {150, 120});
    release(table->Image2, {160, 130});
    table->EraseAllClick();
    table->Image1MouseDown({5, 54});
    table->Image1MouseUp({5, 54}, Qt::LeftButton);
    table->SendHint(HintIcons::Warmer);
    QTest::qWait(100);
    QVERIFY(m_server->received().isEmpty());
    QVERIFY(table->ScreenBuffer().isEmpty());
    QVERIFY(table->Pen.StrokeQueue.isEmpty());
    QCOMPARE(table->Image2->image(), before);
}

void TestDoodlix::dragDrawsOnTheDrawing()
{
    auto table = openConnected();
    makeArtist(*table);
    press(table->Image2, {100, 100});
    for (int x = 110; x <= 200; x += 10)
        move(table->Image2, {x, 100});
    release(table->Image2, {200, 100});
    QVERIFY(m_server->waitForBytes(stroke(190, 100, 200, 100) + stroke(200, 100, 200, 100)));
    drawn(*table);
    const QImage &drawing = table->Image2->image();
    // A black line two pixels wide from x 100 to 200.
    QVERIFY(count(drawing, QRect(100, 99, 101, 3), kBlack) >= 2 * 100);
    QCOMPARE(count(drawing, QRect(100, 96, 101, 2), kBlack), 0);
    QCOMPARE(count(drawing, QRect(100, 104, 101, 2), kBlack), 0);

    // In red: choose the colour, draw a second line.
    table->ColourButtons.at(1)->click();
    QCOMPARE(table->Pen.PenColourCode, 31);
    QVERIFY(table->ColourButtons.at(1)->isChecked());
    QVERIFY(!table->ColourGroup->button(30)->isChecked());
    press(table->Image2, {100, 150});
    move(table->Image2, {150, 150});
    release(table->Image2, {200, 150});
    QVERIFY(m_server->waitForBytes(stroke(150, 150, 200, 150, 2, 31)));
    drawn(*table);
    QVERIFY(count(drawing, QRect(100, 149, 101, 3), qRgb(255, 0, 0)) >= 2 * 100);
}

void TestDoodlix::secondPictureDrawsToo()
{
    auto table = openConnected();
    makeArtist(*table);
    press(table->Image3, {30, 40});
    move(table->Image3, {60, 40});
    release(table->Image3, {60, 40});
    QVERIFY(m_server->waitForBytes(stroke(31, 41, 60, 40)));
    drawn(*table);
    QCOMPARE(table->Image2->image().pixel(45, 40), kBlack);
}

void TestDoodlix::rightPressAndReleaseMakeADotAndASegment()
{
    auto table = openConnected();
    makeArtist(*table);
    press(table->Image2, {10, 20}, Qt::RightButton);
    release(table->Image2, {30, 40}, Qt::RightButton);
    const QByteArray expected = stroke(10, 20, 11, 21) + stroke(11, 21, 30, 40);
    QVERIFY(m_server->waitForBytes(expected));
    QCOMPARE(m_server->received(), expected);
    QVERIFY(table->Pen.LineMode);
    // A later left press and release closes a segment as well.
    m_server->clearReceived();
    press(table->Image2, {100, 100});
    release(table->Image2, {140, 100});
    const QByteArray second = stroke(100, 100, 101, 101) + stroke(101, 101, 140, 100);
    QVERIFY(m_server->waitForBytes(second));
    QCOMPARE(m_server->received(), second);
}

void TestDoodlix::eraserWidthAndColour()
{
    auto table = openConnected();
    makeArtist(*table);
    feed(*table, stroke(50, 100, 250, 100, 2, 31));   // a red line to rub out
    QCOMPARE(table->Image2->image().pixel(150, 100), qRgb(255, 0, 0));
    table->ColourButtons.at(0)->click();   // the eraser
    QCOMPARE(table->Pen.PenWidth, 20);
    QCOMPARE(table->Pen.PenColourCode, 47);
    press(table->Image2, {100, 100});
    move(table->Image2, {200, 100});
    release(table->Image2, {200, 100});
    const QByteArray expected = stroke(100, 100, 101, 101, 20, 47) + stroke(101, 101, 200, 100, 20, 47)
        + stroke(200, 100, 200, 100, 20, 47);
    QVERIFY(m_server->waitForBytes(expected));
    QCOMPARE(m_server->received(), expected);
    drawn(*table);
    const QImage &drawing = table->Image2->image();
    QCOMPARE(count(drawing, QRect(110, 92, 80, 17), qRgb(255, 0, 0)), 0);
    QCOMPARE(drawing.pixel(230, 100), qRgb(255, 0, 0));
}

void TestDoodlix::eraseAllWithThreeStrokesQueued()
{
    auto table = openConnected();
    makeArtist(*table);
    press(table->Image2, {100, 100});
    move(table->Image2, {120, 100});
    move(table->Image2, {140, 100});
    QTest::qWait(50);
    QVERIFY(m_server->received().isEmpty());
    table->EraseAll->click();
    const QByteArray expected = stroke(100, 100, 101, 101) + stroke(101, 101, 120, 100)
        + stroke(120, 100, 140, 100) + "\x1b[47J\x1b]";
    QVERIFY(m_server->waitForBytes(expected));
    QCOMPARE(m_server->received(), expected);
    QCOMPARE(m_server->pieces().size(), 1);
    drawn(*table);
    // Silver everywhere, the splash and the strokes gone.
    const QImage &drawing = table->Image2->image();
    QCOMPARE(count(drawing, drawing.rect(), kSilver), drawing.width() * drawing.height());
}

void TestDoodlix::serverStrokesAndClears()
{
    auto table = openConnected();
    m_server->send("\x1b[10;20;110;20;3;31;0L\x1b]\x1b[0;0;110;80;3;34;0L\x1b]");
    QTRY_COMPARE(table->Image2->image().pixel(60, 20), qRgb(255, 0, 0));
    QTRY_COMPARE(table->Image2->image().pixel(110, 50), qRgb(0, 0, 255));
    m_server->send("\x1b[44J");
    QTRY_COMPARE(table->Image2->image().pixel(300, 200), qRgb(0, 0, 128));
    m_server->send("\x0c");
    QTRY_COMPARE(table->Image2->image().pixel(300, 200), kBlack);
    // The guess list takes none of it.
    QCOMPARE(count(table->Image1->image(), QRect(0, 0, 399, 365), kBlack), 399 * 365);
}

void TestDoodlix::guessesAndReady()
{
    auto table = openConnected();
    QTest::keyClicks(table->Edit1, QStringLiteral("a red car"));
    QTest::keyClick(table->Edit1, Qt::Key_Return);
    QVERIFY(m_server->waitForBytes("Guess?:a red car\r\n\r\n"));
    QVERIFY(table->Edit1->text().isEmpty());
    // Nothing to send with an empty field.
    table->Button1->click();
    table->Edit1->setText(QStringLiteral("boat"));
    table->Button1->click();
    QVERIFY(m_server->waitForBytes("Guess?:boat\r\n\r\n"));
    QCOMPARE(m_server->received(), QByteArray("Guess?:a red car\r\n\r\nGuess?:boat\r\n\r\n"));

    m_server->clearReceived();
    feed(*table, "\x1b[ZGo now}");
    QCOMPARE(table->Button2->text(), QStringLiteral("Go now"));
    table->Button2->click();
    QVERIFY(m_server->waitForBytes("Guess?:Ann Ready \r\n"));
    QCOMPARE(m_server->received(), QByteArray("Guess?:Ann Ready \r\n"));
    QCOMPARE(table->Button2->text(), QStringLiteral("Ready"));
}

void TestDoodlix::hintWarmerOnRow4()
{
    auto table = openConnected();
    makeArtist(*table);
    QVERIFY(table->ToolBar3->isEnabled());
    table->ToolButton6->click();
    QVERIFY(!table->ToolButton4->isChecked());
    QCOMPARE(table->DownHintIcon(), HintIcons::Warmer);
    press(table->Image1, {30, 54});
    QCOMPARE(table->GuessRow, 4);
    release(table->Image1, {30, 54});
    const QByteArray expected = QByteArray("Guess?:\x1b[0;0;4;1G39\xb7");
    QVERIFY(m_server->waitForBytes(expected));
    QCOMPARE(m_server->received(), expected);
    // A right release sends nothing.
    m_server->clearReceived();
    press(table->Image1, {30, 80}, Qt::RightButton);
    release(table->Image1, {30, 80}, Qt::RightButton);
    QTest::qWait(50);
    QVERIFY(m_server->received().isEmpty());
}

void TestDoodlix::hintMenu()
{
    auto table = openConnected();
    QVERIFY(!table->hintMenuAttached());
    makeArtist(*table);
    QVERIFY(table->hintMenuAttached());
    table->Image1MouseDown({5, 32});
    table->PopupMenu3->actions().at(5)->trigger();   // "Spelling"
    QVERIFY(m_server->waitForBytes("Guess?:\x1b[0;0;2;1G42\xb7"));
    feed(*table, "\x1b[@");
    QVERIFY(!table->hintMenuAttached());
    QVERIFY(!table->ToolBar3->isEnabled());
    m_server->clearReceived();
    table->PopupMenu3->actions().at(1)->trigger();
    QTest::qWait(50);
    QVERIFY(m_server->received().isEmpty());
}

void TestDoodlix::guessRowFromPresses_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("row");
    QTest::newRow("15") << 15 << 1;
    QTest::newRow("54") << 54 << 4;
}

void TestDoodlix::guessRowFromPresses()
{
    QFETCH(int, y);
    QFETCH(int, row);
    TfrmDoodlixTable table({"h", "1"});
    press(table.Image1, {20, y});
    QCOMPARE(table.GuessRow, row);
}

void TestDoodlix::incomingGuessesAndHintMarks()
{
    auto table = openConnected();
    const QImage &list = table->Image1->image();
    TAnsi *guess = table->guessEngine();
    const int cw = guess->CellWidth(), ch = guess->CellHeight();
    // The pen moves on by each glyph's own width.
    const int blank = guess->Surface()->textWidth(' ');

    m_server->send(M + "Guess?:Bob - a cat\r\n");
    // Row 1, indented by three blanks: nothing in the first three cells,
    // text after them, in cyan.
    const QRect indent(cw, ch, 3 * blank, ch);
    const QRect text(cw + 3 * blank, ch, 11 * cw, ch);
    QTRY_VERIFY(count(list, text, kBlack) < text.width() * text.height());
    QCOMPARE(count(list, indent, kBlack), indent.width() * indent.height());
    QVERIFY(count(list, text, qRgb(0, 255, 255)) > 10);
    // Not the chat view's business.
    QVERIFY(!table->Memo5->toPlainText().contains(QLatin1String("a cat")));

    // A hint mark for row 3 with icon 40 ("Getting Hot") at column 1 of row 3.
    m_server->send(M + "Guess?:\x1b[0;0;3;1G40\xb7");
    const QImage icon = HintIcons::Icon(HintIcons::GettingHot);
    const QPoint at(cw, 3 * ch);
    QTRY_VERIFY(showsIcon(list, at, icon));
    // The corner is left out: the background shows.
    QCOMPARE(list.pixel(at + QPoint(1, 1)), kBlack);
}

void TestDoodlix::scoreAfterChatShowsTheChatFirst()
{
    auto table = openConnected();
    table->dispatch("Word Value is 20 Points]");
    QCOMPARE(table->Panel12->text(), QStringLiteral("Guess What it is.. Word Value = 20"));
    QStringList order;
    connect(table->Memo5, &QTextEdit::textChanged, this, [&] {
        if (!order.contains(QLatin1String("chat")))
            order << QStringLiteral("chat");
    });
    connect(table->Score->ScoreMemo, &QTextEdit::textChanged, this, [&] {
        if (!order.contains(QLatin1String("score")))
            order << QStringLiteral("score");
    });
    m_server->send(M + "Bob> good game\r\n" + M + "Score:Ann=120\r\nBob=80EndScore");
    QTRY_VERIFY(table->Score->ScoreMemo->toPlainText().contains(QLatin1String("Bob")));
    QCOMPARE(order, (QStringList{"chat", "score"}));
    QVERIFY(table->Memo5->toPlainText().contains(QLatin1String("Bob> good game")));
    QVERIFY(!table->Memo5->toPlainText().contains(QLatin1String("Score")));
    QCOMPARE(table->Panel12->text(), QStringLiteral("Guess What it is.."));
    // Nothing of it went to the drawing.
    QVERIFY(table->ScreenBuffer().isEmpty());
}

void TestDoodlix::scoreWindowTable()
{
    TfrmDoodlixTable table({"h", "1"});
    table.chatSession().DarkView = true;   // the score view is black
    TfrmDoodlixScore *score = table.Score;
    score->ShowScoreTable("Ann=120\r\nABCDEFGHIJKLMNOPQRST=5");
    // The renderer leads the text after a bold value with a blank.
    QStringList lines;
    for (const QString &line : score->ScoreMemo->toPlainText().split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("Ann_________________\t120"));
    QCOMPARE(lines.at(1), QStringLiteral("ABCDEFGHIJKLMNOPQRST\t5"));

    // The name in white, the value in bold.
    QTextCursor cursor(score->ScoreMemo->document());
    cursor.setPosition(1);
    QVERIFY(!cursor.charFormat().font().bold());
    const QColor nameColour = cursor.charFormat().foreground().color();
    QCOMPARE(nameColour, QColor(Qt::white));
    cursor.setPosition(int(lines.at(0).indexOf(QLatin1String("120"))) + 1);
    QVERIFY(cursor.charFormat().font().bold());

    // A new table replaces the old.
    score->ShowScoreTable("Cy=7");
    QCOMPARE(score->ScoreMemo->toPlainText().trimmed(), QStringLiteral("Cy__________________\t7"));

    // Its view takes the chat view's background when it becomes active.
    QPalette palette = table.Memo5->palette();
    palette.setColor(QPalette::Base, QColor(10, 20, 30));
    table.Memo5->setPalette(palette);
    score->show();
    score->activateWindow();
    QTRY_VERIFY(score->isActiveWindow());
    QCOMPARE(score->ScoreMemo->palette().color(QPalette::Base), QColor(10, 20, 30));
}

void TestDoodlix::roundTitleAndShowHide()
{
    auto table = openConnected();
    m_server->send(M + "Round#:Round 2 of 4: Bob drawsEndRound#");
    QTRY_COMPARE(table->Score->windowTitle(), QStringLiteral("Round 2 of 4: Bob draws"));
    QVERIFY(table->Memo5->toPlainText().indexOf(QLatin1String("Round 2")) < 0);
    QVERIFY(table->Score->isHidden());
    table->ShowHideScore1->trigger();
    QVERIFY(table->Score->isVisible());
    table->ShowHideScore1->trigger();
    QVERIFY(table->Score->isHidden());
}

void TestDoodlix::statusTexts()
{
    auto table = openConnected();
    // "Ready" while a guesser: the artist's controls show, hints stay off.
    feed(*table, "\x1b[ZReady}");
    QVERIFY(!table->isArtist());
    QVERIFY(!table->Button2->isHidden());
    QCOMPARE(table->Button2->text(), QStringLiteral("Ready"));
    QVERIFY(table->Edit1->isHidden());
    QVERIFY(table->Button1->isHidden());
    QCOMPARE(table->Label1->text(), QStringLiteral("You Are the Artist"));
    QVERIFY(!table->ToolBar2->isHidden());
    QVERIFY(!table->ToolBar3->isEnabled());
    QVERIFY(!table->hintMenuAttached());

    feed(*table, "\x1b[Z* Guess: 5 letters *}");
    QCOMPARE(table->Label1->text(), QStringLiteral("* Guess: 5 letters *"));
    QCOMPARE(table->Button2->text(), QStringLiteral("Ready"));
    feed(*table, "\x1b[Z}");
    QCOMPARE(table->Label1->text(), QStringLiteral("* Guess: 5 letters *"));
    QCOMPARE(table->Button2->text(), QStringLiteral("Ready"));
}

void TestDoodlix::artistLayouts()
{
    auto table = openConnected();
    feed(*table, "\x1b[*");
    QVERIFY(table->Edit1->isHidden());
    QVERIFY(table->Button1->isHidden());
    QVERIFY(!table->Button2->isHidden());
    QCOMPARE(table->Label1->text(), QStringLiteral("You Are the Artist"));
    QVERIFY(!table->ToolBar2->isHidden());
    QVERIFY(table->ToolBar3->isEnabled());
    QVERIFY(table->hintMenuAttached());
    feed(*table, "\x1b[@");
    QVERIFY(!table->Edit1->isHidden());
    QVERIFY(!table->Button1->isHidden());
    QVERIFY(table->Button2->isHidden());
    QCOMPARE(table->Label1->text(), QStringLiteral("Guess"));
    QVERIFY(table->ToolBar2->isHidden());
    QVERIFY(!table->ToolBar3->isEnabled());
}

void TestDoodlix::gaugeWordValueAndLabels()
{
    auto table = openConnected();
    feed(*table, "\x1b[5x7P");
    QCOMPARE(table->progressbar1->value(), 57);
    feed(*table, "\x1b[0P");
    QCOMPARE(table->progressbar1->value(), 0);

    m_server->send("Word Value is 35 Points]\x1b[10;10;20;20;2;30;0L");
    QTRY_COMPARE(table->Panel12->text(), QStringLiteral("Guess What it is.. Word Value = 35"));

    // A label on the drawing: bold red on a clear background at (20, 30).
    feed(*table, "\x1b[47J\x1b[2;3;12;91ZHi]");
    const QImage &drawing = table->Image2->image();
    QVERIFY(count(drawing, QRect(20, 30, 30, 20), qRgb(255, 0, 0)) > 10);
    QCOMPARE(count(drawing, QRect(0, 0, 19, 265), qRgb(255, 0, 0)), 0);
}

void TestDoodlix::disconnectionDisablesTheTopBar()
{
    auto table = openConnected();
    QVERIFY(table->Panel5->isEnabled());
    m_server->hangUp();
    QTRY_VERIFY(!table->Panel5->isEnabled());
    QVERIFY(!table->Lock->isEnabled());
    QVERIFY(table->Memo5->toPlainText().contains(QLatin1String("Connection Terminated.")));
}

VT_TEST_MAIN(TestDoodlix)
#include "tst_doodlix.moc"
