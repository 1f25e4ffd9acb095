#include "Hearts.h"

#include <QByteArray>

#include <algorithm>

namespace Hearts {

namespace {

const char *const RankWords[] = {"", "A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};
const char *const SuitWords[] = {"clubs", "diamonds", "hearts", "spades"};
// Code page 437 glyphs: 03 heart, 04 diamond, 05 club, 06 spade.
const char SuitGlyphs[] = {'\x05', '\x04', '\x03', '\x06'};

bool holds(const QList<Card> &hand, Card card) { return hand.contains(card); }

bool hasSuit(const QList<Card> &hand, int suit)
{
    return std::any_of(hand.begin(), hand.end(), [suit](Card c) { return suitOf(c) == suit; });
}

bool onlyPoints(const QList<Card> &hand)
{
    return std::all_of(hand.begin(), hand.end(), [](Card c) { return pointsOf(c) > 0; });
}

bool onlyHearts(const QList<Card> &hand)
{
    return std::all_of(hand.begin(), hand.end(), [](Card c) { return suitOf(c) == HeartSuit; });
}

Card lowest(const QList<Card> &cards)
{
    return *std::min_element(cards.begin(), cards.end(),
                             [](Card a, Card b) { return strengthOf(a) < strengthOf(b); });
}

Card highest(const QList<Card> &cards)
{
    return *std::max_element(cards.begin(), cards.end(),
                             [](Card a, Card b) { return strengthOf(a) < strengthOf(b); });
}

} // namespace

QByteArray nameOf(Card c)
{
    if (!isCard(c))
        return "?";
    return QByteArray(RankWords[rankOf(c)]) + " of " + SuitWords[suitOf(c)];
}

QByteArray shortNameOf(Card c)
{
    if (!isCard(c))
        return "?";
    return QByteArray(RankWords[rankOf(c)]) + SuitGlyphs[suitOf(c)];
}

Pass passOf(int handNumber)
{
    switch (((handNumber % 4) + 4) % 4) {
    case 0: return Pass::Left;
    case 1: return Pass::Right;
    case 2: return Pass::Across;
    default: return Pass::Keep;
    }
}

int passTarget(int seat, Pass pass)
{
    switch (pass) {
    case Pass::Left: return (seat + 1) % 4;
    case Pass::Right: return (seat + 3) % 4;
    case Pass::Across: return (seat + 2) % 4;
    case Pass::Keep: return seat;
    }
    return seat;
}

QByteArray passWord(Pass pass)
{
    switch (pass) {
    case Pass::Left: return "left";
    case Pass::Right: return "right";
    case Pass::Across: return "across";
    case Pass::Keep: return "no pass";
    }
    return {};
}

void sortHand(QList<Card> &hand)
{
    std::sort(hand.begin(), hand.end(), [](Card a, Card b) {
        return suitOf(a) != suitOf(b) ? suitOf(a) < suitOf(b) : strengthOf(a) < strengthOf(b);
    });
}

Hands deal(std::mt19937 &random)
{
    QList<Card> deck;
    for (Card c = 1; c <= 52; ++c)
        deck.append(c);
    std::shuffle(deck.begin(), deck.end(), random);
    Hands hands;
    for (int i = 0; i < 52; ++i)
        hands[i % 4].append(deck.at(i));
    for (QList<Card> &hand : hands)
        sortHand(hand);
    return hands;
}

int trickWinner(int leader, const QList<Card> &cards)
{
    if (cards.isEmpty())
        return -1;
    const int led = suitOf(cards.first());
    int best = 0;
    for (int i = 1; i < cards.size(); ++i) {
        if (suitOf(cards.at(i)) == led && strengthOf(cards.at(i)) > strengthOf(cards.at(best)))
            best = i;
    }
    return (leader + best) % 4;
}

bool gameOver(const std::array<int, 4> &totals)
{
    return std::any_of(totals.begin(), totals.end(), [](int t) { return t >= GameOverScore; });
}

QList<int> winners(const std::array<int, 4> &totals)
{
    const int low = *std::min_element(totals.begin(), totals.end());
    QList<int> seats;
    for (int s = 0; s < 4; ++s) {
        if (totals.at(s) == low)
            seats.append(s);
    }
    return seats;
}

// ---------------------------------------------------------------------------

Round::Round(const Hands &hands, Pass pass)
    : m_hands(hands)
    , m_pass(pass)
{
    for (QList<Card> &hand : m_hands)
        sortHand(hand);
    if (m_pass == Pass::Keep)
        startPlay();
}

void Round::startPlay()
{
    m_phase = Phase::Playing;
    for (int s = 0; s < 4; ++s) {
        if (holds(m_hands.at(s), TwoOfClubs))
            m_turn = s;
    }
    m_trick = Trick{m_turn, {}, -1};
}

bool Round::setPass(int seat, const QList<Card> &cards)
{
    if (m_phase != Phase::Passing || seat < 0 || seat > 3 || m_passed.at(seat) || cards.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (!holds(m_hands.at(seat), cards.at(i)) || cards.indexOf(cards.at(i)) != i)
            return false;
    }
    m_passes[seat] = cards;
    m_passed[seat] = true;
    if (std::all_of(m_passed.begin(), m_passed.end(), [](bool b) { return b; })) {
        for (int s = 0; s < 4; ++s) {
            for (const Card c : m_passes.at(s))
                m_hands[s].removeOne(c);
        }
        for (int s = 0; s < 4; ++s)
            m_hands[passTarget(s, m_pass)].append(m_passes.at(s));
        for (QList<Card> &hand : m_hands)
            sortHand(hand);
        startPlay();
    }
    return true;
}

QList<Card> Round::receivedBy(int seat) const
{
    if (m_pass == Pass::Keep || m_phase == Phase::Passing)
        return {};
    for (int s = 0; s < 4; ++s) {
        if (passTarget(s, m_pass) == seat)
            return m_passes.at(s);
    }
    return {};
}

QByteArray Round::whyNot(int seat, Card card) const
{
    if (m_phase == Phase::Passing)
        return "Pass three cards first.";
    if (m_phase != Phase::Playing)
        return "The hand is over.";
    if (seat != m_turn)
        return "It is not your turn.";
    const QList<Card> &hand = m_hands.at(seat);
    if (!holds(hand, card))
        return "That card is not in your hand.";
    const bool firstTrick = m_tricksPlayed == 0;
    if (m_trick.cards.isEmpty()) {
        if (firstTrick && card != TwoOfClubs)
            return "The 2 of clubs leads the first trick.";
        if (suitOf(card) == HeartSuit && !m_heartsBroken && !onlyHearts(hand))
            return "Hearts are not broken yet.";
        return {};
    }
    const int led = suitOf(m_trick.cards.first());
    if (suitOf(card) != led && hasSuit(hand, led))
        return QByteArray("Follow suit: play ") + (led == Clubs ? "a club." : led == Diamonds ? "a diamond." : led == HeartSuit ? "a heart." : "a spade.");
    if (firstTrick && pointsOf(card) > 0 && !onlyPoints(hand))
        return "No points on the first trick.";
    return {};
}

QList<Card> Round::legalCards(int seat) const
{
    QList<Card> cards;
    if (seat < 0 || seat > 3)
        return cards;
    for (const Card c : m_hands.at(seat)) {
        if (isLegal(seat, c))
            cards.append(c);
    }
    return cards;
}

Round::Played Round::play(int seat, Card card)
{
    Played result;
    if (!isLegal(seat, card))
        return result;
    m_hands[seat].removeOne(card);
    m_trick.cards.append(card);
    if (suitOf(card) == HeartSuit)
        m_heartsBroken = true;
    result.ok = true;
    if (m_trick.cards.size() < 4) {
        m_turn = (m_turn + 1) % 4;
        return result;
    }
    const int winner = trickWinner(m_trick.leader, m_trick.cards);
    m_trick.winner = winner;
    for (const Card c : m_trick.cards)
        m_taken[winner] += pointsOf(c);
    m_last = m_trick;
    ++m_tricksPlayed;
    result.trickDone = true;
    result.winner = winner;
    if (m_tricksPlayed == CardsPerHand) {
        m_phase = Phase::Done;
        m_turn = -1;
        m_trick = Trick{};
        result.roundDone = true;
    } else {
        m_turn = winner;
        m_trick = Trick{winner, {}, -1};
    }
    return result;
}

int Round::moonShooter() const
{
    for (int s = 0; s < 4; ++s) {
        if (m_taken.at(s) == 26)
            return s;
    }
    return -1;
}

std::array<int, 4> Round::handScores() const
{
    const int shooter = moonShooter();
    if (shooter < 0)
        return m_taken;
    std::array<int, 4> scores{};
    for (int s = 0; s < 4; ++s)
        scores[s] = s == shooter ? 0 : 26;
    return scores;
}

// ---------------------------------------------------------------------------
// Computer players

QList<Card> choosePass(const QList<Card> &hand)
{
    const int spades = int(std::count_if(hand.begin(), hand.end(), [](Card c) { return suitOf(c) == Spades; }));
    const auto danger = [spades](Card c) {
        if (c == QueenOfSpades)
            return spades >= 5 ? 20 : 100;
        if (suitOf(c) == Spades && strengthOf(c) > 12)
            return spades >= 5 ? 10 : 90 + strengthOf(c);
        if (suitOf(c) == HeartSuit)
            return 40 + strengthOf(c);
        return strengthOf(c) * 2;
    };
    QList<Card> sorted = hand;
    std::stable_sort(sorted.begin(), sorted.end(), [&](Card a, Card b) { return danger(a) > danger(b); });
    return sorted.mid(0, 3);
}

Card chooseCard(const Round &round, int seat)
{
    const QList<Card> legal = round.legalCards(seat);
    if (legal.isEmpty())
        return 0;
    if (legal.size() == 1)
        return legal.first();
    const Round::Trick &trick = round.currentTrick();

    if (trick.cards.isEmpty()) {
        // Lead low in a suit without points; keep the dangerous spades back.
        QList<Card> safe;
        for (const Card c : legal) {
            if (pointsOf(c) == 0 && !(suitOf(c) == Spades && strengthOf(c) >= 12))
                safe.append(c);
        }
        return lowest(safe.isEmpty() ? legal : safe);
    }

    const int led = suitOf(trick.cards.first());
    if (suitOf(legal.first()) == led) {
        int winning = 0;
        int points = 0;
        for (const Card c : trick.cards) {
            if (suitOf(c) == led)
                winning = std::max(winning, strengthOf(c));
            points += pointsOf(c);
        }
        QList<Card> below;
        for (const Card c : legal) {
            if (strengthOf(c) < winning)
                below.append(c);
        }
        if (!below.isEmpty())
            return highest(below);   // duck as high as possible
        QList<Card> noQueen = legal;
        noQueen.removeAll(QueenOfSpades);
        if (noQueen.isEmpty())
            return legal.first();
        // Must win it: last to play takes it with the biggest card when it
        // carries no points; otherwise as cheaply as possible.
        if (trick.cards.size() == 3 && points == 0)
            return highest(noQueen);
        return lowest(noQueen);
    }

    // Void in the suit led: shed the queen, then the high spades, then hearts.
    if (legal.contains(QueenOfSpades))
        return QueenOfSpades;
    for (const Card c : {cardOf(Spades, 1), cardOf(Spades, 13)}) {
        if (legal.contains(c))
            return c;
    }
    QList<Card> hearts;
    for (const Card c : legal) {
        if (suitOf(c) == HeartSuit)
            hearts.append(c);
    }
    return highest(hearts.isEmpty() ? legal : hearts);
}

} // namespace Hearts
