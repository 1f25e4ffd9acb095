#include "RaceTable.h"

#include <algorithm>

#include "ServerBytes.h"

using namespace Race;
using RacePainter::Target;

namespace {

QByteArray lower(const QByteArray &text)
{
    return text.toLower();
}

QByteArray coupLine(const QByteArray &name, int hazard)
{
    return ServerBytes::ServiceLine('5', "\x1b[BCoup!\x1b] " + name + " answers the " + lower(Race::nameOf(hazard)) + " with "
                                             + lower(Race::nameOf(Race::safetyFor(hazard))) + '.');
}

} // namespace

RaceTable::RaceTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing)
    : SeatedTable(host, std::move(title), seed, timing)
{
}

// ---------------------------------------------------------------------------
// Seats and views

QByteArray RaceTable::teamName(int team) const
{
    QByteArray names;
    for (int s = 0; s < m_seats.size(); ++s) {
        if (m_hand->teamOf(s) == team)
            names += (names.isEmpty() ? "" : " & ") + nameOf(s);
    }
    return names;
}

int RaceTable::actor() const
{
    if (m_stage != Stage::Playing || !m_hand)
        return -1;
    switch (m_hand->phase()) {
    case Race::Hand::Phase::Coup: return m_hand->coupSeat();
    case Race::Hand::Phase::Done: return -1;
    default: return m_hand->turn();
    }
}

int RaceTable::viewTeam(int id) const
{
    const int seat = seatOf(id);
    return seat >= 0 && m_hand ? m_hand->teamOf(seat) : 0;
}

QByteArray RaceTable::statusFor(int id) const
{
    const int seat = seatOf(id);
    if (seat >= 0 && !m_seats.at(seat).note.isEmpty())
        return m_seats.at(seat).note;
    switch (m_stage) {
    case Stage::Idle:
        return "Waiting for players.";
    case Stage::Playing: {
        const int who = actor();
        if (m_hand->phase() == Race::Hand::Phase::Coup) {
            if (who == seat)
                return "Coup! Press Coup! (or your " + lower(Race::nameOf(safetyFor(m_hand->coupHazard())))
                    + ") against the " + lower(Race::nameOf(m_hand->coupHazard())) + ", or Let it go.";
            return nameOf(who) + " may answer with a coup.";
        }
        if (who == seat) {
            if (m_hand->phase() == Race::Hand::Phase::Draw)
                return "Your turn: press Draw (or the deck).";
            const int picked = pickedCard(seat);
            if (picked >= 0)
                return Race::nameOf(picked) + ": now press the piles it goes on, Discard, or the card again.";
            return "Press a card to play, then the piles it goes on; or a card and Discard.";
        }
        return nameOf(who) + " to play." + (seat < 0 ? " You are watching." : "");
    }
    case Stage::HandOver:
        return "The hand is over. The next hand comes in a moment.";
    case Stage::GameOver: {
        QByteArray names;
        for (const int team : winners(m_totals))
            names += (names.isEmpty() ? "" : " and ") + teamName(team);
        return "Game over: " + names + " won. Press New Game to play again.";
    }
    }
    return {};
}

RacePainter::RaceView RaceTable::viewFor(int id) const
{
    RacePainter::RaceView view;
    view.title = title();
    view.status = statusFor(id);
    if (!m_hand)
        return view;
    const int teams = m_hand->teams();
    view.handLine = "Hand " + QByteArray::number(m_handNumber + 1) + " - "
        + (m_hand->players() == 4 ? QByteArray("two teams") : QByteArray::number(m_hand->players()) + " players")
        + " - game to " + QByteArray::number(GameScore);
    const int own = viewTeam(id);
    const int who = actor();
    for (int k = 0; k < teams; ++k) {
        const int team = (own + k) % teams;
        const Tableau &t = m_hand->tableau(team);
        RacePainter::TeamView tv;
        tv.names = teamName(team);
        tv.miles = t.miles;
        tv.total = m_totals.value(team);
        tv.battleTop = t.battleTop();
        tv.speedTop = t.speed.isEmpty() ? -1 : t.speed.last();
        tv.safeties = t.safeties;
        tv.coups = int(t.coups.size());
        tv.turn = who >= 0 && m_hand->teamOf(who) == team;
        view.teams.append(tv);
    }
    const int seat = seatOf(id);
    if (seat >= 0) {
        view.hand = m_hand->hand(seat);
        const int picked = m_seats.at(seat).selected;
        view.selected = picked < view.hand.size() ? picked : -1;
    }
    view.deckLeft = m_hand->deckLeft();
    view.discardTop = m_hand->discardTop();
    return view;
}

// ---------------------------------------------------------------------------
// Painting

void RaceTable::paintButtons(int id)
{
    const int seat = seatOf(id);
    if (seat < 0)
        return;
    int wanted = RacePainter::NewGame;
    if (m_seats.at(seat).choosing)
        wanted = RacePainter::TwoPlayers | RacePainter::ThreePlayers | RacePainter::TwoTeams;
    else if (actor() == seat) {
        switch (m_hand->phase()) {
        case Race::Hand::Phase::Draw: wanted |= RacePainter::Draw; break;
        case Race::Hand::Phase::Play: wanted |= RacePainter::Discard; break;
        case Race::Hand::Phase::Coup: wanted |= RacePainter::Coup | RacePainter::LetGo; break;
        case Race::Hand::Phase::Done: break;
        }
    }
    sendTo(id, RacePainter::Buttons(wanted, &m_seats[seat].buttons));
}

void RaceTable::paintAll(int id)
{
    sendTo(id, RacePainter::FullTable(viewFor(id)));
    paintButtons(id);
}

void RaceTable::paintStatus(int id)
{
    // A line alone would be written over the last one: the table is painted whole.
    paintAll(id);
}

void RaceTable::paintEveryone()
{
    for (const NodePlayer &p : members())
        paintAll(p.id);
}

// ---------------------------------------------------------------------------
// Arrivals and departures

QByteArray RaceTable::captionFor(const NodePlayer &) const
{
    // "Table" in the caption gives the client its table menu entries.
    return title() + " Table - touring race";
}

void RaceTable::arrived(const NodePlayer &player)
{
    tell(player.id, ServerBytes::ServiceLine('9', "The touring race: 1000 miles a hand, 5000 points a game. Draw, then press a "
                                                  "card and the piles it goes on. New Game chooses two or three players or "
                                                  "two teams."));
    const bool wasEmpty = humans() == 0;
    const int seat = freeSeatFor(player.name);
    if (m_stage == Stage::Idle || (wasEmpty && keptTooLong())) {
        m_watchers.append(player.id);
        newGame();
        return;
    }
    if (seat < 0) {
        m_watchers.append(player.id);
        tell(player.id, ServerBytes::ServiceLine('8', "Every seat is taken; you watch until one is free or a new game starts."));
    } else {
        tellAll(ServerBytes::ServiceLine('5', player.name + " takes the seat of " + m_seats.at(seat).botName + '.'), player.id);
        seatPerson(seat, player);
        m_seats[seat].selected = -1;
    }
    if (wasEmpty || actor() == seat)
        schedule();
    paintAll(player.id);
    for (const NodePlayer &p : members()) {
        if (p.id != player.id)
            paintAll(p.id);
    }
}

void RaceTable::departed(const NodePlayer &player)
{
    m_watchers.removeAll(player.id);
    const int seat = seatOf(player.id);
    if (seat < 0)
        return;
    Seat &s = m_seats[seat];
    unseat(seat, player);
    s.selected = -1;
    if (!m_watchers.isEmpty()) {
        s.id = m_watchers.takeFirst();
        tell(s.id, ServerBytes::ServiceLine('5', "A seat is free: you play now."));
        paintAll(s.id);
    }
    if (humans() == 0) {
        m_emptySince = host().now();
        return;
    }
    if (!human(seat))
        tellAll(ServerBytes::ServiceLine('5', s.botName + " drives for " + player.name + '.'));
    schedule();
    paintEveryone();
}

// ---------------------------------------------------------------------------
// Input

void RaceTable::press(int id, int column, int row)
{
    const int seat = seatOf(id);
    if (seat >= 0 && m_seats.at(seat).choosing) {
        // A press on the table puts the choice of a new game away.
        m_seats[seat].choosing = false;
        paintButtons(id);
    }
    if (seat < 0 || m_stage != Stage::Playing) {
        paintStatus(id);   // every press gets an answer: the client waits for one
        return;
    }
    m_seats[seat].note.clear();
    const RacePainter::RaceView view = viewFor(id);
    const Target target = RacePainter::TargetAt(view, column, row);
    switch (target.kind) {
    case Target::Kind::HandCard:
        pressCard(seat, target.index);
        break;
    case Target::Kind::Team:
        playTo(seat, (viewTeam(id) + target.index) % m_hand->teams());
        break;
    case Target::Kind::Deck:
        drawFor(seat);
        break;
    case Target::Kind::Discard:
        button(id, RacePainter::DiscardButton);
        break;
    case Target::Kind::None:
        paintStatus(id);
        break;
    }
    if (hasMember(id) && seatOf(id) == seat && !m_seats.at(seat).note.isEmpty()) {
        paintStatus(id);
        m_seats[seat].note.clear();
    }
}

int RaceTable::pickedCard(int seat) const
{
    const int index = m_seats.at(seat).selected;
    return m_hand && index >= 0 && index < m_hand->hand(seat).size() ? m_hand->hand(seat).at(index) : -1;
}

void RaceTable::pressCard(int seat, int index)
{
    Seat &s = m_seats[seat];
    const int card = m_hand->hand(seat).at(index);
    if (m_hand->phase() == Race::Hand::Phase::Coup && m_hand->coupSeat() == seat) {
        if (card == safetyFor(m_hand->coupHazard()))
            button(s.id, RacePainter::CoupButton);
        else
            s.note = "Press Coup! to play your " + lower(Race::nameOf(safetyFor(m_hand->coupHazard())))
                + ", or Let it go.";
        return;
    }
    if (actor() != seat) {
        s.note = "It is not your turn.";
        return;
    }
    if (m_hand->phase() == Race::Hand::Phase::Draw) {
        s.note = "Draw a card first: press Draw or the deck.";
        return;
    }
    if (s.selected == index) {
        const int team = m_hand->naturalTarget(seat, card);
        if (team < 0) {
            s.note = "Press the piles of the player the " + lower(Race::nameOf(card)) + " is for.";
            return;
        }
        playTo(seat, team);
        return;
    }
    s.selected = index;
    paintAll(s.id);
}

void RaceTable::playTo(int seat, int team)
{
    Seat &s = m_seats[seat];
    const int card = pickedCard(seat);
    if (card < 0) {
        s.note = actor() == seat ? "Press a card of your hand first." : "It is not your turn.";
        return;
    }
    const QByteArray why = m_hand->whyNot(seat, card, team);
    if (!why.isEmpty()) {
        s.note = why;
        return;
    }
    const QByteArray target = m_hand->teamOf(seat) == team ? QByteArray() : " on " + teamName(team);
    m_hand->play(seat, card, team);
    s.selected = -1;
    afterMove(nameOf(seat) + " plays " + lower(Race::nameOf(card)) + target + '.');
}

void RaceTable::drawFor(int seat)
{
    Seat &s = m_seats[seat];
    if (actor() != seat || m_hand->phase() != Race::Hand::Phase::Draw) {
        s.note = actor() == seat ? "You have drawn already: play or discard a card." : "It is not your turn.";
        return;
    }
    m_hand->draw(seat);
    schedule();
    paintEveryone();
}

void RaceTable::button(int id, const QByteArray &name)
{
    const int seat = seatOf(id);
    if (seat < 0)
        return;
    Seat &s = m_seats[seat];
    if (name == RacePainter::NewGameButton) {
        // The sizes of a new game take the buttons' places until one is
        // pressed, or the table.
        s.choosing = true;
        s.note = "New game: press 2 players, 3 players or Two teams; computers fill the rest.";
        paintStatus(id);
        s.note.clear();
        return;
    }
    if (const int players = RacePainter::PlayersOfButton(name)) {
        s.choosing = false;
        if (m_stage == Stage::GameOver || m_stage == Stage::Idle) {
            newGame(players);
            return;
        }
        if (players != m_wantedPlayers) {
            // Another size: the wishes for the one before do not count for it.
            m_wantedPlayers = players;
            for (Seat &other : m_seats)
                other.wantsNewGame = false;
        }
        if (askForNewGame(seat, "a new game of " + sizeWords(players)))
            newGame(players);
        else
            paintButtons(id);
        return;
    }
    if (m_stage != Stage::Playing)
        return;
    if (name == RacePainter::DrawButton) {
        drawFor(seat);
    } else if (name == RacePainter::DiscardButton) {
        if (actor() != seat || m_hand->phase() != Race::Hand::Phase::Play)
            s.note = m_hand->phase() == Race::Hand::Phase::Draw && actor() == seat ? "Draw a card first."
                                                                                  : "It is not your turn.";
        else if (pickedCard(seat) < 0)
            s.note = "Press the card to discard first, then Discard.";
        else {
            const int card = pickedCard(seat);
            m_hand->discard(seat, card);
            s.selected = -1;
            afterMove(nameOf(seat) + " discards " + lower(Race::nameOf(card)) + '.');
        }
    } else if (name == RacePainter::CoupButton) {
        const int hazard = m_hand->coupHazard();
        if (m_hand->playCoup(seat)) {
            s.selected = -1;
            tellAll(coupLine(nameOf(seat), hazard));
            afterMove({});
        }
    } else if (name == RacePainter::LetGoButton) {
        if (m_hand->phase() == Race::Hand::Phase::Coup && m_hand->coupSeat() == seat) {
            m_hand->passCoup(seat);
            afterMove({});
        }
    }
    if (hasMember(id) && seatOf(id) == seat && !m_seats.at(seat).note.isEmpty()) {
        paintStatus(id);
        m_seats[seat].note.clear();
    }
}

// ---------------------------------------------------------------------------
// The game

void RaceTable::autoMove(int seat)
{
    if (m_hand->phase() == Race::Hand::Phase::Coup) {
        const int hazard = m_hand->coupHazard();
        m_hand->playCoup(seat);
        tellAll(coupLine(nameOf(seat), hazard));
        afterMove({});
        return;
    }
    if (m_hand->phase() == Race::Hand::Phase::Draw)
        m_hand->draw(seat);
    m_seats[seat].selected = -1;
    const Move move = chooseMove(*m_hand, seat);
    if (move.kind == Move::Kind::Play) {
        const QByteArray target = m_hand->teamOf(seat) == move.team ? QByteArray() : " on " + teamName(move.team);
        m_hand->play(seat, move.card, move.team);
        afterMove(nameOf(seat) + " plays " + lower(Race::nameOf(move.card)) + target + '.');
    } else {
        m_hand->discard(seat, move.card);
        afterMove(nameOf(seat) + " discards " + lower(Race::nameOf(move.card)) + '.');
    }
}

void RaceTable::afterMove(const QByteArray &line)
{
    if (!line.isEmpty()) {
        // The moves go to the chat in grey: the table only shows the piles' tops.
        tellAll(ServerBytes::ServiceLine('9', line));
    }
    if (m_hand->phase() == Race::Hand::Phase::Done)
        handOver();
    else
        schedule();
    paintEveryone();
}

void RaceTable::schedule()
{
    const int who = actor();
    if (who < 0)
        return;
    if (human(who))
        m_humanDueAt = host().now() + m_timing.humanMs;
    else
        m_dueAt = host().now() + m_timing.botMs;
}

QByteArray RaceTable::sizeWords(int players)
{
    return players == 4 ? QByteArray("two teams of two") : QByteArray::number(players) + " players";
}

void RaceTable::newGame(int players)
{
    // As many seats as asked for, or as people here (two to four); people
    // beyond them watch, computers take the seats left.
    QList<int> people;
    for (const Seat &s : std::as_const(m_seats)) {
        if (s.id >= 0)
            people.append(s.id);
    }
    people += m_watchers;
    m_watchers.clear();
    const int count = players ? qBound(2, players, 4) : qBound(2, int(people.size()), 4);
    m_wantedPlayers = 0;
    QList<Seat> seats(count);
    for (int s = 0; s < count; ++s) {
        seats[s].botName = BotName(s);
        if (s < people.size()) {
            seats[s].id = people.at(s);
            const int old = seatOf(people.at(s));
            if (old >= 0)
                seats[s].buttons = m_seats.at(old).buttons;
            if (const NodePlayer *p = member(people.at(s)))
                seats[s].lastName = p->name;
        }
    }
    for (int k = count; k < people.size(); ++k) {
        // A player who watches now: their buttons go.
        if (const int old = seatOf(people.at(k)); old >= 0)
            sendTo(people.at(k), RacePainter::Buttons(0, &m_seats[old].buttons));
        m_watchers.append(people.at(k));
    }
    m_seats = seats;
    m_hand.reset();
    m_totals = QList<int>(count == 4 ? 2 : count, 0);
    m_handNumber = 0;
    clearVotes();
    tellAll(ServerBytes::ServiceLine('5', "A new race begins: " + sizeWords(count) + ", 1000 miles a hand, 5000 points to win."));
    deal();
}

void RaceTable::deal()
{
    QList<int> deck = m_nextDeck ? *m_nextDeck : shuffledDeck(random());
    m_nextDeck.reset();
    const int seats = int(m_seats.size());
    m_hand.emplace(seats, deck, (m_handNumber + seats - 1) % seats);
    for (Seat &s : m_seats) {
        s.selected = -1;
        s.note.clear();
    }
    m_stage = Stage::Playing;
    tellAll(ServerBytes::ServiceLine('9', "Hand " + QByteArray::number(m_handNumber + 1) + ": " + nameOf(m_hand->turn())
                                              + " starts."));
    schedule();
    for (const NodePlayer &p : members())
        paintAll(p.id);
}

void RaceTable::handOver()
{
    QByteArray line = "Hand " + QByteArray::number(m_handNumber + 1) + ':';
    for (int team = 0; team < m_hand->teams(); ++team) {
        const HandScore score = m_hand->score(team);
        m_totals[team] += score.total();
        QByteArray parts = QByteArray::number(score.miles) + " miles";
        const auto part = [&](int points, const char *what) {
            if (points)
                parts += ", " + QByteArray(what) + ' ' + QByteArray::number(points);
        };
        part(score.safeties, "safeties");
        part(score.coups, "coups");
        part(score.trip, "trip");
        part(score.delayed, "delayed action");
        part(score.safeTrip, "safe trip");
        part(score.shutOut, "shut-out");
        line += ' ' + teamName(team) + ' ' + QByteArray::number(score.total()) + " (" + parts + ");";
    }
    line.chop(1);
    tellAll(ServerBytes::ServiceLine('9', line + '.'));
    if (gameOver(m_totals)) {
        finishGame();
        return;
    }
    m_stage = Stage::HandOver;
    m_dueAt = host().now() + m_timing.handOverMs;
}

void RaceTable::finishGame()
{
    m_stage = Stage::GameOver;
    QByteArray line = "Game over:";
    for (int team = 0; team < m_totals.size(); ++team)
        line += ' ' + teamName(team) + ' ' + QByteArray::number(m_totals.at(team)) + (team + 1 < m_totals.size() ? "," : ".");
    tellAll(ServerBytes::ServiceLine('8', line));
    QByteArray names;
    for (const int team : winners(m_totals))
        names += (names.isEmpty() ? "" : " and ") + teamName(team);
    tellAll(ServerBytes::ServiceLine('5', "\x1b[B" + names + " won the race!\x1b]"));
    // Each seat of another team counts as a game; the highest total wins.
    rate([this](int seat, int other) {
        const int team = m_hand->teamOf(seat);
        if (m_hand->teamOf(other) == team)
            return -1.0;
        const int own = m_totals.at(team);
        const int theirs = m_totals.at(m_hand->teamOf(other));
        return own > theirs ? 1.0 : own == theirs ? 0.5 : 0.0;
    });
}

void RaceTable::tick()
{
    if (m_stage == Stage::Idle || !m_hand || humans() == 0)
        return;
    const qint64 t = host().now();
    if (m_stage == Stage::HandOver) {
        if (t >= m_dueAt) {
            ++m_handNumber;
            deal();
        }
        return;
    }
    const int who = actor();
    if (m_stage != Stage::Playing || who < 0)
        return;
    if (human(who)) {
        if (t < m_humanDueAt)
            return;
        // Nobody waits for ever: the computer moves for a person who does not.
        tellAll(ServerBytes::ServiceLine('8', "The computer moved for " + nameOf(who) + '.'));
    } else if (t < m_dueAt) {
        return;
    }
    autoMove(who);
}

QByteArray RaceTable::detail() const
{
    return seatsDetail("Race", "the touring race; computers fill empty seats");
}
