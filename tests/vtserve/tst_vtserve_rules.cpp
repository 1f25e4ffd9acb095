// The games' rules on their own: Hearts, the sketch game's words, guesses,
// points and messages, and the Minefield door game.

#include <QTest>

#include "Hearts.h"
#include "Minefield.h"
#include "SketchRules.h"
#include "TestMain.h"

using namespace Hearts;

namespace {

Card C(int suit, int rank) { return cardOf(suit, rank); }

// Four hands from a compact spec: each hand a list of (suit, rank).
Hands hands(std::initializer_list<std::initializer_list<std::pair<int, int>>> spec)
{
    Hands h;
    int seat = 0;
    for (const auto &hand : spec) {
        for (const auto &[suit, rank] : hand)
            h[seat].append(C(suit, rank));
        ++seat;
    }
    return h;
}

// A full, legal deal in which seat s holds every card of rank r with r % 4 == s (roughly).
Hands roundRobin()
{
    Hands h;
    for (Card c = 1; c <= 52; ++c)
        h[(c - 1) % 4].append(c);
    return h;
}

} // namespace

class TestVtserveRules : public QObject
{
    Q_OBJECT

private slots:
    // -- Hearts --------------------------------------------------------------

    void cardCodesNameTheSuitsInTheClientsOrder()
    {
        QCOMPARE(suitOf(14), int(Diamonds));
        QCOMPARE(rankOf(14), 1);
        QCOMPARE(nameOf(52), QByteArray("K of spades"));
        QCOMPARE(nameOf(QueenOfSpades), QByteArray("Q of spades"));
        QCOMPARE(nameOf(TwoOfClubs), QByteArray("2 of clubs"));
        QCOMPARE(pointsOf(C(HeartSuit, 5)), 1);
        QCOMPARE(pointsOf(QueenOfSpades), 13);
        QCOMPARE(pointsOf(C(Spades, 13)), 0);
        QVERIFY(strengthOf(C(Clubs, 1)) > strengthOf(C(Clubs, 13)));
    }

    void dealGivesEveryCardOnce()
    {
        std::mt19937 random(7);
        const Hands h = deal(random);
        QList<Card> all;
        for (const QList<Card> &hand : h) {
            QCOMPARE(hand.size(), 13);
            all += hand;
        }
        std::sort(all.begin(), all.end());
        for (int i = 0; i < 52; ++i)
            QCOMPARE(all.at(i), i + 1);
    }

    void trickWinner_data()
    {
        QTest::addColumn<int>("leader");
        QTest::addColumn<QList<int>>("cards");
        QTest::addColumn<int>("winner");
        QTest::newRow("highest of the suit led") << 0 << QList<int>{C(Clubs, 5), C(Clubs, 9), C(Clubs, 3), C(Clubs, 7)} << 1;
        QTest::newRow("ace is high") << 2 << QList<int>{C(Diamonds, 13), C(Diamonds, 1), C(Diamonds, 2), C(Diamonds, 12)} << 3;
        QTest::newRow("other suits never win") << 1 << QList<int>{C(Clubs, 2), C(Spades, 1), C(HeartSuit, 1), C(Clubs, 3)} << 0;
        QTest::newRow("leader keeps it") << 3 << QList<int>{C(Spades, 10), C(HeartSuit, 13), C(Spades, 4), C(Clubs, 1)} << 3;
    }
    void trickWinner()
    {
        QFETCH(int, leader);
        QFETCH(QList<int>, cards);
        QFETCH(int, winner);
        QCOMPARE(Hearts::trickWinner(leader, cards), winner);
    }

    void legality_data()
    {
        // The round robin deal gives code c to seat (c - 1) % 4: seat 1 holds
        // the two of clubs and leads.
        QTest::addColumn<int>("seat");
        QTest::addColumn<int>("card");
        QTest::addColumn<QByteArray>("why");
        QTest::newRow("first lead must be the two of clubs") << 1 << C(Clubs, 6) << QByteArray("The 2 of clubs leads the first trick.");
        QTest::newRow("two of clubs leads") << 1 << TwoOfClubs << QByteArray();
        QTest::newRow("not your turn") << 2 << C(Clubs, 3) << QByteArray("It is not your turn.");
        QTest::newRow("not in hand") << 1 << C(Clubs, 3) << QByteArray("That card is not in your hand.");
    }
    void legality()
    {
        QFETCH(int, seat);
        QFETCH(int, card);
        QFETCH(QByteArray, why);
        Round round(roundRobin(), Pass::Keep);
        QCOMPARE(round.phase(), Round::Phase::Playing);
        QCOMPARE(round.turn(), 1);
        QCOMPARE(round.whyNot(seat, card), why);
    }

    void followSuitPointsOnFirstTrickAndBrokenHearts()
    {
        // Seat 0: 2C and hearts; seat 1: no clubs; seat 2: a club; seat 3: clubs.
        const Hands h = hands({
            {{Clubs, 2}, {HeartSuit, 2}, {HeartSuit, 3}, {HeartSuit, 4}, {HeartSuit, 5}, {HeartSuit, 6}, {HeartSuit, 7},
             {HeartSuit, 8}, {HeartSuit, 9}, {HeartSuit, 10}, {HeartSuit, 11}, {Diamonds, 2}, {Diamonds, 3}},
            {{Spades, 12}, {Spades, 2}, {Spades, 3}, {Spades, 4}, {Spades, 5}, {Diamonds, 4}, {Diamonds, 5},
             {Diamonds, 6}, {Diamonds, 7}, {Diamonds, 8}, {HeartSuit, 12}, {HeartSuit, 13}, {HeartSuit, 1}},
            {{Clubs, 3}, {Spades, 6}, {Spades, 7}, {Spades, 8}, {Spades, 9}, {Spades, 10}, {Spades, 11}, {Spades, 13},
             {Spades, 1}, {Diamonds, 9}, {Diamonds, 10}, {Diamonds, 11}, {Diamonds, 12}},
            {{Clubs, 4}, {Clubs, 5}, {Clubs, 6}, {Clubs, 7}, {Clubs, 8}, {Clubs, 9}, {Clubs, 10}, {Clubs, 11},
             {Clubs, 12}, {Clubs, 13}, {Clubs, 1}, {Diamonds, 13}, {Diamonds, 1}},
        });
        Round round(h, Pass::Keep);
        QCOMPARE(round.turn(), 0);
        QVERIFY(round.play(0, TwoOfClubs).ok);
        // Seat 1 has no club: no points on the first trick while it has other cards.
        QCOMPARE(round.whyNot(1, QueenOfSpades), QByteArray("No points on the first trick."));
        QCOMPARE(round.whyNot(1, C(HeartSuit, 13)), QByteArray("No points on the first trick."));
        QVERIFY(round.isLegal(1, C(Diamonds, 4)));
        QVERIFY(round.play(1, C(Diamonds, 4)).ok);
        // Seat 2 holds a club and must play it.
        QCOMPARE(round.legalCards(2), QList<int>{C(Clubs, 3)});
        QVERIFY(round.play(2, C(Clubs, 3)).ok);
        const Round::Played last = round.play(3, C(Clubs, 1));
        QVERIFY(last.trickDone);
        QCOMPARE(last.winner, 3);
        QCOMPARE(round.turn(), 3);
        QCOMPARE(round.lastTrick().cards.size(), 4);
        QVERIFY(round.currentTrick().cards.isEmpty());

        // Seat 3 leads a diamond; seat 0 follows; hearts are still unbroken.
        QVERIFY(round.play(3, C(Diamonds, 13)).ok);
        QVERIFY(round.play(0, C(Diamonds, 2)).ok);
        QVERIFY(!round.heartsBroken());
        QVERIFY(round.play(1, C(Diamonds, 5)).ok);
        QVERIFY(round.play(2, C(Diamonds, 9)).ok);
        QCOMPARE(round.turn(), 3);   // king of diamonds
        // Seat 3 has only clubs and the ace of diamonds: clubs lead.
        QVERIFY(round.play(3, C(Clubs, 4)).ok);
        // Seat 0 has no club: a heart now breaks hearts (not the first trick).
        QVERIFY(round.isLegal(0, C(HeartSuit, 11)));
        QVERIFY(round.play(0, C(HeartSuit, 11)).ok);
        QVERIFY(round.heartsBroken());
        QVERIFY(round.play(1, QueenOfSpades).ok);
        QVERIFY(round.play(2, C(Spades, 6)).ok);
        QCOMPARE(round.taken(3), 14);
    }

    void heartsMayNotBeLedUntilBrokenUnlessOnlyHeartsRemain()
    {
        Hands h = roundRobin();
        Round round(h, Pass::Keep);
        // Play the first trick as the round robin deals: clubs all round.
        int seat = round.turn();
        for (int i = 0; i < 4; ++i) {
            const QList<int> legal = round.legalCards(seat);
            QVERIFY(!legal.isEmpty());
            QVERIFY(round.play(seat, legal.first()).ok);
            seat = (seat + 1) % 4;
        }
        const int leader = round.turn();
        for (const Card c : round.hand(leader)) {
            if (suitOf(c) == HeartSuit)
                QCOMPARE(round.whyNot(leader, c), QByteArray("Hearts are not broken yet."));
        }
        Hands onlyHearts;
        onlyHearts[0] = {TwoOfClubs, C(Spades, 2), C(Spades, 3)};
        onlyHearts[1] = {C(Clubs, 5), C(HeartSuit, 2), C(HeartSuit, 3)};
        onlyHearts[2] = {C(Clubs, 6), C(Spades, 4), C(Spades, 5)};
        onlyHearts[3] = {C(Clubs, 7), C(Diamonds, 2), C(Diamonds, 3)};
        Round small(onlyHearts, Pass::Keep);
        QVERIFY(small.play(0, TwoOfClubs).ok);
        QVERIFY(small.play(1, C(Clubs, 5)).ok);
        QVERIFY(small.play(2, C(Clubs, 6)).ok);
        QVERIFY(small.play(3, C(Clubs, 7)).ok);
        QCOMPARE(small.turn(), 3);
        QVERIFY(small.play(3, C(Diamonds, 2)).ok);
        QVERIFY(small.play(0, C(Spades, 2)).ok);
        QVERIFY(small.play(1, C(HeartSuit, 2)).ok);   // void in diamonds
        QVERIFY(small.play(2, C(Spades, 4)).ok);
        QCOMPARE(small.turn(), 3);
        QVERIFY(small.heartsBroken());
    }

    void passingMovesThreeCardsTheRightWay_data()
    {
        QTest::addColumn<int>("hand");
        QTest::addColumn<int>("receiverOfSeat0");
        QTest::newRow("left") << 0 << 1;
        QTest::newRow("right") << 1 << 3;
        QTest::newRow("across") << 2 << 2;
        QTest::newRow("keep") << 3 << 0;
    }
    void passingMovesThreeCardsTheRightWay()
    {
        QFETCH(int, hand);
        QFETCH(int, receiverOfSeat0);
        const Pass pass = passOf(hand);
        QCOMPARE(passTarget(0, pass), receiverOfSeat0);
        Round round(roundRobin(), pass);
        if (pass == Pass::Keep) {
            QCOMPARE(round.phase(), Round::Phase::Playing);
            return;
        }
        QCOMPARE(round.phase(), Round::Phase::Passing);
        QVERIFY(!round.setPass(0, {1, 5}));                 // two cards
        QVERIFY(!round.setPass(0, {1, 5, 2}));              // 2 is not seat 0's
        QVERIFY(!round.setPass(0, {1, 1, 5}));              // twice the same
        QVERIFY(round.setPass(0, {1, 5, 9}));
        QVERIFY(!round.setPass(0, {13, 17, 21}));           // once only
        QCOMPARE(round.whyNot(1, 2), QByteArray("Pass three cards first."));
        for (int s = 1; s < 4; ++s)
            QVERIFY(round.setPass(s, round.hand(s).mid(0, 3)));
        QCOMPARE(round.phase(), Round::Phase::Playing);
        QCOMPARE(round.receivedBy(receiverOfSeat0), (QList<int>{1, 5, 9}));
        for (const Card c : {1, 5, 9})
            QVERIFY(round.hand(receiverOfSeat0).contains(c));
        for (int s = 0; s < 4; ++s)
            QCOMPARE(round.hand(s).size(), 13);
        QVERIFY(round.hand(round.turn()).contains(TwoOfClubs));
    }

    void scoringAndShootingTheMoon()
    {
        // Computer players play a whole hand legally; the points add to 26.
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u}) {
            std::mt19937 random(seed);
            Round round(deal(random), Pass::Left);
            for (int s = 0; s < 4; ++s)
                QVERIFY(round.setPass(s, choosePass(round.hand(s))));
            int plays = 0;
            while (round.phase() == Round::Phase::Playing) {
                const int seat = round.turn();
                const Card card = chooseCard(round, seat);
                QVERIFY2(round.isLegal(seat, card), nameOf(card).constData());
                round.play(seat, card);
                QVERIFY(++plays <= 52);
            }
            QCOMPARE(plays, 52);
            const std::array<int, 4> scores = round.handScores();
            const int sum = scores[0] + scores[1] + scores[2] + scores[3];
            QVERIFY(sum == 26 || sum == 78);
        }
        // Seat 0 holds every club and so takes every trick; the others shed
        // their points on it: all 26 to seat 0 is 0 for it and 26 for the rest.
        Hands moonDeal;
        for (int r = 1; r <= 13; ++r) {
            moonDeal[0].append(C(Clubs, r));
            moonDeal[1].append(C(HeartSuit, r));
        }
        moonDeal[2].append(QueenOfSpades);
        for (int r = 1; r <= 12; ++r)
            moonDeal[2].append(C(Diamonds, r));
        moonDeal[3].append(C(Diamonds, 13));
        for (int r = 1; r <= 13; ++r) {
            if (r != 12)
                moonDeal[3].append(C(Spades, r));
        }
        Round moon(moonDeal, Pass::Keep);
        while (moon.phase() == Round::Phase::Playing) {
            const int seat = moon.turn();
            const QList<Card> legal = moon.legalCards(seat);
            Card pick = legal.first();
            for (const Card c : legal) {
                if (pointsOf(c) > 0)
                    pick = c;
            }
            QVERIFY(moon.play(seat, pick).ok);
        }
        QCOMPARE(moon.taken(0), 26);
        QCOMPARE(moon.moonShooter(), 0);
        const std::array<int, 4> scores = moon.handScores();
        QCOMPARE(scores, (std::array<int, 4>{0, 26, 26, 26}));
    }

    void gameEndsAtHundredAndLowestWins()
    {
        QVERIFY(!gameOver({99, 10, 0, 20}));
        QVERIFY(gameOver({100, 10, 0, 20}));
        QCOMPARE(winners({100, 10, 0, 20}), QList<int>{2});
        QCOMPARE(winners({104, 30, 30, 40}), (QList<int>{1, 2}));
    }

    void computerPassesTheDangerousCards()
    {
        const QList<Card> hand = {QueenOfSpades, C(Spades, 1), C(HeartSuit, 1), C(Clubs, 2), C(Clubs, 3), C(Diamonds, 4)};
        const QList<Card> passed = choosePass(hand);
        QCOMPARE(passed.size(), 3);
        QVERIFY(passed.contains(QueenOfSpades));
        QVERIFY(passed.contains(C(Spades, 1)));
        QVERIFY(passed.contains(C(HeartSuit, 1)));
    }

    // -- Sketch ----------------------------------------------------------------

    void wordListParsing()
    {
        const QList<SketchWord> words = WordList::Parse("# comment\n\napple;10\r\nIce Cream ; 20\nbad\nno;value\nx;0\n"
                                                        "semi;colon;30\nr2d2;10\n");
        QCOMPARE(words, (QList<SketchWord>{{"apple", 10}, {"ice cream", 20}}));
        const QList<SketchWord> shipped = WordList::BuiltIn();
        QVERIFY(shipped.size() >= 100);
        QSet<QByteArray> seen;
        for (const SketchWord &w : shipped) {
            QVERIFY(!seen.contains(w.word));
            seen.insert(w.word);
        }
    }

    void guesses_data()
    {
        QTest::addColumn<QByteArray>("guess");
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("close");
        QTest::newRow("same") << QByteArray("apple") << QByteArray("apple") << true << false;
        QTest::newRow("case and blanks") << QByteArray("  ApPlE ") << QByteArray("apple") << true << false;
        QTest::newRow("two words, hyphen") << QByteArray("ice-cream") << QByteArray("ice cream") << true << false;
        QTest::newRow("two words run together") << QByteArray("icecream") << QByteArray("ice cream") << true << false;
        QTest::newRow("one letter more") << QByteArray("apples") << QByteArray("apple") << false << true;
        QTest::newRow("one letter changed") << QByteArray("appla") << QByteArray("apple") << false << true;
        QTest::newRow("short words are never close") << QByteArray("cap") << QByteArray("cat") << false << false;
        QTest::newRow("far off") << QByteArray("banana") << QByteArray("apple") << false << false;
        QTest::newRow("empty") << QByteArray(" ") << QByteArray("apple") << false << false;
    }
    void guesses()
    {
        QFETCH(QByteArray, guess);
        QFETCH(QByteArray, word);
        QFETCH(bool, right);
        QFETCH(bool, close);
        QCOMPARE(SketchRules::IsRight(guess, word), right);
        QCOMPARE(SketchRules::IsClose(guess, word), close);
    }

    void points()
    {
        QCOMPARE(SketchRules::GuesserPoints(20, 90000, 90000, false), 20);
        QCOMPARE(SketchRules::GuesserPoints(20, 0, 90000, false), 10);
        QCOMPARE(SketchRules::GuesserPoints(20, 45000, 90000, true), 15 + 10);
        QCOMPARE(SketchRules::GuesserPoints(20, -5, 90000, false), 10);
        QCOMPARE(SketchRules::ArtistPoints(30, 3), 45);
        QCOMPARE(SketchRules::ArtistPoints(30, 0), 0);
        QCOMPARE(SketchRules::LetterHint("ice cream"), QByteArray("3 + 5 letters"));
    }

    void scoreTableAndRoundTitle()
    {
        QCOMPARE(SketchRules::ScoreTable({{"Ann", 10}, {"Bob", 30}, {"Cy", 10}}),
                 QByteArray("Score:Bob=30\r\nAnn=10\r\nCy=10EndScore"));
        QCOMPARE(SketchRules::RoundTitle("Round 1 of 4: Ann draws"), QByteArray("Round#:Round 1 of 4: Ann drawsEndRound#"));
        QCOMPARE(SketchRules::GuessListText("\x1b[5\x1b[Bis it: a\xb7 cat?\r\n"), QByteArray("is it a cat?"));
    }

    void sketchPieces_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<QList<QByteArray>>("bytes");
        using P = SketchRules::Piece;
        QTest::newRow("two strokes")
            << QByteArray("\x1b[50;60;51;61;2;30;0L\x1b]\x1b[51;61;50;60;2;30;0L\x1b]")
            << QList<int>{P::Stroke, P::Stroke}
            << QList<QByteArray>{"\x1b[50;60;51;61;2;30;0L\x1b]", "\x1b[51;61;50;60;2;30;0L\x1b]"};
        QTest::newRow("strokes then erase all")
            << QByteArray("\x1b[1;2;3;4;20;47;0L\x1b]\x1b[47J\x1b]")
            << QList<int>{P::Stroke, P::Clear} << QList<QByteArray>{"\x1b[1;2;3;4;20;47;0L\x1b]", "\x1b[47J\x1b]"};
        QTest::newRow("odd values are tamed")
            << QByteArray("\x1b[1;2;3;4;999;99;7L\x1b]") << QList<int>{P::Stroke}
            << QList<QByteArray>{"\x1b[1;2;3;4;40;30;0L\x1b]"};
        QTest::newRow("guess") << QByteArray("Guess?:a red apple\r\n\r\n") << QList<int>{P::Guess}
                               << QList<QByteArray>{"a red apple"};
        QTest::newRow("ready") << QByteArray("Guess?:Ann Ready \r\n") << QList<int>{P::Ready} << QList<QByteArray>{"Ann"};
        QTest::newRow("hint") << QByteArray("Guess?:\x1b[0;0;4;1G39\xb7") << QList<int>{P::Hint} << QList<QByteArray>{""};
        QTest::newRow("chat with a colour prefix that looks like a stroke")
            << QByteArray("\x1b[5Look at that") << QList<int>{P::Other} << QList<QByteArray>{"\x1b[5Look at that"};
        QTest::newRow("chat then a guess")
            << QByteArray("\x1b[3hi\r\nGuess?:cat\r\n\r\n") << QList<int>{P::Other, P::Guess}
            << QList<QByteArray>{"\x1b[3hi", "cat"};
        QTest::newRow("a stroke cut short is not a stroke")
            << QByteArray("\x1b[1;2;3L\x1b]") << QList<int>{P::Other} << QList<QByteArray>{"\x1b[1;2;3L\x1b]"};
    }
    void sketchPieces()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(QList<int>, kinds);
        QFETCH(QList<QByteArray>, bytes);
        const QList<SketchRules::Piece> pieces = SketchRules::Parse(chunk);
        QCOMPARE(pieces.size(), kinds.size());
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            QCOMPARE(int(pieces.at(i).kind), kinds.at(i));
            if (pieces.at(i).kind != SketchRules::Piece::Hint)
                QCOMPARE(pieces.at(i).bytes, bytes.at(i));
        }
        if (kinds == QList<int>{SketchRules::Piece::Hint}) {
            QCOMPARE(pieces.first().row, 4);
            QCOMPARE(pieces.first().icon, 39);
        }
    }

    // -- Minefield -------------------------------------------------------------

    void minesAreNeverUnderTheFirstOpening()
    {
        for (quint32 seed = 1; seed < 40; ++seed) {
            Minefield field = Minefield::ofLevel(1, seed);
            field.open(5, 5);
            QVERIFY(field.state() != Minefield::State::Lost);
            QCOMPARE(field.at(5, 5).count, 0);   // nothing around it either: it opens an area
            QCOMPARE(field.mines(), 30);
        }
    }

    void openingFloodsEmptySquaresAndStopsAtNumbers()
    {
        // A 5 by 3 field with one mine in the top right corner.
        Minefield field(5, 3, 1, 1);
        field.layMines({{4, 0}});
        const QList<QPoint> changed = field.open(0, 2);
        QCOMPARE(changed.size(), 14);   // everything but the mine
        QCOMPARE(field.at(3, 0).count, 1);
        QCOMPARE(field.at(3, 1).count, 1);
        QCOMPARE(field.at(4, 1).count, 1);
        QCOMPARE(field.state(), Minefield::State::Won);
    }

    void flagsAndOpeningAroundANumber()
    {
        Minefield field(4, 4, 2, 1);
        field.layMines({{0, 0}, {2, 0}});
        QVERIFY(field.open(1, 1).contains(QPoint(1, 1)));
        QCOMPARE(field.at(1, 1).count, 2);
        // Not enough flags: nothing opens around it.
        QVERIFY(field.openAround(1, 1).isEmpty());
        QCOMPARE(field.toggleFlag(0, 0).size(), 1);
        QCOMPARE(field.flags(), 1);
        QVERIFY(field.openAround(1, 1).isEmpty());
        field.toggleFlag(2, 0);
        const QList<QPoint> around = field.openAround(1, 1);
        QVERIFY(around.contains(QPoint(1, 0)));
        QVERIFY(around.contains(QPoint(0, 2)));
        QVERIFY(field.at(1, 0).open);
        QVERIFY(!field.at(0, 0).open);
        // A flagged square does not open, and an open one takes no flag.
        QVERIFY(field.open(0, 0).isEmpty());
        QVERIFY(field.toggleFlag(1, 0).isEmpty());
    }

    void aWrongFlagLosesWhenOpeningAround()
    {
        Minefield field(3, 3, 1, 1);
        field.layMines({{0, 0}});
        field.open(1, 1);
        field.toggleFlag(2, 2);   // wrong
        const QList<QPoint> changed = field.openAround(1, 1);
        QCOMPARE(field.state(), Minefield::State::Lost);
        QCOMPARE(field.blast(), QPoint(0, 0));
        QVERIFY(changed.contains(QPoint(0, 0)));
        QVERIFY(changed.contains(QPoint(2, 2)));   // the wrong flag shows
        QVERIFY(field.open(1, 2).isEmpty());        // the game is over
    }
};

VT_TEST_MAIN(TestVtserveRules)
#include "tst_vtserve_rules.moc"
