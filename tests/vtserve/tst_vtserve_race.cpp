// The touring race's rules without a table: what may be played where, the
// coup, the end of a hand and its points, and computer players that only
// ever make legal moves.

#include <QTest>

#include "RaceRules.h"
#include "TestMain.h"

using namespace Race;

namespace {

// A deck that deals `hands` (seat 0 first, as a hand dealt by the last seat
// deals them) and then gives `draws` in the order they are drawn.
QList<int> deckOf(const QList<QList<int>> &hands, const QList<int> &draws = {})
{
    QList<int> order;
    for (int k = 0; k < HandSize; ++k) {
        for (const QList<int> &hand : hands)
            order.append(hand.value(k, Miles25));
    }
    order += draws;
    std::reverse(order.begin(), order.end());
    return order;
}

Hand handOf(const QList<QList<int>> &hands, const QList<int> &draws = {Miles25, Miles25, Miles25, Miles25, Miles25, Miles25})
{
    return Hand(int(hands.size()), deckOf(hands, draws), int(hands.size()) - 1);
}

// Seat 0 plays `plays` in order on its own piles; the others discard.
// Returns false as soon as a scripted play is refused.
bool drive(Hand &hand, const QList<int> &plays)
{
    int next = 0;
    for (int step = 0; step < 500 && hand.phase() != Hand::Phase::Done; ++step) {
        const int seat = hand.turn();
        if (hand.phase() == Hand::Phase::Draw)
            hand.draw(seat);
        if (seat == 0) {
            if (next >= plays.size())
                return false;
            const int card = plays.at(next++);
            if (!hand.play(0, card, 0)) {
                qWarning() << "refused" << nameOf(card) << hand.whyNot(0, card, 0);
                return false;
            }
        } else {
            hand.discard(seat, hand.hand(seat).first());
        }
    }
    return hand.phase() == Hand::Phase::Done;
}

} // namespace

class TestVtserveRace : public QObject
{
    Q_OBJECT

private slots:
    void fullDeckHoldsTheClassicCounts()
    {
        const QList<int> deck = fullDeck();
        QCOMPARE(deck.size(), 106);
        QCOMPARE(deck.count(Roll), 14);
        QCOMPARE(deck.count(Stop), 5);
        QCOMPARE(deck.count(Miles200), 4);
        QCOMPARE(deck.count(Miles100), 12);
        QCOMPARE(deck.count(RightOfWay), 1);
        QVERIFY(!deck.contains(Back));
        for (int hazard = OutOfGas; hazard <= Stop; ++hazard) {
            QVERIFY(isRemedy(remedyFor(hazard)));
            QVERIFY(isSafety(safetyFor(hazard)));
        }
    }

    void dealGivesSixEachAndTheFirstPlayerDraws()
    {
        std::mt19937 random(3);
        for (int players = 2; players <= 4; ++players) {
            Hand hand(players, shuffledDeck(random));
            QCOMPARE(hand.deckLeft(), 106 - 6 * players);
            QCOMPARE(hand.teams(), players == 4 ? 2 : players);
            QCOMPARE(hand.turn(), 1);
            QCOMPARE(hand.phase(), Hand::Phase::Draw);
            QVERIFY(!hand.play(1, hand.hand(1).first(), hand.teamOf(1)));
            QVERIFY(!hand.draw(0));
            QVERIFY(hand.draw(1));
            QCOMPARE(hand.hand(1).size(), 7);
        }
        Hand teams(4, fullDeck());
        QCOMPARE(teams.teamOf(0), teams.teamOf(2));
        QCOMPARE(teams.teamOf(1), teams.teamOf(3));
        QVERIFY(teams.teamOf(0) != teams.teamOf(1));
    }

    void distanceNeedsAGreenLightAndRespectsTheLimits()
    {
        Hand hand = handOf({{Miles100, Roll, Miles200, Miles200, Miles200, Miles75}, {SpeedLimit, Stop, Roll, Miles25}},
                           {Miles50, Miles25, Miles25, Miles25, Miles25, Miles25, Miles25, Miles25});
        hand.draw(0);
        QVERIFY(hand.whyNot(0, Miles100, 0).contains("green light"));
        QVERIFY(hand.whyNot(0, Miles100, 1).contains("Only hazards"));
        QVERIFY(hand.play(0, Roll, 0));
        QCOMPARE(hand.turn(), 1);
        hand.draw(1);
        // The speed limit may go on anyone; a stop only on a rolling car.
        QVERIFY(hand.whyNot(1, Stop, 1).contains("opponent"));
        QVERIFY(hand.whyNot(1, Stop, 0).isEmpty());
        QVERIFY(hand.play(1, SpeedLimit, 0));
        hand.draw(0);
        QVERIFY(hand.whyNot(0, Miles100, 0).contains("speed limit"));
        QVERIFY(hand.play(0, Miles50, 0));
        QCOMPARE(hand.tableau(0).miles, 50);
        hand.draw(1);
        QVERIFY(hand.whyNot(1, SpeedLimit, 0).contains("already") || !hand.hand(1).contains(SpeedLimit));
        QVERIFY(hand.whyNot(1, Stop, 1).contains("opponent"));
        QVERIFY(hand.whyNot(1, Miles25, 1).contains("green light"));
        QVERIFY(hand.whyNot(1, Roll, 1).isEmpty());
        QVERIFY(hand.discard(1, Miles25));
        QVERIFY(hand.whyNot(0, Miles100, 0).contains("Draw"));
    }

    void twoHundredsAndTheTripEndAreCapped()
    {
        // 200 + 200 + 200 is refused; 1000 may not be passed.
        Hand hand = handOf({{Roll, Miles200, Miles200, Miles200, Miles100, Miles100}, {}},
                           {Miles100, Miles25, Miles100, Miles25, Miles100, Miles25, Miles100, Miles25, Miles200, Miles25,
                            Miles75, Miles25});
        QVERIFY(!drive(hand, {Roll, Miles200, Miles200, Miles200}));
        QCOMPARE(hand.whyNot(0, Miles200, 0), QByteArray("At most two 200s in a hand."));
        QVERIFY(hand.play(0, Miles100, 0));
        for (int k = 0; k < 4; ++k) {
            hand.draw(1);
            hand.discard(1, hand.hand(1).first());
            hand.draw(0);
            QVERIFY(hand.play(0, Miles100, 0));
        }
        QCOMPARE(hand.tableau(0).miles, 900);
        hand.draw(1);
        hand.discard(1, hand.hand(1).first());
        hand.draw(0);
        QVERIFY(hand.hand(0).contains(Miles200));
        QVERIFY(hand.whyNot(0, Miles200, 0).contains("two 200s"));
        QVERIFY(hand.whyNot(0, Miles75, 0).isEmpty());
    }

    void remediesAnswerOnlyTheirHazard()
    {
        Hand hand = handOf({{Roll, Gasoline, SpareTire, Repairs, Miles25, Roll}, {FlatTire, Accident, Stop, Miles25}});
        hand.draw(0);
        QCOMPARE(hand.whyNot(0, Gasoline, 0), QByteArray("Gasoline is for out of gas, and you have none."));
        QVERIFY(hand.play(0, Roll, 0));
        hand.draw(1);
        QVERIFY(hand.play(1, FlatTire, 0));
        QCOMPARE(hand.phase(), Hand::Phase::Draw);   // seat 0 holds no puncture proof
        hand.draw(0);
        QVERIFY(!hand.tableau(0).rolling());
        QCOMPARE(hand.whyNot(0, Repairs, 0), QByteArray("Repairs is for accident; your flat tire needs spare tire."));
        QVERIFY(hand.whyNot(0, Roll, 0).contains("first"));
        QVERIFY(hand.whyNot(0, Miles25, 0).contains("flat tire"));
        QVERIFY(hand.whyNot(1, Accident, 0).contains("not"));   // not seat 1's turn
        QVERIFY(hand.play(0, SpareTire, 0));
        hand.draw(1);
        QVERIFY(hand.whyNot(1, Accident, 0).contains("rolling"));
        QVERIFY(hand.discard(1, Accident));
        hand.draw(0);
        QVERIFY(hand.whyNot(0, Miles25, 0).contains("green light"));
        QVERIFY(hand.play(0, Roll, 0));
    }

    void safetiesProtectAndGiveAnotherTurn()
    {
        Hand hand = handOf({{RightOfWay, Miles100, ExtraTank, Miles25, Miles25, Miles25}, {Stop, SpeedLimit, OutOfGas}});
        hand.draw(0);
        QVERIFY(hand.play(0, RightOfWay, 0));
        QCOMPARE(hand.turn(), 0);
        QCOMPARE(hand.phase(), Hand::Phase::Draw);
        hand.draw(0);
        // The right of way rolls without a green light.
        QVERIFY(hand.tableau(0).rolling());
        QVERIFY(hand.play(0, Miles100, 0));
        hand.draw(1);
        QVERIFY(hand.whyNot(1, Stop, 0).contains("protected by Right of way"));
        QVERIFY(hand.whyNot(1, SpeedLimit, 0).contains("protected"));
        QVERIFY(hand.whyNot(1, OutOfGas, 0).isEmpty());
        QVERIFY(hand.play(1, OutOfGas, 0));
        // Seat 0 holds the extra tank: a coup is offered.
        QCOMPARE(hand.phase(), Hand::Phase::Coup);
        hand.passCoup(0);
        QCOMPARE(hand.phase(), Hand::Phase::Draw);
        QCOMPARE(hand.turn(), 0);
        hand.draw(0);
        QVERIFY(!hand.tableau(0).rolling());
        // Played later, the safety still ends the hazard, but is no coup.
        QVERIFY(hand.play(0, ExtraTank, 0));
        QVERIFY(hand.tableau(0).rolling());
        QVERIFY(hand.tableau(0).coups.isEmpty());
        QCOMPARE(hand.score(0).safeties, 200);
    }

    void coupAnswersTheHazardOutOfTurn_data()
    {
        QTest::addColumn<int>("hazard");
        QTest::newRow("flat tire") << int(FlatTire);
        QTest::newRow("stop") << int(Stop);
        QTest::newRow("speed limit") << int(SpeedLimit);
    }
    void coupAnswersTheHazardOutOfTurn()
    {
        QFETCH(int, hazard);
        const int safety = safetyFor(hazard);
        // Three players: seat 2 attacks seat 0, who holds the safety.
        Hand hand = handOf({{Roll, safety, Miles100, Miles25, Miles25, Miles25}, {}, {hazard}},
                           {Miles50, Miles25, Miles25, Miles75, Miles25, Miles25});
        hand.draw(0);
        QVERIFY(hand.play(0, Roll, 0));
        hand.draw(1);
        hand.discard(1, Miles25);
        hand.draw(2);
        QVERIFY(hand.play(2, hazard, 0));
        QCOMPARE(hand.phase(), Hand::Phase::Coup);
        QCOMPARE(hand.coupSeat(), 0);
        QCOMPARE(hand.coupHazard(), hazard);
        QVERIFY(hand.whyNot(1, Miles25, 1).contains("Wait"));
        QVERIFY(!hand.playCoup(1));
        const qsizetype held = hand.hand(0).size();
        QVERIFY(hand.playCoup(0));
        // The hazard is gone, the safety counts as a coup, a card replaces
        // it, and seat 0 plays next: it draws and may drive at full speed.
        QCOMPARE(hand.hand(0).size(), held);
        QCOMPARE(hand.tableau(0).coups, QList<int>{safety});
        QCOMPARE(hand.tableau(0).battleTop(), int(Roll));
        QVERIFY(!hand.tableau(0).limited());
        QCOMPARE(hand.turn(), 0);
        QCOMPARE(hand.phase(), Hand::Phase::Draw);
        hand.draw(0);
        QVERIFY(hand.play(0, Miles100, 0));
        QCOMPARE(hand.turn(), 1);
        QCOMPARE(hand.score(0).coups, 300);
        QCOMPARE(hand.score(0).safeties, 100);
    }

    void partnersShareTheirPiles()
    {
        // Four players: seat 2 plays on the piles seat 0 started.
        Hand hand = handOf({{Roll}, {}, {Miles100}, {}});
        hand.draw(0);
        QVERIFY(hand.play(0, Roll, hand.teamOf(0)));
        hand.draw(1);
        QVERIFY(hand.discard(1, Miles25));
        hand.draw(2);
        QVERIFY(hand.play(2, Miles100, 0));
        QCOMPARE(hand.tableau(0).miles, 100);
        QCOMPARE(hand.naturalTarget(1, Stop), 0);
    }

    void handScores_data()
    {
        QTest::addColumn<QList<int>>("hand0");
        QTest::addColumn<QList<int>>("draws");
        QTest::addColumn<QList<int>>("plays");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("delayed");
        QTest::addColumn<int>("safeTrip");

        const QList<int> fast = {Roll, Miles200, Miles200, Miles100, Miles100, Miles100};
        // Seat 0 draws every second card; seat 1 gets the 25s in between.
        QList<int> draws;
        for (const int card : {Miles100, Miles100, Miles100})
            draws << card << Miles25;
        for (int k = 0; k < 10; ++k)
            draws << Miles25 << Miles25;
        // Trip, shut-out: 1000 + 400 + 500.
        QTest::newRow("trip with 200s") << fast << draws << QList<int>{Roll, Miles200, Miles200, Miles100, Miles100, Miles100,
                                                                        Miles100, Miles100, Miles100}
                                        << 1900 << 0 << 0;
        // The deck runs out on seat 0's last draw: delayed action.
        QTest::newRow("delayed action") << fast << QList<int>{Miles100, Miles25, Miles100, Miles25, Miles100}
                                        << QList<int>{Roll, Miles200, Miles200, Miles100, Miles100, Miles100, Miles100,
                                                      Miles100, Miles100}
                                        << 2200 << 300 << 0;
        QList<int> safeDraws;
        for (int k = 0; k < 5; ++k)
            safeDraws << Miles100 << Miles25;
        for (int k = 0; k < 10; ++k)
            safeDraws << Miles25 << Miles25;
        QTest::newRow("safe trip")
            << QList<int>{Roll, Miles100, Miles100, Miles100, Miles100, Miles100} << safeDraws
            << QList<int>{Roll, Miles100, Miles100, Miles100, Miles100, Miles100, Miles100, Miles100, Miles100, Miles100, Miles100}
            << 2200 << 0 << 300;
    }
    void handScores()
    {
        QFETCH(QList<int>, hand0);
        QFETCH(QList<int>, draws);
        QFETCH(QList<int>, plays);
        QFETCH(int, total);
        QFETCH(int, delayed);
        QFETCH(int, safeTrip);
        Hand hand = handOf({hand0, {}}, draws);
        QVERIFY(drive(hand, plays));
        QCOMPARE(hand.tripDone(), 0);
        const HandScore score = hand.score(0);
        QCOMPARE(score.miles, 1000);
        QCOMPARE(score.trip, 400);
        QCOMPARE(score.shutOut, 500);
        QCOMPARE(score.delayed, delayed);
        QCOMPARE(score.safeTrip, safeTrip);
        QCOMPARE(score.total(), total);
        QCOMPARE(hand.score(1).total(), 0);
    }

    void allFourSafetiesAndNoShutOutWhenTheOthersDrove()
    {
        Hand hand = handOf({{ExtraTank, PunctureProof, DrivingAce, RightOfWay, Miles25, Miles25}, {Roll, Miles50}});
        for (const int safety : {ExtraTank, PunctureProof, DrivingAce, RightOfWay}) {
            hand.draw(0);
            QVERIFY(hand.play(0, safety, 0));
        }
        QCOMPARE(hand.score(0).safeties, 700);
        QCOMPARE(hand.score(0).trip, 0);
        QCOMPARE(hand.score(0).shutOut, 0);
    }

    void aHandEndsWhenTheCardsRunOut()
    {
        // No trip: the deck and then the hands empty, and the hand is over.
        Hand hand(2, deckOf({{Stop, Stop, Stop, Stop, Stop, Stop}, {Stop, Stop, Stop, Stop, Stop, Stop}}, {Stop, Stop}), 1);
        int moves = 0;
        while (hand.phase() != Hand::Phase::Done && moves < 100) {
            const int seat = hand.turn();
            hand.draw(seat);
            QVERIFY(hand.discard(seat, hand.hand(seat).first()));
            ++moves;
        }
        QCOMPARE(hand.phase(), Hand::Phase::Done);
        QCOMPARE(moves, 14);
        QCOMPARE(hand.tripDone(), -1);
        QCOMPARE(hand.score(0).total(), 0);
    }

    void computerPlayersOnlyMakeLegalMoves()
    {
        std::mt19937 random(11);
        int trips = 0;
        for (int game = 0; game < 60; ++game) {
            const int players = 2 + game % 3;
            Hand hand(players, shuffledDeck(random), game % players);
            int steps = 0;
            while (hand.phase() != Hand::Phase::Done && steps++ < 1000) {
                if (hand.phase() == Hand::Phase::Coup) {
                    QVERIFY(hand.playCoup(hand.coupSeat()));
                    continue;
                }
                const int seat = hand.turn();
                if (hand.phase() == Hand::Phase::Draw)
                    QVERIFY(hand.draw(seat));
                QVERIFY(hand.hand(seat).size() <= HandSize + 1);
                const Move move = chooseMove(hand, seat);
                if (move.kind == Move::Kind::Play)
                    QVERIFY2(hand.play(seat, move.card, move.team), hand.whyNot(seat, move.card, move.team).constData());
                else
                    QVERIFY(hand.discard(seat, move.card));
            }
            QCOMPARE(hand.phase(), Hand::Phase::Done);
            for (int team = 0; team < hand.teams(); ++team)
                QVERIFY(hand.tableau(team).miles <= TripMiles);
            trips += hand.tripDone() >= 0 ? 1 : 0;
        }
        // The computers drive, not only discard.
        QVERIFY(trips > 20);
    }

    void gameEndsAt5000AndTheHighestWins()
    {
        QVERIFY(!gameOver({4999, 3000}));
        QVERIFY(gameOver({5000, 5200, 100}));
        QCOMPARE(winners({5000, 5200, 100}), QList<int>{1});
        QCOMPARE(winners({5100, 5100}), (QList<int>{0, 1}));
    }
};

VT_TEST_MAIN(TestVtserveRace)
#include "tst_vtserve_race.moc"
