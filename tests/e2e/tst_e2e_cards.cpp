// The card table against the local service, started in-process on free
// ports: Ann sits down at a Hearts table with three computer players, sees
// the table painted, chats, passes three cards and plays a whole hand by
// pressing the cards she sees, as a person does. At the end the last trick
// is on record in the "Last Trick" window and the scores show. At the race
// table she drives a whole hand against a computer player the same way.

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "Ansi.h"
#include "CardPainter.h"
#include "CardPictures.h"
#include "CardTable.h"
#include "CardamoU.h"
#include "Fakes.h"
#include "LastTrickWinU.h"
#include "LocalService.h"
#include "LoopbackServer.h"
#include "RacePainter.h"
#include "RaceTable.h"
#include "Platform.h"
#include "ProtocolMarkers.h"
#include "SurfaceImage.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "VtServer.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

constexpr int kCardTable = 0;   // the first card table's entry on the games menu
constexpr int kRaceTable = 5;
constexpr int kHandCells = 4;   // every hand card but the last shows four cells of itself
const QRgb kBlack = qRgb(0, 0, 0);

// A card of the hand as the picture shows it.
struct SeenCard {
    int code = 0;
    QPoint at;           // top-left corner in surface pixels
    bool raised = false;
};

// True when the strip of `card` that shows at `at` (`width` pixels wide)
// is the card's picture, sampled on a grid.
bool stripShows(const QImage &surface, const QImage &card, QPoint at, int width)
{
    if (!surface.rect().contains(QRect(at, QSize(width, card.height()))))
        return false;
    for (int y = 0; y < card.height(); y += 3)
        for (int x = 0; x < width; x += 3)
            if (surface.pixel(at + QPoint(x, y)) != card.pixel(x, y))
                return false;
    return true;
}

// The card code whose picture shows in the strip at `at`, or 0.
int cardIn(const QImage &surface, QPoint at, int width)
{
    for (int code = 1; code <= 52; ++code)
        if (stripShows(surface, CardPictures::CardPicture(code), at, width))
            return code;
    return 0;
}

// The hand the surface shows: the cards found from the left at the places
// the table lays out a hand of that many, each either down or raised.
QList<SeenCard> handShown(const TfrmCardamo &table)
{
    const QImage &surface = table.Image2->image();
    const int cw = table.engine()->CellWidth();
    const int ch = table.engine()->CellHeight();
    for (int count = Hearts::CardsPerHand; count > 0; --count) {
        QList<SeenCard> seen;
        for (int i = 0; i < count; ++i) {
            const int left = CardPainter::HandColumn(i, count) * cw;
            const int width = i == count - 1 ? CardPictures::CardSize.width() : kHandCells * cw;
            SeenCard card;
            for (const int row : {CardPainter::HandRow, CardPainter::RaisedRow}) {
                card.at = QPoint(left, row * ch);
                card.code = cardIn(surface, card.at, width);
                card.raised = row == CardPainter::RaisedRow;
                if (card.code)
                    break;
            }
            if (!card.code)
                break;
            seen.append(card);
        }
        if (seen.size() == count)
            return seen;
    }
    return {};
}

QList<int> codesOf(const QList<SeenCard> &hand)
{
    QList<int> codes;
    for (const SeenCard &c : hand)
        codes.append(c.code);
    return codes;
}

// The characters the table shows on a row of cells, from `column` on.
QByteArray textAt(const TfrmCardamo &table, int row, int column = 1, int width = 80 - 1)
{
    QByteArray text;
    for (int c = column; c < column + width; ++c) {
        const quint8 ch = table.engine()->CharAtCell(c, row);
        text += ch ? char(ch) : ' ';
    }
    return text.trimmed();
}

QByteArray status(const TfrmCardamo &table)
{
    return textAt(table, CardPainter::StatusRow);
}

int count(const QImage &image, const QRect &rect, QRgb colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

// The band of the surface that holds the hand: rows 23 to 33, columns 0 to 60.
QRect handBand(const TfrmCardamo &table)
{
    const int cw = table.engine()->CellWidth();
    const int ch = table.engine()->CellHeight();
    return QRect(0, CardPainter::RaisedRow * ch, 61 * cw, 11 * ch)
        .intersected(table.Image2->image().rect());
}

// The hand band of `fresh` (a table that has drawn nothing else) after it
// is told to draw `hand` from a cleared screen.
QImage freshHand(TfrmCardamo &fresh, const QList<SeenCard> &hand)
{
    QList<int> codes;
    QSet<int> raised;
    for (const SeenCard &c : hand) {
        codes.append(c.code);
        if (c.raised)
            raised.insert(c.code);
    }
    fresh.engine()->Write("\x1b[0;40m\x1b[J" + CardPainter::Hand(codes, raised));
    return fresh.Image2->image().copy(handBand(fresh));
}

bool handOver(const QByteArray &text)
{
    return text.startsWith("The hand is over") || text.contains("shot the moon") || text.startsWith("Game over");
}

// The race cards of the hand, left to right, down or picked (raised).
QList<SeenCard> raceHandShown(const TfrmCardamo &table)
{
    const QImage &surface = table.Image2->image();
    const int cw = table.engine()->CellWidth();
    const int ch = table.engine()->CellHeight();
    QList<SeenCard> seen;
    for (int i = 0; i < 8; ++i) {
        SeenCard card;
        for (const int row : {RacePainter::HandRow, RacePainter::SelectedRow}) {
            card.at = QPoint(RacePainter::HandColumn(i) * cw, row * ch);
            card.raised = row == RacePainter::SelectedRow;
            for (int code = 101; code < 120 && !card.code; ++code) {
                if (stripShows(surface, CardPictures::CardPicture(code), card.at, CardPictures::RaceCardSize.width()))
                    card.code = code;
            }
            if (card.code)
                break;
        }
        if (!card.code)
            break;
        seen.append(card);
    }
    return seen;
}

} // namespace

class TestE2eCards : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void aWholeHandAgainstTheComputers();
    void aWholeRaceHandAgainstTheComputer();

private:
    // The table has answered everything: nothing queued for the surface and
    // the arrow back (a press shows the busy cursor until the answer).
    static bool settled(const TfrmCardamo &table);
    // Presses the middle of the visible strip of a hand card and waits for the answer.
    bool pressCard(TfrmCardamo &table, const SeenCard &card);

    QTemporaryDir m_data;
    std::unique_ptr<VtServer> m_server;
    FakeDialogs *m_dialogs = nullptr;
    FakeSoundPlayer *m_sound = nullptr;
    FakeLauncher *m_launcher = nullptr;
};

void TestE2eCards::initTestCase()
{
    Waits::setTimeScale(0.05);
}

void TestE2eCards::init()
{
    QVERIFY(m_data.isValid());
    m_dialogs = new FakeDialogs;
    UserDialogs::setCurrent(m_dialogs);
    m_sound = new FakeSoundPlayer;
    Platform::setSound(m_sound);
    m_launcher = new FakeLauncher;
    Platform::setLauncher(m_launcher);

    ServerOptions options = LocalService::OnFreePorts(m_data.path());
    options.tickMs = 20;
    options.tune = [](ServiceConfig &config) {
        config.seed = 20261208;
        config.cards.botMs = 20;
        config.cards.trickMs = 150;
        // The scores of the hand stay on the table while the test reads them,
        // and nobody plays for Ann.
        config.cards.handOverMs = 120000;
        config.cards.humanMs = 120000;
    };
    m_server = std::make_unique<VtServer>(options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    QVERIFY(m_server->gamePort(kCardTable) > 0);
}

void TestE2eCards::cleanup()
{
    m_server->stop();
    m_server.reset();
    UserDialogs::setCurrent(nullptr);
    Platform::setSound(nullptr);
    Platform::setLauncher(nullptr);
    delete m_dialogs;
    delete m_sound;
    delete m_launcher;
}

bool TestE2eCards::settled(const TfrmCardamo &table)
{
    return table.ScreenBuffer().isEmpty() && table.Image2->cursor().shape() == Qt::ArrowCursor;
}

bool TestE2eCards::pressCard(TfrmCardamo &table, const SeenCard &card)
{
    const int cw = table.engine()->CellWidth();
    const int ch = table.engine()->CellHeight();
    QTest::mouseClick(table.Image2, Qt::LeftButton, {}, card.at + QPoint(2 * cw, 3 * ch));
    if (table.Image2->cursor().shape() != Qt::BusyCursor)
        return false;
    return QTest::qWaitFor([&] { return settled(table); }, 5000);
}

void TestE2eCards::aWholeHandAgainstTheComputers()
{
    QVERIFY(LocalService::LogIn(*m_server, "Ann"));
    TfrmCardamo table(QStringList{QStringLiteral("127.0.0.1"),
                                  QString::number(m_server->gamePort(kCardTable)), QStringLiteral("Ann"),
                                  QStringLiteral("pw")});
    table.show();
    table.FormActivate();
    QTRY_COMPARE_WITH_TIMEOUT(table.windowTitle(), QStringLiteral("Card Table 1 - Hearts"), 5000);
    QVERIFY(!table.smallMode());
    auto *cardTable = dynamic_cast<CardTable *>(m_server->service()->nodeOfGame(kCardTable));
    QVERIFY(cardTable);

    // The table is painted: felt, names, the score board and thirteen cards.
    QTRY_VERIFY_WITH_TIMEOUT(status(table).startsWith("Choose three cards to pass left"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(settled(table) && handShown(table).size() == 13, 5000);
    const QImage &surface = table.Image2->image();
    const int cw = table.engine()->CellWidth();
    const int ch = table.engine()->CellHeight();
    const QRgb felt = surface.pixel(3 * cw, 12 * ch);
    QVERIFY(felt != kBlack);
    QVERIFY(qGreen(felt) > qRed(felt) && qGreen(felt) > qBlue(felt));
    QVERIFY(textAt(table, 1, 59).contains("HEARTS"));
    // Each name tag on the row above its card's place: Ann at the bottom,
    // Bert on the left.
    QVERIFY(textAt(table, 11, 25, 14).contains("Ann"));
    QVERIFY(textAt(table, 6, 11, 14).contains("Bert (cpu)"));
    // The score board's header is whole within the 78 columns in sight.
    QVERIFY(textAt(table, 5, 59, 19).endsWith("Game"));
    // Where the hand is, the picture is no longer the black background; the
    // space beside it still is.
    QList<SeenCard> hand = handShown(table);
    const QRect handRect(hand.first().at, QPoint(hand.last().at.x() + CardPictures::CardSize.width() - 1,
                                                 hand.first().at.y() + CardPictures::CardSize.height() - 1));
    QVERIFY(count(surface, handRect, kBlack) < handRect.width() * handRect.height() / 4);
    const QRect besideHand(1, handRect.top(), handRect.left() - 2, handRect.height());
    QCOMPARE(count(surface, besideHand, kBlack), besideHand.width() * besideHand.height());
    QCOMPARE(codesOf(hand), cardTable->shownHand(0)   /* Ann took the first seat */);
    QTRY_VERIFY_WITH_TIMEOUT(table.Memo6->rowCount() > 0, 5000);

    // A line typed into the chat box comes back from the table.
    QTest::keyClicks(table.Memo4, QStringLiteral("Good luck, everyone"));
    QTest::keyClick(table.Memo4, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(table.Memo5->toPlainText().contains(QLatin1String("Good luck, everyone")), 5000);
    QVERIFY(table.Memo4->toPlainText().isEmpty());

    // Three cards are picked (they rise), then the "Pass" button sends them.
    QAbstractButton *passButton = table.findChild<QAbstractButton *>(QStringLiteral("pass"));
    QVERIFY(passButton);
    QVERIFY(table.findChild<QAbstractButton *>(QStringLiteral("newgame")));
    QList<int> passed;
    for (const int i : {0, 5, 12}) {
        const SeenCard card = handShown(table).at(i);
        QVERIFY(pressCard(table, card));
        passed.append(card.code);
        QTRY_VERIFY_WITH_TIMEOUT(handShown(table).size() == 13 && handShown(table).at(i).raised, 5000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(status(table).contains("(3 chosen)"), 5000);
    QTest::mouseClick(passButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!table.findChild<QAbstractButton *>(QStringLiteral("pass")), 5000);
    // Thirteen cards again: the three passed are gone and three received show raised.
    QTRY_VERIFY_WITH_TIMEOUT(settled(table) && handShown(table).size() == 13
                                 && std::none_of(passed.begin(), passed.end(),
                                                 [&](int code) { return codesOf(handShown(table)).contains(code); }),
                             5000);
    hand = handShown(table);
    QCOMPARE(std::count_if(hand.begin(), hand.end(), [](const SeenCard &c) { return c.raised; }), 3);
    QCOMPARE(cardTable->round()->passedBy(0), passed);

    // Play: on each turn try the cards from the left, as a person does,
    // until the table takes one.
    // A table that only ever draws a hand, for comparison.
    TfrmCardamo fresh(QStringList{QStringLiteral("127.0.0.1"), QString::number(LoopbackServer::unusedPort())});
    fresh.show();
    fresh.FormActivate();
    QCOMPARE(fresh.engine()->CellWidth(), cw);
    int played = 0;
    int refused = 0;
    int lastCard = 0;
    while (played < Hearts::CardsPerHand) {
        QTRY_VERIFY_WITH_TIMEOUT(settled(table) && (status(table).startsWith("Your turn")), 10000);
        hand = handShown(table);
        QCOMPARE(hand.size(), Hearts::CardsPerHand - played);
        // After the cards played and the tricks taken, the hand's band holds
        // the hand just as a fresh paint of it: nothing of earlier cards is
        // left at its ends or below it.
        QVERIFY2(surface.copy(handBand(table)) == freshHand(fresh, hand),
                 qPrintable(QStringLiteral("after %1 cards played").arg(played)));
        // The table waits for Ann: every finished trick is on record in the
        // client, in playing order, ahead of the cards of the trick going on.
        if (cardTable->round()->tricksPlayed() > 0)
            QCOMPARE(table.LastTrick->record().codes().mid(0, 4), cardTable->round()->lastTrick().cards);
        bool taken = false;
        for (const SeenCard &card : hand) {
            QVERIFY(pressCard(table, card));
            // Every press is answered on the status line: the next player,
            // or why the card may not be played (and the card stays).
            QTRY_VERIFY_WITH_TIMEOUT(settled(table) && !status(table).startsWith("Your turn"), 5000);
            if (handShown(table).size() == hand.size()) {
                ++refused;
                continue;
            }
            QVERIFY(!codesOf(handShown(table)).contains(card.code));
            lastCard = card.code;
            // Until the trick is taken away the card lies at Ann's place on
            // the felt (its top edge may be under the card played across).
            if (cardTable->round()->currentTrick().cards.contains(card.code)) {
                const QImage picture = CardPictures::CardPicture(card.code);
                const QImage lower = picture.copy(0, 12, picture.width(), picture.height() - 12);
                QVERIFY(stripShows(surface, lower, QPoint(25 * cw, 12 * ch + 12), lower.width()));
            }
            taken = true;
            break;
        }
        QVERIFY(taken);
        ++played;
        // The trick cards are recorded as they are drawn: once a trick is
        // complete the record starts with it.
        const QList<int> record = table.LastTrick->record().codes();
        QVERIFY(record.contains(lastCard));
        QVERIFY(record.size() <= LastTrickRecord::MaxCards);
    }
    QVERIFY(handShown(table).isEmpty());
    QVERIFY(refused < 13 * 13);

    // The last trick is taken away and the hand is over.
    QTRY_VERIFY_WITH_TIMEOUT(settled(table) && handOver(status(table)), 10000);
    const QList<int> lastTrick = cardTable->round()->lastTrick().cards;
    QCOMPARE(lastTrick.size(), 4);
    QVERIFY(lastTrick.contains(lastCard));
    QCOMPARE(table.LastTrick->record().codes(), lastTrick);
    QCOMPARE(table.LastTrick->record().shownCodes(), lastTrick);

    // The options menu opens the "Last Trick" window, which shows those four cards.
    table.PopupMenu2->aboutToShow();
    QAction *showLastTrick = table.PopupMenu2->findChild<QAction *>(QStringLiteral("ShowLastTrick1"));
    QVERIFY(showLastTrick);
    showLastTrick->trigger();
    QVERIFY(table.LastTrick->isVisible());
    QCOMPARE(table.LastTrick->tableCaption(), QStringLiteral("Card Table 1 - Hearts"));
    const QImage &picture = table.LastTrick->picture();
    for (int i = 0; i < 4; ++i) {
        const QImage card = CardPictures::CardPicture(lastTrick.at(i));
        const int width = i == 3 ? card.width() : 30;
        QVERIFY2(stripShows(picture, card, QPoint(20 + 30 * i, 10), width),
                 qPrintable(QStringLiteral("card %1 of the last trick").arg(i)));
    }

    // The scores show: the hand's line in the chat and the score board, whose
    // game column adds up to the 26 points of a hand (78 when the moon was shot).
    QTRY_VERIFY_WITH_TIMEOUT(table.Memo5->toPlainText().contains(QLatin1String("Hand 1:")), 5000);
    const std::array<int, 4> totals = cardTable->totals();
    int shownSum = 0;
    bool annShown = false;
    for (int row = 6; row <= 9; ++row) {
        const QByteArray line = textAt(table, row, 59, 19);
        const QList<QByteArray> words = line.simplified().split(' ');
        QVERIFY2(words.size() >= 3, line.constData());
        shownSum += words.last().toInt();
        if (line.startsWith("Ann")) {
            annShown = true;
            QCOMPARE(words.last().toInt(), totals.at(0));
        }
    }
    QVERIFY(annShown);
    QCOMPARE(shownSum, totals[0] + totals[1] + totals[2] + totals[3]);
    QVERIFY(shownSum == 26 || shownSum == 78);

    // "New Game": Ann is the only person at the table, so a new game begins
    // at once with a fresh hand and the scores back at nought. The record of
    // the last trick stays until cards are played again.
    QAbstractButton *newGame = table.findChild<QAbstractButton *>(QStringLiteral("newgame"));
    QVERIFY(newGame);
    QTest::mouseClick(newGame, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(settled(table) && status(table).startsWith("Choose three cards to pass left"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(handShown(table).size(), 13, 5000);
    QVERIFY(table.findChild<QAbstractButton *>(QStringLiteral("pass")));
    for (int row = 6; row <= 9; ++row)
        QCOMPARE(textAt(table, row, 59, 19).simplified().split(' ').last(), QByteArray("0"));
    QCOMPARE(table.LastTrick->record().codes(), lastTrick);
}

void TestE2eCards::aWholeRaceHandAgainstTheComputer()
{
    QVERIFY(LocalService::LogIn(*m_server, "Ann"));
    TfrmCardamo table(QStringList{QStringLiteral("127.0.0.1"), QString::number(m_server->gamePort(kRaceTable)),
                                  QStringLiteral("Ann"), QStringLiteral("pw")});
    table.show();
    table.FormActivate();
    QTRY_COMPARE_WITH_TIMEOUT(table.windowTitle(), QStringLiteral("Race Deck Table - touring race"), 5000);
    auto *race = dynamic_cast<RaceTable *>(m_server->service()->nodeOfGame(kRaceTable));
    QVERIFY(race);
    QTRY_VERIFY_WITH_TIMEOUT(settled(table) && race->stage() == RaceTable::Stage::Playing, 5000);
    QCOMPARE(race->seatCount(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(textAt(table, 13, 44, 36).startsWith("Hand 1 - 2 players"), 5000);

    const auto raceStatus = [&] { return textAt(table, RacePainter::StatusRow); };
    const auto pressAt = [&](QPoint at) {
        QTest::mouseClick(table.Image2, Qt::LeftButton, {}, at);
        return QTest::qWaitFor([&] { return settled(table); }, 5000);
    };
    const auto click = [&](const QString &name) {
        QAbstractButton *button = table.findChild<QAbstractButton *>(name);
        if (!button)
            return false;
        const QByteArray before = textAt(table, RacePainter::StatusRow);
        QTest::mouseClick(button, Qt::LeftButton);
        return QTest::qWaitFor([&] { return settled(table) && textAt(table, RacePainter::StatusRow) != before; }, 5000);
    };
    const int cw = table.engine()->CellWidth();
    const int ch = table.engine()->CellHeight();
    const auto middleOf = [&](const SeenCard &card) { return card.at + QPoint(3 * cw, 4 * ch); };
    const auto over = [&] {
        const QByteArray text = raceStatus();
        return text.startsWith("The hand is over") || text.startsWith("Game over");
    };

    // Ann draws with the button, then tries her cards from the left, each
    // pressed twice (picked, then played where it goes), until the table
    // takes one; when none goes she picks the first and discards it.
    int turns = 0;
    int refusals = 0;
    while (!over() && turns < 200) {
        QVERIFY(QTest::qWaitFor([&] {
            const QByteArray text = raceStatus();
            return settled(table) && (text.startsWith("Your turn") || text.startsWith("Press a card") || text.startsWith("Coup!") || over());
        }, 10000));
        if (over())
            break;
        if (raceStatus().startsWith("Coup!")) {
            QVERIFY(click(QStringLiteral("coup")));
            continue;
        }
        if (raceStatus().startsWith("Your turn")) {
            QVERIFY(table.findChild<QAbstractButton *>(QStringLiteral("draw")));
            QVERIFY(click(QStringLiteral("draw")));
            QTRY_VERIFY_WITH_TIMEOUT(settled(table) && raceStatus().startsWith("Press a card"), 5000);
        }
        ++turns;
        QList<SeenCard> hand = raceHandShown(table);
        QCOMPARE(hand.size(), race->hand()->hand(0).size());
        // Ann knows the rules: she plays the first card that goes where it
        // naturally goes; the first time a card would be refused she tries
        // it anyway and reads why not.
        const Race::Hand &rules = *race->hand();
        int playable = -1;
        int refusable = -1;
        for (int i = 0; i < hand.size(); ++i) {
            const int card = hand.at(i).code - Race::FirstCode;
            const int target = rules.naturalTarget(0, card);
            const bool ok = target >= 0 && rules.whyNot(0, card, target).isEmpty();
            if (ok && playable < 0)
                playable = i;
            if (!ok && target >= 0 && refusable < 0)
                refusable = i;
        }
        if (refusable >= 0 && refusals == 0) {
            const int card = hand.at(refusable).code - Race::FirstCode;
            const QByteArray why = rules.whyNot(0, card, rules.naturalTarget(0, card));
            QVERIFY(pressAt(middleOf(hand.at(refusable))));
            QTRY_VERIFY_WITH_TIMEOUT(raceHandShown(table).value(refusable).raised, 5000);
            QVERIFY(pressAt(middleOf(raceHandShown(table).at(refusable))));
            QTRY_COMPARE_WITH_TIMEOUT(raceStatus(), why, 5000);
            QCOMPARE(raceHandShown(table).size(), hand.size());
            ++refusals;
        }
        const int pick = playable >= 0 ? playable : 0;
        QVERIFY(pressAt(middleOf(raceHandShown(table).at(pick))));
        QTRY_VERIFY_WITH_TIMEOUT(raceHandShown(table).value(pick).raised, 5000);
        if (playable >= 0)
            QVERIFY(pressAt(middleOf(raceHandShown(table).at(pick))));
        else
            QVERIFY(click(QStringLiteral("discard")));
        QTRY_VERIFY_WITH_TIMEOUT(settled(table) && (race->hand()->phase() == Race::Hand::Phase::Done || race->hand()->turn() != 0
                                                    || race->hand()->hand(0).size() < hand.size()),
                                 5000);
    }
    QVERIFY(over());
    QVERIFY(turns > 5);
    QCOMPARE(refusals, 1);
    // The hand's points are in the chat and in the piles' headings.
    QTRY_VERIFY_WITH_TIMEOUT(table.Memo5->toPlainText().contains(QLatin1String("Hand 1:")), 5000);
    const QList<int> totals = race->totals();
    QVERIFY(totals.at(0) + totals.at(1) > 0);
    QVERIFY(textAt(table, 13, 1, 40).contains("game " + QByteArray::number(totals.at(0))));
    QVERIFY(textAt(table, 1, 1, 40).contains("game " + QByteArray::number(totals.at(1))));
    if (!qEnvironmentVariableIsEmpty("VT_SHOT"))
        table.grab().save(qEnvironmentVariable("VT_SHOT"));
}

VT_TEST_MAIN(TestE2eCards)
#include "tst_e2e_cards.moc"
