#include "RaceRules.h"

#include <algorithm>

namespace Race {

namespace {

struct Kind {
    const char *name;
    const char *description;
    int count;
};

const Kind Kinds[CardKinds] = {
    {"Back", "The back of every race card.", 0},
    {"Out of gas", "Hazard: the victim needs gasoline before rolling on.", 3},
    {"Flat tire", "Hazard: the victim needs a spare tire.", 3},
    {"Accident", "Hazard: the victim needs repairs.", 3},
    {"Speed limit", "Hazard: no distance above 50 until the end of limit.", 4},
    {"Stop", "Hazard: the red light; the victim needs a green light to roll.", 5},
    {"Gasoline", "Remedy for out of gas.", 6},
    {"Spare tire", "Remedy for a flat tire.", 6},
    {"Repairs", "Remedy for an accident.", 6},
    {"End of limit", "Remedy: lifts the speed limit.", 6},
    {"Roll", "Remedy: the green light, needed to start and after a stop.", 14},
    {"Extra tank", "Safety: never out of gas again.", 1},
    {"Puncture proof", "Safety: never a flat tire again.", 1},
    {"Driving ace", "Safety: never an accident again.", 1},
    {"Right of way", "Safety: no stops and no speed limits; roll without a green light.", 1},
    {"25 miles", "Distance: 25 miles.", 10},
    {"50 miles", "Distance: 50 miles.", 10},
    {"75 miles", "Distance: 75 miles.", 10},
    {"100 miles", "Distance: 100 miles.", 12},
    {"200 miles", "Distance: 200 miles; at most two in a hand.", 4},
};

bool valid(int card)
{
    return card >= 0 && card < CardKinds;
}

} // namespace

int milesOf(int card)
{
    switch (card) {
    case Miles25: return 25;
    case Miles50: return 50;
    case Miles75: return 75;
    case Miles100: return 100;
    case Miles200: return 200;
    default: return 0;
    }
}

int countOf(int card)
{
    return valid(card) ? Kinds[card].count : 0;
}

QList<int> fullDeck()
{
    QList<int> deck;
    for (int c = 0; c < CardKinds; ++c) {
        for (int k = 0; k < Kinds[c].count; ++k)
            deck.append(c);
    }
    return deck;
}

QList<int> shuffledDeck(std::mt19937 &random)
{
    QList<int> deck = fullDeck();
    std::shuffle(deck.begin(), deck.end(), random);
    return deck;
}

QByteArray nameOf(int card)
{
    return valid(card) ? QByteArray(Kinds[card].name) : QByteArray();
}

QByteArray descriptionOf(int card)
{
    return valid(card) ? QByteArray(Kinds[card].description) : QByteArray();
}

int remedyFor(int hazard)
{
    switch (hazard) {
    case OutOfGas: return Gasoline;
    case FlatTire: return SpareTire;
    case Accident: return Repairs;
    case SpeedLimit: return EndOfLimit;
    case Stop: return Roll;
    default: return -1;
    }
}

int safetyFor(int hazard)
{
    switch (hazard) {
    case OutOfGas: return ExtraTank;
    case FlatTire: return PunctureProof;
    case Accident: return DrivingAce;
    case SpeedLimit:
    case Stop: return RightOfWay;
    default: return -1;
    }
}

bool Tableau::rolling() const
{
    const int top = battleTop();
    if (top == Roll)
        return true;
    return has(RightOfWay) && (top < 0 || isRemedy(top));
}

// ---------------------------------------------------------------------------

Hand::Hand(int players, QList<int> deck, int dealer)
    : m_players(qBound(2, players, 4))
    , m_deck(std::move(deck))
{
    for (int k = 0; k < HandSize; ++k) {
        for (int s = 0; s < m_players; ++s)
            takeCard((dealer + 1 + s) % m_players);
    }
    m_turn = (dealer + 1) % m_players;
    m_phase = m_deck.isEmpty() ? Phase::Play : Phase::Draw;
    endIfStuck();
}

void Hand::takeCard(int seat)
{
    if (!m_deck.isEmpty())
        m_hands[seat].append(m_deck.takeLast());
}

bool Hand::draw(int seat)
{
    if (m_phase != Phase::Draw || seat != m_turn)
        return false;
    takeCard(seat);
    m_phase = Phase::Play;
    return true;
}

QByteArray Hand::whyNot(int seat, int card, int team) const
{
    if (m_phase == Phase::Done)
        return "The hand is over.";
    if (m_phase == Phase::Coup)
        return seat == m_coupSeat ? "Answer the coup first: play your " + nameOf(safetyFor(m_coupHazard)) + " or go on."
                                  : "Wait: another player may answer the hazard.";
    if (seat != m_turn)
        return "It is not your turn.";
    if (m_phase == Phase::Draw)
        return "Draw a card first.";
    if (!m_hands.at(seat).contains(card))
        return "That card is not in your hand.";
    if (team < 0 || team >= teams())
        return "Press a card, then the piles it goes on.";
    const int own = teamOf(seat);
    const Tableau &t = m_tableaus.at(team);
    if (isHazard(card)) {
        if (team == own)
            return "Hazards go on an opponent's piles.";
        if (t.has(safetyFor(card)))
            return "They are protected by " + nameOf(safetyFor(card)) + '.';
        if (card == SpeedLimit) {
            if (!t.speed.isEmpty() && t.speed.last() == SpeedLimit)
                return "They are under a speed limit already.";
            return {};
        }
        if (!t.rolling())
            return "A hazard needs a car that is rolling; they are not.";
        return {};
    }
    if (team != own)
        return "Only hazards go on an opponent's piles; this one is for your own.";
    if (isSafety(card))
        return {};
    const int top = t.battleTop();
    switch (card) {
    case Gasoline:
    case SpareTire:
    case Repairs: {
        const int hazard = card == Gasoline ? OutOfGas : card == SpareTire ? FlatTire : Accident;
        if (top == hazard)
            return {};
        if (isHazard(top))
            return nameOf(card) + " is for " + nameOf(hazard).toLower() + "; your " + nameOf(top).toLower() + " needs "
                + nameOf(remedyFor(top)).toLower() + '.';
        return nameOf(card) + " is for " + nameOf(hazard).toLower() + ", and you have none.";
    }
    case EndOfLimit:
        if (t.speed.isEmpty() || t.speed.last() != SpeedLimit)
            return "You are not under a speed limit.";
        return {};
    case Roll:
        if (top == Roll)
            return "You have a green light already.";
        if (isHazard(top) && top != Stop)
            return "Answer the " + nameOf(top).toLower() + " first with " + nameOf(remedyFor(top)).toLower() + '.';
        return {};
    default:
        break;
    }
    if (isDistance(card)) {
        const int miles = milesOf(card);
        if (!t.rolling()) {
            if (isHazard(top) && top != Stop)
                return "You cannot drive: answer the " + nameOf(top).toLower() + " first.";
            return "You need a green light (Roll) before you drive.";
        }
        if (t.limited() && miles > 50)
            return "Under a speed limit only 25 and 50 miles may be played.";
        if (card == Miles200 && t.twoHundreds >= Max200s)
            return "At most two 200s in a hand.";
        if (t.miles + miles > TripMiles)
            return "That would take you past " + QByteArray::number(TripMiles) + " miles.";
        return {};
    }
    return "That card cannot be played.";
}

QList<int> Hand::legalTargets(int seat, int card) const
{
    QList<int> targets;
    for (int team = 0; team < teams(); ++team) {
        if (whyNot(seat, card, team).isEmpty())
            targets.append(team);
    }
    return targets;
}

int Hand::naturalTarget(int seat, int card) const
{
    if (!isHazard(card))
        return teamOf(seat);
    const QList<int> targets = legalTargets(seat, card);
    if (targets.size() == 1)
        return targets.first();
    if (teams() == 2)
        return 1 - teamOf(seat);   // the only opponent, even when the play is refused
    return -1;
}

bool Hand::play(int seat, int card, int team)
{
    if (!whyNot(seat, card, team).isEmpty())
        return false;
    m_hands[seat].removeOne(card);
    Tableau &t = m_tableaus[team];
    if (isSafety(card)) {
        t.safeties.append(card);
        // The safety also ends the hazard it guards against.
        const int top = t.battleTop();
        if (isHazard(top) && safetyFor(top) == card)
            m_discards.append(t.battle.takeLast());
        // A safety earns another turn.
        m_phase = m_deck.isEmpty() ? Phase::Play : Phase::Draw;
        if (m_deck.isEmpty() && m_hands.at(seat).isEmpty())
            nextTurn(seat);
        endIfStuck();
        return true;
    }
    if (isDistance(card)) {
        t.distances.append(card);
        t.miles += milesOf(card);
        if (card == Miles200)
            ++t.twoHundreds;
        if (t.miles == TripMiles) {
            m_tripTeam = team;
            m_deckWasEmpty = m_deck.isEmpty();
            m_phase = Phase::Done;
            return true;
        }
    } else if (card == SpeedLimit || card == EndOfLimit) {
        t.speed.append(card);
    } else {
        t.battle.append(card);
    }
    if (isHazard(card)) {
        // Somebody of the victim's team holding the safety may answer at once.
        for (int k = 1; k <= m_players; ++k) {
            const int other = (seat + k) % m_players;
            if (teamOf(other) == team && m_hands.at(other).contains(safetyFor(card))) {
                m_phase = Phase::Coup;
                m_coupSeat = other;
                m_coupHazard = card;
                m_coupAfter = seat;
                return true;
            }
        }
    }
    nextTurn(seat);
    return true;
}

bool Hand::discard(int seat, int card)
{
    if (m_phase != Phase::Play || seat != m_turn || !m_hands.at(seat).contains(card))
        return false;
    m_hands[seat].removeOne(card);
    m_discards.append(card);
    nextTurn(seat);
    return true;
}

bool Hand::playCoup(int seat)
{
    if (m_phase != Phase::Coup || seat != m_coupSeat)
        return false;
    const int safety = safetyFor(m_coupHazard);
    m_hands[seat].removeOne(safety);
    Tableau &t = m_tableaus[teamOf(seat)];
    t.safeties.append(safety);
    t.coups.append(safety);
    QList<int> &pile = m_coupHazard == SpeedLimit ? t.speed : t.battle;
    if (!pile.isEmpty() && pile.last() == m_coupHazard)
        m_discards.append(pile.takeLast());
    takeCard(seat);   // the card that replaces the safety
    m_coupSeat = m_coupHazard = m_coupAfter = -1;
    m_turn = seat;
    m_phase = m_deck.isEmpty() ? Phase::Play : Phase::Draw;
    if (m_phase == Phase::Play && m_hands.at(seat).isEmpty())
        nextTurn(seat);
    endIfStuck();
    return true;
}

void Hand::passCoup(int seat)
{
    if (m_phase != Phase::Coup || seat != m_coupSeat)
        return;
    const int after = m_coupAfter;
    m_coupSeat = m_coupHazard = m_coupAfter = -1;
    nextTurn(after);
}

void Hand::nextTurn(int seat)
{
    // With the deck gone, players whose hands are empty are passed over.
    for (int k = 1; k <= m_players; ++k) {
        const int next = (seat + k) % m_players;
        if (!m_deck.isEmpty() || !m_hands.at(next).isEmpty()) {
            m_turn = next;
            m_phase = m_deck.isEmpty() ? Phase::Play : Phase::Draw;
            return;
        }
    }
    m_phase = Phase::Done;
}

void Hand::endIfStuck()
{
    if (m_phase == Phase::Done || !m_deck.isEmpty())
        return;
    for (int s = 0; s < m_players; ++s) {
        if (!m_hands.at(s).isEmpty())
            return;
    }
    m_phase = Phase::Done;
}

HandScore Hand::score(int team) const
{
    HandScore score;
    const Tableau &t = m_tableaus.at(team);
    score.miles = t.miles;
    score.safeties = int(t.safeties.size()) * 100 + (t.safeties.size() == 4 ? 300 : 0);
    score.coups = int(t.coups.size()) * 300;
    if (m_tripTeam == team) {
        score.trip = 400;
        score.delayed = m_deckWasEmpty ? 300 : 0;
        score.safeTrip = t.twoHundreds == 0 ? 300 : 0;
        bool shutOut = true;
        for (int other = 0; other < teams(); ++other) {
            if (other != team && m_tableaus.at(other).miles > 0)
                shutOut = false;
        }
        score.shutOut = shutOut ? 500 : 0;
    }
    return score;
}

// ---------------------------------------------------------------------------
// Computer players

namespace {

// How much a card is worth keeping; the lowest is discarded.
int keepValue(const Hand &hand, int seat, int card)
{
    const Tableau &own = hand.tableau(hand.teamOf(seat));
    if (isSafety(card))
        return 1000;
    if (isDistance(card)) {
        if (own.miles + milesOf(card) > TripMiles || (card == Miles200 && own.twoHundreds >= Max200s))
            return 0;
        return 10 + milesOf(card) / 25;
    }
    if (isRemedy(card)) {
        if (card == EndOfLimit ? own.has(RightOfWay) : card == Roll ? own.has(RightOfWay)
                                                                      : own.has(safetyFor(card - (Gasoline - OutOfGas))))
            return 1;
        const int copies = int(std::count(hand.hand(seat).begin(), hand.hand(seat).end(), card));
        return copies > 1 ? 5 : 20;
    }
    return 8;   // hazards
}

} // namespace

Move chooseMove(const Hand &hand, int seat)
{
    const int team = hand.teamOf(seat);
    const Tableau &own = hand.tableau(team);
    const QList<int> &cards = hand.hand(seat);
    const auto legal = [&](int card, int target) { return hand.whyNot(seat, card, target).isEmpty(); };
    const auto play = [](int card, int target) { return Move{Move::Kind::Play, card, target}; };

    // A safety that ends what holds the car back.
    for (const int card : cards) {
        if (!isSafety(card))
            continue;
        const int top = own.battleTop();
        if ((isHazard(top) && safetyFor(top) == card) || (card == RightOfWay && own.limited()))
            return play(card, team);
    }
    // Get going again.
    if (!own.rolling()) {
        const int top = own.battleTop();
        if (isHazard(top) && top != Stop && cards.contains(remedyFor(top)))
            return play(remedyFor(top), team);
        if (cards.contains(Roll) && legal(Roll, team))
            return play(Roll, team);
    }
    if (own.limited() && cards.contains(EndOfLimit) && !cards.contains(Miles25) && !cards.contains(Miles50))
        return play(EndOfLimit, team);
    // Hold up the team furthest ahead.
    QList<int> rivals;
    for (int t = 0; t < hand.teams(); ++t) {
        if (t != team)
            rivals.append(t);
    }
    std::stable_sort(rivals.begin(), rivals.end(),
                     [&](int a, int b) { return hand.tableau(a).miles > hand.tableau(b).miles; });
    for (const int rival : rivals) {
        for (const int card : cards) {
            if (isHazard(card) && card != SpeedLimit && legal(card, rival))
                return play(card, rival);
        }
    }
    // Drive as far as possible.
    int best = -1;
    for (const int card : cards) {
        if (isDistance(card) && legal(card, team) && (best < 0 || milesOf(card) > milesOf(best)))
            best = card;
    }
    if (best >= 0)
        return play(best, team);
    for (const int rival : rivals) {
        if (cards.contains(SpeedLimit) && legal(SpeedLimit, rival) && hand.tableau(rival).miles > 0)
            return play(SpeedLimit, rival);
    }
    if (own.limited() && cards.contains(EndOfLimit))
        return play(EndOfLimit, team);
    // Safeties wait for a coup, until the deck runs out.
    int worst = -1;
    for (const int card : cards) {
        if (worst < 0 || keepValue(hand, seat, card) < keepValue(hand, seat, worst))
            worst = card;
    }
    if (worst >= 0 && (isSafety(worst) || hand.deckLeft() == 0)) {
        for (const int card : cards) {
            if (isSafety(card))
                return play(card, team);
        }
    }
    return Move{Move::Kind::Discard, worst, -1};
}

bool gameOver(const QList<int> &totals)
{
    return std::any_of(totals.begin(), totals.end(), [](int t) { return t >= GameScore; });
}

QList<int> winners(const QList<int> &totals)
{
    QList<int> best;
    const int top = totals.isEmpty() ? 0 : *std::max_element(totals.begin(), totals.end());
    for (int t = 0; t < totals.size(); ++t) {
        if (totals.at(t) == top)
            best.append(t);
    }
    return best;
}

} // namespace Race
