#pragma once

// The rules of the touring-race card game, as plain data and functions: the
// deck of hazards, remedies, safeties and distances, which card may go where,
// the coup (a safety played out of turn against the hazard it answers), the
// end of a hand and its scoring. Cards are the pictures of the client's race
// deck (card code 100 + picture). Two or three players each drive for
// themselves; four play as two teams, seats 0 and 2 against 1 and 3, each
// team sharing one set of piles. Seat s + 1 plays after seat s.

#include <QByteArray>
#include <QList>

#include <array>
#include <random>

namespace Race {

enum Card {
    Back = 0,
    OutOfGas, FlatTire, Accident, SpeedLimit, Stop,                 // hazards
    Gasoline, SpareTire, Repairs, EndOfLimit, Roll,                  // remedies
    ExtraTank, PunctureProof, DrivingAce, RightOfWay,                // safeties
    Miles25, Miles50, Miles75, Miles100, Miles200,                   // distances
    CardKinds
};

constexpr int FirstCode = 100;        // the client's card code of picture 0
constexpr int HandSize = 6;           // a player holds 6 and draws a seventh to play
constexpr int TripMiles = 1000;
constexpr int GameScore = 5000;
constexpr int Max200s = 2;

inline bool isHazard(int c) { return c >= OutOfGas && c <= Stop; }
inline bool isRemedy(int c) { return c >= Gasoline && c <= Roll; }
inline bool isSafety(int c) { return c >= ExtraTank && c <= RightOfWay; }
inline bool isDistance(int c) { return c >= Miles25 && c <= Miles200; }
int milesOf(int card);
// How many of the card a full deck holds (106 cards in all).
int countOf(int card);
QList<int> fullDeck();
QByteArray nameOf(int card);          // "Flat tire", "75 miles"
QByteArray descriptionOf(int card);
// The remedy that answers a hazard; the safety that keeps it away.
int remedyFor(int hazard);
int safetyFor(int hazard);

// One team's piles: what it has driven and what was done to it.
struct Tableau {
    QList<int> battle;                 // bottom first; the top decides whether it may drive
    QList<int> speed;
    QList<int> safeties;               // in the order played
    QList<int> coups;                  // the safeties of those that were coups
    QList<int> distances;
    int miles = 0;
    int twoHundreds = 0;

    bool has(int safety) const { return safeties.contains(safety); }
    int battleTop() const { return battle.isEmpty() ? -1 : battle.last(); }
    bool limited() const { return !speed.isEmpty() && speed.last() == SpeedLimit && !has(RightOfWay); }
    // The team may lay distance: a green light, or the right of way with
    // nothing but a remedy (or nothing) on its battle pile.
    bool rolling() const;
};

// The points of one team for one hand, part by part.
struct HandScore {
    int miles = 0;
    int safeties = 0;                  // 100 each, 700 for all four
    int coups = 0;                     // 300 each
    int trip = 0;                      // 400 for exactly 1000 miles
    int delayed = 0;                   // 300: the trip completed after the deck ran out
    int safeTrip = 0;                  // 300: the trip completed without a 200
    int shutOut = 0;                   // 500: the trip completed while no other team drove
    int total() const { return miles + safeties + coups + trip + delayed + safeTrip + shutOut; }
};

class Hand
{
public:
    enum class Phase { Draw, Play, Coup, Done };

    // `deck` is drawn from its end. Each seat gets HandSize cards, dealt round.
    Hand(int players, QList<int> deck, int dealer = 0);

    int players() const { return m_players; }
    int teams() const { return m_players == 4 ? 2 : m_players; }
    int teamOf(int seat) const { return m_players == 4 ? seat % 2 : seat; }
    const Tableau &tableau(int team) const { return m_tableaus.at(team); }
    const QList<int> &hand(int seat) const { return m_hands.at(seat); }
    int deckLeft() const { return int(m_deck.size()); }
    int discardTop() const { return m_discards.isEmpty() ? -1 : m_discards.last(); }
    Phase phase() const { return m_phase; }
    int turn() const { return m_turn; }
    // During Phase::Coup: the seat that may answer the hazard just played.
    int coupSeat() const { return m_coupSeat; }
    int coupHazard() const { return m_coupHazard; }
    // The team that reached 1000 miles, -1 while none has.
    int tripDone() const { return m_tripTeam; }

    // The seat whose turn it is takes the top card of the deck. With the
    // deck empty there is nothing to draw and the turn goes straight to play.
    bool draw(int seat);
    // Why `card` of the seat's hand may not go to `team`'s piles now; empty
    // when it may. Hazards go to other teams, everything else to one's own.
    QByteArray whyNot(int seat, int card, int team) const;
    bool play(int seat, int card, int team);
    bool discard(int seat, int card);
    // The safety of the hazard just played, out of turn; the coup player
    // draws a card for it and has the next turn.
    bool playCoup(int seat);
    void passCoup(int seat);

    // The team a card would naturally go to: one's own, or for a hazard
    // the only other team that can take it (-1 when none or several).
    int naturalTarget(int seat, int card) const;
    QList<int> legalTargets(int seat, int card) const;

    HandScore score(int team) const;

private:
    void takeCard(int seat);
    void nextTurn(int seat);
    void endIfStuck();

    int m_players;
    QList<int> m_deck;
    QList<int> m_discards;
    std::array<QList<int>, 4> m_hands;
    std::array<Tableau, 4> m_tableaus;
    Phase m_phase = Phase::Draw;
    int m_turn = 0;
    int m_coupSeat = -1;
    int m_coupHazard = -1;
    int m_coupAfter = -1;              // whose turn follows when the coup is passed
    int m_tripTeam = -1;
    bool m_deckWasEmpty = false;       // the trip was completed after the deck ran out
};

QList<int> shuffledDeck(std::mt19937 &random);

// The computer players' choices: sound, not clever.
struct Move {
    enum class Kind { Play, Discard } kind = Kind::Discard;
    int card = -1;
    int team = -1;
};
// A play or a discard for the seat whose turn it is, after its draw.
Move chooseMove(const Hand &hand, int seat);

// The game is over when a team has 5000 points; the highest total wins (ties share).
bool gameOver(const QList<int> &totals);
QList<int> winners(const QList<int> &totals);

} // namespace Race
