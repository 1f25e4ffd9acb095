#pragma once

// The rules of Hearts for four players, as plain data and functions: the
// deal, the three-card pass, which cards may be played, who takes a trick,
// the points of a hand (with shooting the moon) and the end of a game. Cards
// are the table's card codes: 1 to 13 clubs, 14 to 26 diamonds, 27 to 39
// hearts, 40 to 52 spades, each suit ace, 2 to 10, jack, queen, king.
// Seats are numbered 0 to 3 in playing order: seat s + 1 plays after seat s
// and is on its left.

#include <QList>

#include <array>
#include <random>

namespace Hearts {

using Card = int;
using Hands = std::array<QList<Card>, 4>;

enum Suit { Clubs = 0, Diamonds = 1, HeartSuit = 2, Spades = 3 };

constexpr Card TwoOfClubs = 2;
constexpr Card QueenOfSpades = 51;
constexpr int CardsPerHand = 13;
constexpr int GameOverScore = 100;

inline bool isCard(Card c) { return c >= 1 && c <= 52; }
inline int suitOf(Card c) { return (c - 1) / 13; }
// 1 is the ace, 11 jack, 12 queen, 13 king.
inline int rankOf(Card c) { return (c - 1) % 13 + 1; }
// Order inside a suit: the two is lowest, the ace highest (14).
inline int strengthOf(Card c) { return rankOf(c) == 1 ? 14 : rankOf(c); }
inline Card cardOf(int suit, int rank) { return suit * 13 + rank; }
inline int pointsOf(Card c) { return c == QueenOfSpades ? 13 : (suitOf(c) == HeartSuit ? 1 : 0); }

// "Q of spades", "10 of hearts".
QByteArray nameOf(Card c);
// Short form for the screen: rank and the suit glyph of the table's character set.
QByteArray shortNameOf(Card c);

// Hand 0 passes left, 1 right, 2 across, 3 keeps; then again.
enum class Pass { Left, Right, Across, Keep };
Pass passOf(int handNumber);
// The seat that receives the cards `seat` passes.
int passTarget(int seat, Pass pass);
QByteArray passWord(Pass pass);   // "left", "right", "across", "no pass"

// Deals 13 cards to each seat, each hand sorted by suit and strength.
Hands deal(std::mt19937 &random);
void sortHand(QList<Card> &hand);

// One hand of play, from the pass to the last trick.
class Round
{
public:
    enum class Phase { Passing, Playing, Done };

    struct Trick {
        int leader = -1;
        QList<Card> cards;      // in playing order, starting with the leader
        int winner = -1;
    };

    Round(const Hands &hands, Pass pass);

    Phase phase() const { return m_phase; }
    Pass pass() const { return m_pass; }
    const QList<Card> &hand(int seat) const { return m_hands.at(seat); }

    // Passing: three distinct cards of the seat's hand. When the fourth seat
    // has passed, the cards change hands and play begins.
    bool setPass(int seat, const QList<Card> &cards);
    bool hasPassed(int seat) const { return m_passed.at(seat); }
    const QList<Card> &passedBy(int seat) const { return m_passes.at(seat); }
    // What the seat received in the exchange (empty before it).
    QList<Card> receivedBy(int seat) const;

    // Playing.
    int turn() const { return m_turn; }
    bool heartsBroken() const { return m_heartsBroken; }
    int tricksPlayed() const { return m_tricksPlayed; }
    const Trick &currentTrick() const { return m_trick; }
    const Trick &lastTrick() const { return m_last; }
    // Why the card may not be played now; empty when it may.
    QByteArray whyNot(int seat, Card card) const;
    bool isLegal(int seat, Card card) const { return whyNot(seat, card).isEmpty(); }
    QList<Card> legalCards(int seat) const;

    struct Played {
        bool ok = false;
        bool trickDone = false;
        int winner = -1;        // when the trick is done
        bool roundDone = false;
    };
    Played play(int seat, Card card);

    // Points taken so far in this hand.
    int taken(int seat) const { return m_taken.at(seat); }
    // Points of the finished hand: a seat that took all 26 scores 0 and
    // every other seat 26.
    std::array<int, 4> handScores() const;
    int moonShooter() const;   // the seat that took all 26, else -1

private:
    void startPlay();

    Hands m_hands;
    Pass m_pass;
    Phase m_phase = Phase::Passing;
    std::array<bool, 4> m_passed{};
    std::array<QList<Card>, 4> m_passes;
    int m_turn = -1;
    bool m_heartsBroken = false;
    int m_tricksPlayed = 0;
    Trick m_trick;
    Trick m_last;
    std::array<int, 4> m_taken{};
};

// Who trick `cards` (led by `leader`) goes to: the highest card of the
// suit led.
int trickWinner(int leader, const QList<Card> &cards);

// A game is over when a seat has reached 100 points; the lowest total wins
// (ties share the win).
bool gameOver(const std::array<int, 4> &totals);
QList<int> winners(const std::array<int, 4> &totals);

// The computer players' choices: sound, not clever.
QList<Card> choosePass(const QList<Card> &hand);
Card chooseCard(const Round &round, int seat);

} // namespace Hearts
