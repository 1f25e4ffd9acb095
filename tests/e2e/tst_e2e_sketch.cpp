// Two sketch tables against the local service, started in-process on free
// ports: the artist draws and the other table shows the strokes, a wrong
// guess shows in both guess lists with the artist's hint on it, and a right
// guess ends the round with a score table in both score windows.

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include "Ansi.h"
#include "DoodlixScore.h"
#include "DoodlixTableU.h"
#include "DrawingProbe.h"
#include "Fakes.h"
#include "HintIcons.h"
#include "LocalService.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "VtServer.h"
#include "uRichEditWithLinks.h"

namespace {

constexpr int kSketchGame = 2;   // the sketch table's entry on the games menu
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kSilver = qRgb(192, 192, 192);

// The plain lines of the score window, blanks around them dropped.
QStringList scoreLines(const TfrmDoodlixTable &table)
{
    QStringList lines;
    for (const QString &line : table.Score->ScoreMemo->toPlainText().split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines;
}

} // namespace

using namespace DrawingProbe;

class TestE2eSketch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void twoTablesPlayARound();

private:
    std::unique_ptr<TfrmDoodlixTable> openTable(const QByteArray &name);

    QTemporaryDir m_data;
    std::unique_ptr<VtServer> m_server;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
};

void TestE2eSketch::init()
{
    QVERIFY(m_data.isValid());
    m_dialogs = new FakeDialogs;
    UserDialogs::setCurrent(m_dialogs);
    m_sound = new FakeSoundPlayer;
    Platform::setSound(m_sound);

    ServerOptions options = LocalService::OnFreePorts(m_data.path());
    options.tickMs = 50;
    options.tune = [](ServiceConfig &config) {
        config.words = {{"apple", 20}};
        // Nothing happens by the clock while the test plays.
        config.sketch.readyMs = 120000;
        config.sketch.roundMs = 120000;
        config.sketch.betweenMs = 120000;
    };
    m_server = std::make_unique<VtServer>(options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    QVERIFY(m_server->gamePort(kSketchGame) > 0);
}

void TestE2eSketch::cleanup()
{
    m_server->stop();
    m_server.reset();
    UserDialogs::setCurrent(nullptr);
    Platform::setSound(nullptr);
    delete m_dialogs;
    delete m_sound;
}

std::unique_ptr<TfrmDoodlixTable> TestE2eSketch::openTable(const QByteArray &name)
{
    auto table = std::make_unique<TfrmDoodlixTable>(QStringList{
        QStringLiteral("127.0.0.1"), QString::number(m_server->gamePort(kSketchGame)),
        QString::fromLatin1(name), QStringLiteral("pw")});
    table->show();
    table->FormActivate();
    return table;
}

void TestE2eSketch::twoTablesPlayARound()
{
    QVERIFY(LocalService::LogIn(*m_server, "Ann"));
    QVERIFY(LocalService::LogIn(*m_server, "Bob"));

    // Ann comes first and waits; with Bob the game begins and Ann draws first.
    auto ann = openTable("Ann");
    QTRY_COMPARE(ann->Label1->text(), QStringLiteral("* Waiting for players *"));
    auto bob = openTable("Bob");
    QTRY_VERIFY(ann->isArtist());
    QVERIFY(!bob->isArtist());
    QTRY_COMPARE(ann->Score->windowTitle(), QStringLiteral("Round 1 of 4: Ann draws"));
    QTRY_COMPARE(bob->Score->windowTitle(), QStringLiteral("Round 1 of 4: Ann draws"));
    QVERIFY(!ann->Button2->isHidden());
    QVERIFY(ann->Edit1->isHidden());
    QVERIFY(!bob->Edit1->isHidden());

    // Ready: the word comes, its value shows above Bob's drawing.
    ann->Button2->click();
    QTRY_COMPARE(ann->Label1->text(), QStringLiteral("* Draw: apple *"));
    QTRY_COMPARE(bob->Panel12->text(), QStringLiteral("Guess What it is.. Word Value = 20"));
    QTRY_COMPARE(bob->Label1->text(), QStringLiteral("* Guess: 5 letters *"));
    QTRY_VERIFY(bob->ScreenBuffer().isEmpty());
    const QImage &bobDrawing = bob->Image2->image();
    QCOMPARE(count(bobDrawing, bobDrawing.rect(), kSilver), bobDrawing.width() * bobDrawing.height());

    // Ann draws a line from (100, 100) to (250, 100) and a red one below it.
    press(ann->Image2, {100, 100});
    for (int x = 110; x <= 250; x += 10)
        move(ann->Image2, {x, 100});
    release(ann->Image2, {250, 100});
    ann->ColourButtons.at(1)->click();
    press(ann->Image2, {100, 200});
    move(ann->Image2, {175, 200});
    release(ann->Image2, {250, 200});
    QTRY_VERIFY(count(bobDrawing, QRect(100, 99, 151, 3), kBlack) >= 2 * 150);
    QTRY_VERIFY(count(bobDrawing, QRect(100, 199, 151, 3), qRgb(255, 0, 0)) >= 2 * 150);
    QCOMPARE(count(bobDrawing, QRect(100, 130, 151, 40), kBlack), 0);
    // Ann's own drawing shows the same.
    QTRY_VERIFY(count(ann->Image2->image(), QRect(100, 99, 151, 3), kBlack) >= 2 * 150);

    // Bob's wrong guess shows in both guess lists, in cyan.
    bob->Edit1->setText(QStringLiteral("banana"));
    bob->Button1->click();
    const QRgb cyan = qRgb(0, 255, 255);
    QTRY_VERIFY(count(ann->Image1->image(), ann->Image1->image().rect(), cyan) > 20);
    QTRY_VERIFY(count(bob->Image1->image(), bob->Image1->image().rect(), cyan) > 20);

    // Ann marks it "Warmer": the guess is on row 2 (the round began by
    // clearing the list with a line of its own).
    TAnsi *guess = bob->guessEngine();
    const QRect row2(guess->CellWidth(), 2 * guess->CellHeight(), 300, guess->CellHeight());
    QVERIFY(count(bob->Image1->image(), row2, cyan) > 20);
    ann->ToolButton6->click();
    press(ann->Image1, {40, 36});
    QCOMPARE(ann->GuessRow, 2);
    release(ann->Image1, {40, 36});
    const QImage warmer = HintIcons::Icon(HintIcons::Warmer);
    const QPoint mark(guess->CellWidth(), 2 * guess->CellHeight());
    QTRY_VERIFY(showsIcon(bob->Image1->image(), mark, warmer));
    QTRY_VERIFY(showsIcon(ann->Image1->image(), mark, warmer));

    // The right guess ends the round: both score windows show the table.
    bob->Edit1->setText(QStringLiteral("Apple"));
    QTest::keyClick(bob->Edit1, Qt::Key_Return);
    QTRY_COMPARE(scoreLines(*bob).size(), 2);
    QTRY_COMPARE(scoreLines(*ann).size(), 2);
    const QStringList lines = scoreLines(*bob);
    QVERIFY2(lines.at(0).startsWith(QLatin1String("Bob_________________\t")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).startsWith(QLatin1String("Ann_________________\t")), qPrintable(lines.at(1)));
    QVERIFY(lines.at(0).section(QLatin1Char('\t'), 1).toInt() > 0);
    QCOMPARE(lines.at(1).section(QLatin1Char('\t'), 1).toInt(), 10);   // half the word's value
    QCOMPARE(scoreLines(*ann), lines);
    QTRY_VERIFY(!ann->isArtist());
    QTRY_COMPARE(bob->Panel12->text(), QStringLiteral("Guess What it is.."));
    QVERIFY(bob->Memo5->toPlainText().contains(QLatin1String("Everybody guessed it!")));

    // The options menu shows the window.
    bob->ShowHideScore1->trigger();
    QVERIFY(bob->Score->isVisible());
}

VT_TEST_MAIN(TestE2eSketch)
#include "tst_e2e_sketch.moc"
