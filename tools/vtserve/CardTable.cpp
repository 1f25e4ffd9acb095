#include "CardTable.h"

#include <algorithm>

#include "ServerBytes.h"

using namespace Hearts;
using CardPainter::Place;

CardTable::CardTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing)
    : SeatedTable(host, std::move(title), seed, timing)
{
    for (int s = 0; s < 4; ++s)
        m_seats[s].botName = BotName(s);
}

// ---------------------------------------------------------------------------
// Seats and views

QList<int> CardTable::viewers() const
{
    QList<int> ids;
    for (const NodePlayer &p : members())
        ids.append(p.id);
    return ids;
}

int CardTable::viewSeat(int id) const
{
    const int seat = seatOf(id);
    return seat >= 0 ? seat : 0;
}

QList<int> CardTable::shownHand(int seat) const
{
    if (!m_round || seat < 0)
        return {};
    QList<int> hand = m_round->hand(seat);
    if (m_round->phase() == Round::Phase::Passing && m_round->hasPassed(seat)) {
        for (const Card c : m_round->passedBy(seat))
            hand.removeOne(c);
    }
    return hand;
}

QByteArray CardTable::statusFor(int id) const
{
    const int seat = seatOf(id);
    if (seat >= 0 && !m_seats.at(seat).note.isEmpty())
        return m_seats.at(seat).note;
    switch (m_stage) {
    case Stage::Idle:
        return "Waiting for players.";
    case Stage::Passing:
        if (seat < 0)
            return "You are watching. The players pass three cards " + passWord(m_round->pass()) + '.';
        if (m_round->hasPassed(seat))
            return "Waiting for the others to pass.";
        return "Choose three cards to pass " + passWord(m_round->pass()) + " ("
            + QByteArray::number(m_seats.at(seat).chosen.size()) + " chosen), then press Pass.";
    case Stage::Playing:
        if (seat >= 0 && m_round->turn() == seat) {
            if (m_round->tricksPlayed() == 0 && m_round->currentTrick().cards.isEmpty())
                return "Your turn: lead the 2 of clubs.";
            return "Your turn: click a card to play it.";
        }
        return nameOf(m_round->turn()) + " to play." + (seat < 0 ? " You are watching." : "");
    case Stage::TrickShown: {
        const int winner = m_round->lastTrick().winner;
        return (winner == seat ? QByteArray("You take") : nameOf(winner) + " takes") + " the trick.";
    }
    case Stage::HandOver: {
        const int shooter = m_round->moonShooter();
        if (shooter >= 0)
            return nameOf(shooter) + " shot the moon! The next hand comes in a moment.";
        return "The hand is over. The next hand comes in a moment.";
    }
    case Stage::GameOver: {
        QByteArray names;
        for (const int s : winners(m_totals))
            names += (names.isEmpty() ? "" : " and ") + nameOf(s);
        return "Game over: " + names + " won. Press New Game to play again.";
    }
    }
    return {};
}

CardPainter::TableView CardTable::viewFor(int id) const
{
    CardPainter::TableView view;
    const int viewer = viewSeat(id);
    const bool seated = seatOf(id) >= 0;
    view.title = title();
    if (m_round)
        view.handLine = "Hand " + QByteArray::number(m_handNumber + 1) + " - " + passWord(m_round->pass());
    view.heartsBroken = m_round && m_round->heartsBroken();
    for (int place = 0; place < 4; ++place) {
        const int seat = (viewer + place) % 4;
        CardPainter::SeatView &sv = view.seats[place];
        sv.name = nameOf(seat);
        sv.total = m_totals.at(seat);
        sv.viewer = seated && place == 0;
        if (m_round) {
            sv.handPoints = m_round->taken(seat);
            sv.turn = (m_stage == Stage::Playing || m_stage == Stage::TrickShown) && m_round->turn() == seat;
            sv.passed = m_stage == Stage::Passing && m_round->hasPassed(seat);
        }
    }
    if (m_round && (m_stage == Stage::Playing || m_stage == Stage::TrickShown)) {
        const Round::Trick &trick = m_stage == Stage::TrickShown ? m_round->lastTrick() : m_round->currentTrick();
        for (int i = 0; i < trick.cards.size(); ++i) {
            const int seat = (trick.leader + i) % 4;
            view.trick.append({Place((seat - viewer + 4) % 4), trick.cards.at(i)});
        }
    }
    if (seated) {
        const int seat = seatOf(id);
        view.hand = shownHand(seat);
        view.raised = m_stage == Stage::Passing ? QSet<int>(m_seats.at(seat).chosen.begin(), m_seats.at(seat).chosen.end())
                                                : m_seats.at(seat).raised;
    }
    view.status = statusFor(id);
    return view;
}

// ---------------------------------------------------------------------------
// Painting

void CardTable::paintButtons(int id)
{
    const int seat = seatOf(id);
    if (seat < 0)
        return;
    Seat &s = m_seats[seat];
    const bool pass = m_stage == Stage::Passing && !m_round->hasPassed(seat);
    sendTo(id, CardPainter::Buttons(pass, true, &s.buttons));
}

void CardTable::paintAll(int id)
{
    sendTo(id, CardPainter::FullTable(viewFor(id)));
    paintButtons(id);
}

void CardTable::paintHand(int id)
{
    const CardPainter::TableView view = viewFor(id);
    sendTo(id, CardPainter::Hand(view.hand, view.raised) + CardPainter::Status(view.status) + CardPainter::Refresh());
}

void CardTable::paintStatus(int id)
{
    sendTo(id, CardPainter::Status(statusFor(id)));
}

void CardTable::paintEveryone()
{
    for (const int id : viewers())
        paintAll(id);
}

// ---------------------------------------------------------------------------
// Arrivals and departures

QByteArray CardTable::captionFor(const NodePlayer &) const
{
    return title() + " - Hearts";
}

void CardTable::arrived(const NodePlayer &player)
{
    const int seat = freeSeatFor(player.name);
    const bool wasEmpty = humans() == 0;
    tell(player.id, ServerBytes::ServiceLine('9', "Hearts: avoid the hearts and the queen of spades; the lowest score wins when somebody reaches 100."));
    if (seat < 0) {
        m_watchers.append(player.id);
        tell(player.id, ServerBytes::ServiceLine('8', "All four seats are taken; you watch until one is free."));
    } else {
        seatPerson(seat, player);
        if (m_stage == Stage::Playing && m_round->turn() == seat)
            m_humanDueAt = host().now() + m_timing.humanMs;
        tellAll(ServerBytes::ServiceLine('5', player.name + " takes the seat of " + m_seats.at(seat).botName + '.'), player.id);
    }
    if (m_stage == Stage::Idle || (wasEmpty && keptTooLong())) {
        newGame();
        return;
    }
    if (wasEmpty) {
        m_humanDueAt = host().now() + m_timing.humanMs;
        scheduleBot();
    }
    paintAll(player.id);
    for (const int id : viewers()) {
        if (id != player.id) {
            const CardPainter::TableView view = viewFor(id);
            sendTo(id, CardPainter::Names(view) + CardPainter::Scoreboard(view));
        }
    }
}

void CardTable::departed(const NodePlayer &player)
{
    m_watchers.removeAll(player.id);
    const int seat = seatOf(player.id);
    if (seat < 0)
        return;
    Seat &s = m_seats[seat];
    unseat(seat, player);
    s.chosen.clear();
    s.raised.clear();
    seatWatchers();
    if (humans() == 0) {
        m_emptySince = host().now();
        return;
    }
    if (!human(seat)) {
        tellAll(ServerBytes::ServiceLine('5', s.botName + " plays for " + player.name + '.'));
        if (m_stage == Stage::Passing && !m_round->hasPassed(seat))
            passCards(seat);
    }
    if (m_stage == Stage::Playing)
        scheduleBot();
    for (const int id : viewers()) {
        const CardPainter::TableView view = viewFor(id);
        sendTo(id, CardPainter::Names(view) + CardPainter::Scoreboard(view));
    }
}

void CardTable::seatWatchers()
{
    for (int s = 0; s < 4 && !m_watchers.isEmpty(); ++s) {
        if (human(s))
            continue;
        const int id = m_watchers.takeFirst();
        m_seats[s].id = id;
        m_seats[s].buttons.clear();
        tell(id, ServerBytes::ServiceLine('5', "A seat is free: you play now."));
        paintAll(id);
    }
}

// ---------------------------------------------------------------------------
// Input

void CardTable::press(int id, int column, int row)
{
    const int seat = seatOf(id);
    if (seat < 0 || !m_round) {
        paintStatus(id);   // every press gets an answer: the client waits for one
        return;
    }
    m_seats[seat].note.clear();
    const QList<int> hand = shownHand(seat);
    const int index = CardPainter::CardAt(int(hand.size()), column, row);
    if (index < 0) {
        paintStatus(id);
        return;
    }
    const int card = hand.at(index);
    if (m_stage == Stage::TrickShown && m_round->turn() == seat)
        collect();   // the next leader need not wait for the trick to go
    switch (m_stage) {
    case Stage::Passing:
        if (!m_round->hasPassed(seat))
            choose(seat, card);
        else
            paintStatus(id);
        return;
    case Stage::Playing:
        if (m_round->turn() == seat) {
            const QByteArray why = m_round->whyNot(seat, card);
            if (why.isEmpty()) {
                play(seat, card);
                return;
            }
            m_seats[seat].note = why;
        }
        paintStatus(id);
        m_seats[seat].note.clear();
        return;
    default:
        paintStatus(id);
        return;
    }
}

void CardTable::choose(int seat, int card)
{
    Seat &s = m_seats[seat];
    if (s.chosen.contains(card))
        s.chosen.removeAll(card);
    else if (s.chosen.size() < 3)
        s.chosen.append(card);
    else
        s.note = "You have chosen three cards; click one of them to keep it.";
    paintHand(s.id);
    s.note.clear();
}

void CardTable::button(int id, const QByteArray &name)
{
    const int seat = seatOf(id);
    if (seat < 0)
        return;
    Seat &s = m_seats[seat];
    if (name == CardPainter::PassButton) {
        if (m_stage != Stage::Passing || m_round->hasPassed(seat))
            return;
        if (s.chosen.size() != 3) {
            s.note = "Choose three cards first: click them in your hand.";
            paintStatus(id);
            s.note.clear();
            return;
        }
        passCards(seat);
    } else if (name == CardPainter::NewGameButton) {
        if (m_stage == Stage::GameOver) {
            newGame();
            return;
        }
        if (askForNewGame(seat))
            newGame();
    }
}

// ---------------------------------------------------------------------------
// The game

void CardTable::newGame()
{
    m_totals = {};
    m_handNumber = 0;
    clearVotes();
    tellAll(ServerBytes::ServiceLine('5', "A new game of Hearts begins."));
    deal();
}

void CardTable::deal()
{
    Hands hands;
    if (m_nextDeal) {
        hands = *m_nextDeal;
        m_nextDeal.reset();
    } else {
        hands = Hearts::deal(random());
    }
    m_round.emplace(hands, passOf(m_handNumber));
    for (Seat &s : m_seats) {
        s.chosen.clear();
        s.raised.clear();
        s.note.clear();
    }
    if (m_round->phase() == Round::Phase::Passing) {
        m_stage = Stage::Passing;
        m_humanDueAt = host().now() + m_timing.humanMs;
        for (int s = 0; s < 4; ++s) {
            if (!human(s))
                m_round->setPass(s, choosePass(m_round->hand(s)));
        }
        tellAll(ServerBytes::ServiceLine('9', "Hand " + QByteArray::number(m_handNumber + 1) + ": pass three cards "
                                                  + passWord(m_round->pass()) + '.'));
    } else {
        m_stage = Stage::Playing;
        tellAll(ServerBytes::ServiceLine('9', "Hand " + QByteArray::number(m_handNumber + 1) + ": no passing this time."));
        scheduleBot();
    }
    paintEveryone();
}

void CardTable::passCards(int seat, bool automatic)
{
    Seat &s = m_seats[seat];
    const QList<int> cards = human(seat) && !automatic ? s.chosen : choosePass(m_round->hand(seat));
    if (!m_round->setPass(seat, cards))
        return;
    s.chosen.clear();
    if (m_round->phase() == Round::Phase::Passing) {
        if (s.id >= 0) {
            paintHand(s.id);
            paintButtons(s.id);
        }
        for (const int id : viewers())
            sendTo(id, CardPainter::Names(viewFor(id)));
        return;
    }
    // Everybody has passed: the cards change hands and play begins.
    m_stage = Stage::Playing;
    for (int k = 0; k < 4; ++k) {
        const QList<int> received = m_round->receivedBy(k);
        m_seats[k].raised = QSet<int>(received.begin(), received.end());
    }
    for (const int id : viewers()) {
        const CardPainter::TableView view = viewFor(id);
        sendTo(id, CardPainter::Names(view) + CardPainter::Hand(view.hand, view.raised)
                       + CardPainter::Status(view.status) + CardPainter::Refresh());
        paintButtons(id);
    }
    scheduleBot();
}

void CardTable::scheduleBot()
{
    if (m_stage != Stage::Playing || !m_round || m_round->turn() < 0)
        return;
    if (human(m_round->turn()))
        m_humanDueAt = host().now() + m_timing.humanMs;
    else
        m_dueAt = host().now() + m_timing.botMs;
}

void CardTable::play(int seat, int card)
{
    const Round::Played result = m_round->play(seat, card);
    if (!result.ok)
        return;
    m_seats[seat].raised.clear();
    if (result.trickDone) {
        m_stage = Stage::TrickShown;
        m_dueAt = host().now() + m_timing.trickMs;
    }
    for (const int id : viewers()) {
        const int viewer = viewSeat(id);
        const CardPainter::TableView view = viewFor(id);
        QByteArray bytes = CardPainter::TrickCard(Place((seat - viewer + 4) % 4), card) + CardPainter::Names(view);
        if (seatOf(id) == seat)
            bytes += CardPainter::Hand(view.hand, view.raised);
        bytes += CardPainter::Status(view.status) + CardPainter::Refresh();
        sendTo(id, bytes);
    }
    if (!result.trickDone)
        scheduleBot();
}

void CardTable::collect()
{
    if (m_stage != Stage::TrickShown)
        return;
    const bool done = m_round->phase() == Round::Phase::Done;
    if (done)
        handOver();
    else
        m_stage = Stage::Playing;
    for (const int id : viewers()) {
        const CardPainter::TableView view = viewFor(id);
        sendTo(id, CardPainter::TrickTaken() + CardPainter::FeltAndNames(view) + CardPainter::Scoreboard(view)
                       + CardPainter::Status(view.status));
        if (m_stage == Stage::GameOver)
            paintButtons(id);
    }
    if (!done)
        scheduleBot();
}

void CardTable::handOver()
{
    const std::array<int, 4> scores = m_round->handScores();
    QByteArray line = "Hand " + QByteArray::number(m_handNumber + 1) + ':';
    for (int s = 0; s < 4; ++s) {
        m_totals[s] += scores.at(s);
        line += ' ' + nameOf(s) + ' ' + QByteArray::number(scores.at(s)) + (s < 3 ? "," : ".");
    }
    tellAll(ServerBytes::ServiceLine('9', line));
    if (m_round->moonShooter() >= 0)
        tellAll(ServerBytes::ServiceLine('8', nameOf(m_round->moonShooter()) + " shot the moon!"));
    if (gameOver(m_totals)) {
        finishGame();
        return;
    }
    m_stage = Stage::HandOver;
    m_dueAt = host().now() + m_timing.handOverMs;
}

void CardTable::finishGame()
{
    m_stage = Stage::GameOver;
    QByteArray line = "Game over:";
    for (int s = 0; s < 4; ++s)
        line += ' ' + nameOf(s) + ' ' + QByteArray::number(m_totals.at(s)) + (s < 3 ? "," : ".");
    tellAll(ServerBytes::ServiceLine('8', line));
    QByteArray names;
    for (const int s : winners(m_totals))
        names += (names.isEmpty() ? "" : " and ") + nameOf(s);
    tellAll(ServerBytes::ServiceLine('5', "\x1b[B" + names + " won the game!\x1b]"));
    // The lowest score wins.
    rate([this](int seat, int other) {
        const int own = m_totals.at(seat);
        const int theirs = m_totals.at(other);
        return own < theirs ? 1.0 : own == theirs ? 0.5 : 0.0;
    });
}

void CardTable::tick()
{
    if (m_stage == Stage::Idle || !m_round || humans() == 0)
        return;
    if (host().now() >= m_humanDueAt && (m_stage == Stage::Passing || m_stage == Stage::Playing)) {
        // Nobody waits for ever: the computer moves for a person who does not.
        if (m_stage == Stage::Passing) {
            for (int seat = 0; seat < 4 && m_stage == Stage::Passing; ++seat) {
                if (human(seat) && !m_round->hasPassed(seat)) {
                    tellAll(ServerBytes::ServiceLine('8', "The computer passed for " + nameOf(seat) + '.'));
                    passCards(seat, true);
                }
            }
            return;
        }
        const int seat = m_round->turn();
        if (seat >= 0 && human(seat)) {
            tellAll(ServerBytes::ServiceLine('8', "The computer played for " + nameOf(seat) + '.'));
            play(seat, chooseCard(*m_round, seat));
            return;
        }
    }
    if (host().now() < m_dueAt)
        return;
    switch (m_stage) {
    case Stage::Playing: {
        const int seat = m_round->turn();
        if (seat >= 0 && !human(seat))
            play(seat, chooseCard(*m_round, seat));
        break;
    }
    case Stage::TrickShown:
        collect();
        break;
    case Stage::HandOver:
        ++m_handNumber;
        deal();
        break;
    default:
        break;
    }
}

QByteArray CardTable::detail() const
{
    return seatsDetail("Hearts", "Hearts; computers fill empty seats");
}
