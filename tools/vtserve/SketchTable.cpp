#include "SketchTable.h"

#include <algorithm>

#include "ProtocolMarkers.h"
#include "ServerBytes.h"

using SketchRules::Piece;

namespace {

constexpr qsizetype MaxDrawing = 256 * 1024;
constexpr int RecentWords = 40;

// Status texts end at "}", drawing labels at "]".
QByteArray plain(const QByteArray &text)
{
    QByteArray out = text;
    out.replace('}', ')').replace(']', ')').replace('\x1b', ' ');
    return out;
}

} // namespace

const QByteArray SketchTable::ClearDrawing = "\x1b[47J";
const QByteArray SketchTable::ArtistOn = "\x1b[*";
const QByteArray SketchTable::ArtistOff = "\x1b[@";

SketchTable::SketchTable(NodeHost &host, QByteArray title, quint32 seed, QList<SketchWord> words, SketchTiming timing)
    : GameNode(host, std::move(title), seed)
    , m_words(std::move(words))
    , m_timing(timing)
{
    if (m_words.isEmpty())
        m_words = WordList::BuiltIn();
}

QByteArray SketchTable::Status(const QByteArray &text)
{
    return "\x1b[Z" + plain(text) + '}';
}

QByteArray SketchTable::Label(int x, int y, int size, int code, const QByteArray &text)
{
    return "\x1b[" + QByteArray::number(x) + ';' + QByteArray::number(y) + ';' + QByteArray::number(size) + ';'
        + QByteArray::number(code) + 'Z' + plain(text) + ']';
}

QByteArray SketchTable::Gauge(int percent)
{
    return "\x1b[" + QByteArray::number(qBound(0, percent, 100)) + 'P';
}

QByteArray SketchTable::WordValue(int value)
{
    return "Word Value is " + QByteArray::number(value) + " Points]";
}

// The sketch client looks for "Guess?:", "Score:" and "Round#:" in the whole
// rest of a read after the chat marker and drops or misplaces whatever stands
// around them, so the messages holding them always travel alone.
QByteArray SketchTable::GuessLine(const QByteArray &text)
{
    return Marker::ChatMarker + "Guess?:" + text + "\r\n";
}

QByteArray SketchTable::HintMark(int row, int icon)
{
    return Marker::ChatMarker + "Guess?:\x1b[0;0;" + QByteArray::number(row) + ";1G" + QByteArray::number(icon) + '\xb7';
}

QByteArray SketchTable::nameOf(int id) const
{
    const NodePlayer *p = member(id);
    return p ? p->name : QByteArray("?");
}

void SketchTable::toAll(const QByteArray &bytes, int except, bool alone)
{
    for (const int id : std::as_const(m_order)) {
        if (id != except)
            sendTo(id, bytes, alone);
    }
}

int SketchTable::percentLeft() const
{
    if (m_timing.roundMs <= 0)
        return 0;
    const qint64 left = qMax<qint64>(0, m_dueAt - host().now());
    return int((left * 100 + m_timing.roundMs - 1) / m_timing.roundMs);
}

QByteArray SketchTable::detail() const
{
    if (m_order.isEmpty())
        return "sketch and guess; nobody here";
    if (m_stage == Stage::Drawing || m_stage == Stage::Ready)
        return nameOf(m_artist) + " draws; round " + QByteArray::number(m_round) + " of " + QByteArray::number(m_rounds)
            + ", " + QByteArray::number(m_order.size()) + " here";
    return "sketch and guess; " + QByteArray::number(m_order.size()) + " here";
}

// ---------------------------------------------------------------------------
// Arrivals and departures

QByteArray SketchTable::screenFor(int id) const
{
    QByteArray out = (id == m_artist ? ArtistOn : ArtistOff) + ClearDrawing;
    switch (m_stage) {
    case Stage::Waiting:
        out += Label(3, 10, 14, 94, "Waiting for a second player...") + Gauge(100) + Status("* Waiting for players *");
        break;
    case Stage::Ready:
        out += Label(3, 10, 14, 94, nameOf(m_artist) + " draws next") + Gauge(100);
        out += id == m_artist ? Status("Ready") + Status("* Press Ready to get your word *")
                              : Status("* " + nameOf(m_artist) + " draws next *");
        break;
    case Stage::Drawing:
        out += WordValue(m_word.value) + m_drawing + Gauge(percentLeft());
        out += id == m_artist ? Status("* Draw: " + m_word.word + " *")
                              : Status("* Guess: " + SketchRules::LetterHint(m_word.word) + " *");
        break;
    case Stage::RoundOver:
    case Stage::GameOver:
        out += Label(3, 10, 14, 94, "The next round comes soon") + Gauge(0) + Status("* Next round soon *");
        break;
    }
    return out;
}

void SketchTable::arrived(const NodePlayer &player)
{
    m_order.append(player.id);
    m_scores.insert(player.id, 0);
    sendTo(player.id, screenFor(player.id));
    tell(player.id, ServerBytes::ServiceLine('9', "One player draws a word, the others guess it: type your guess under the drawing and press Submit."));
    if (m_stage == Stage::Drawing)
        tell(player.id, ServerBytes::ServiceLine('5', nameOf(m_artist) + " is drawing; guess away!"));
    if (m_stage == Stage::Waiting && m_order.size() >= 2)
        newGame();
}

void SketchTable::departed(const NodePlayer &player)
{
    const qsizetype index = m_order.indexOf(player.id);
    if (index < 0)
        return;
    m_order.removeAt(index);
    if (index <= m_turn)
        --m_turn;
    m_scores.remove(player.id);
    m_right.remove(player.id);
    if (m_order.size() < 2) {
        wait();
        return;
    }
    if (player.id == m_artist && (m_stage == Stage::Ready || m_stage == Stage::Drawing)) {
        m_artist = -1;
        endRound("The artist left.");
        return;
    }
    if (m_stage == Stage::Drawing && m_right.size() >= m_order.size() - 1)
        endRound("Everybody guessed it!");
}

// ---------------------------------------------------------------------------
// Rounds

void SketchTable::wait()
{
    if (m_stage == Stage::Waiting)
        return;
    m_stage = Stage::Waiting;
    m_artist = -1;
    m_right.clear();
    m_drawing.clear();
    for (const int id : std::as_const(m_order))
        sendTo(id, screenFor(id));
    tellAll(ServerBytes::ServiceLine('8', "Waiting for a second player."));
}

void SketchTable::newGame()
{
    for (auto it = m_scores.begin(); it != m_scores.end(); ++it)
        it.value() = 0;
    m_round = 0;
    m_rounds = qMin(m_timing.maxRounds, m_timing.turnsPerPlayer * int(m_order.size()));
    tellAll(ServerBytes::ServiceLine('5', "A new game begins: " + QByteArray::number(m_rounds) + " rounds."));
    nextRound();
}

void SketchTable::nextRound()
{
    if (m_order.size() < 2) {
        wait();
        return;
    }
    if (m_round >= m_rounds) {
        finishGame();
        return;
    }
    ++m_round;
    m_turn = int((m_turn + 1) % m_order.size());
    m_artist = m_order.at(m_turn);
    m_stage = Stage::Ready;
    m_dueAt = host().now() + m_timing.readyMs;
    m_right.clear();
    m_drawing.clear();
    const QByteArray title = "Round " + QByteArray::number(m_round) + " of " + QByteArray::number(m_rounds) + ": "
        + nameOf(m_artist) + " draws";
    for (const int id : std::as_const(m_order)) {
        sendTo(id, screenFor(id));
        sendTo(id, Marker::ChatMarker + SketchRules::RoundTitle(title), true);
        sendTo(id, GuessLine("\x0c"), true);   // a form feed clears the guess list
    }
    tell(m_artist, ServerBytes::ServiceLine('8', "You draw next: press Ready to get your word."));
}

void SketchTable::startDrawing()
{
    QList<SketchWord> fresh;
    for (const SketchWord &w : std::as_const(m_words)) {
        if (!m_recent.contains(w.word))
            fresh.append(w);
    }
    if (fresh.isEmpty()) {
        m_recent.clear();
        fresh = m_words;
    }
    m_word = fresh.at(int(random()() % quint32(fresh.size())));
    m_recent.append(m_word.word);
    while (m_recent.size() > RecentWords)
        m_recent.removeFirst();
    m_stage = Stage::Drawing;
    m_startedAt = host().now();
    m_dueAt = m_startedAt + m_timing.roundMs;
    m_gauge = 100;
    for (const int id : std::as_const(m_order))
        sendTo(id, screenFor(id));
    tell(m_artist, ServerBytes::ServiceLine('8', "\x1b[BYour word: " + m_word.word + "\x1b] (" + QByteArray::number(m_word.value)
                                                     + " points). Draw it, no letters or numbers!"));
    tellAll(ServerBytes::ServiceLine('5', nameOf(m_artist) + " is drawing: " + SketchRules::LetterHint(m_word.word)
                                              + ", " + QByteArray::number(m_word.value) + " points."),
            m_artist);
}

void SketchTable::endRound(const QByteArray &why)
{
    if (m_artist >= 0 && m_stage == Stage::Drawing && !m_right.isEmpty()) {
        const int points = SketchRules::ArtistPoints(m_word.value, int(m_right.size()));
        m_scores[m_artist] += points;
        tellAll(ServerBytes::ServiceLine('5', nameOf(m_artist) + " scores " + QByteArray::number(points)
                                                  + " for the drawing."));
    }
    const bool drew = m_stage == Stage::Drawing;
    m_stage = Stage::RoundOver;
    m_dueAt = host().now() + m_timing.betweenMs;
    if (m_artist >= 0)
        sendTo(m_artist, ArtistOff);
    m_artist = -1;
    QByteArray bytes = Gauge(0) + Status("* Next round soon *");
    if (drew)
        bytes += Label(2, 22, 14, 91, "The word was: " + m_word.word);
    toAll(bytes);
    tellAll(ServerBytes::ServiceLine('8', why + (drew ? " The word was " + m_word.word + '.' : QByteArray())));
    sendScores();
}

void SketchTable::finishGame()
{
    m_stage = Stage::GameOver;
    m_dueAt = host().now() + 2 * m_timing.betweenMs;
    int best = -1;
    QByteArray winners;
    for (const int id : std::as_const(m_order)) {
        const int score = m_scores.value(id);
        if (score > best) {
            best = score;
            winners = nameOf(id);
        } else if (score == best) {
            winners += " and " + nameOf(id);
        }
    }
    toAll(ClearDrawing + Label(3, 10, 16, 91, winners + " won!") + Status("* Game over *"));
    tellAll(ServerBytes::ServiceLine('5', "\x1b[BGame over: " + winners + " won with " + QByteArray::number(best)
                                              + " points!\x1b]"));
    sendScores();
}

void SketchTable::sendScores()
{
    QList<SketchRules::Score> scores;
    for (const int id : std::as_const(m_order))
        scores.append({nameOf(id), m_scores.value(id)});
    toAll(Marker::ChatMarker + SketchRules::ScoreTable(scores), -1, true);
}

void SketchTable::tick()
{
    const qint64 now = host().now();
    switch (m_stage) {
    case Stage::Waiting:
        return;
    case Stage::Ready:
        if (now >= m_dueAt) {
            tell(m_artist, ServerBytes::ServiceLine('8', "Time to draw!"));
            startDrawing();
        }
        return;
    case Stage::Drawing: {
        if (now >= m_dueAt) {
            endRound("Time is up.");
            return;
        }
        const int percent = percentLeft();
        if (percent != m_gauge) {
            m_gauge = percent;
            toAll(Gauge(percent));
        }
        return;
    }
    case Stage::RoundOver:
        if (now >= m_dueAt)
            nextRound();
        return;
    case Stage::GameOver:
        if (now >= m_dueAt) {
            if (m_order.size() >= 2)
                newGame();
            else
                wait();
        }
        return;
    }
}

// ---------------------------------------------------------------------------
// Input

void SketchTable::input(int id, const QByteArray &chunk)
{
    for (const Piece &piece : SketchRules::Parse(chunk)) {
        if (!hasMember(id))
            return;
        switch (piece.kind) {
        case Piece::Stroke:
        case Piece::Clear:
            drawing(id, piece);
            break;
        case Piece::Guess:
            guess(id, piece.bytes);
            break;
        case Piece::Ready:
            if (m_stage == Stage::Ready && id == m_artist)
                startDrawing();
            break;
        case Piece::Hint:
            hint(id, piece.row, piece.icon);
            break;
        case Piece::Other:
            if (!hidesWord(id, piece.bytes))
                commonMessage(id, piece.bytes);
            break;
        }
    }
}

void SketchTable::drawing(int id, const Piece &piece)
{
    if (m_stage != Stage::Drawing || id != m_artist)
        return;
    if (piece.kind == Piece::Clear)
        m_drawing.clear();
    if (m_drawing.size() + piece.bytes.size() <= MaxDrawing)
        m_drawing += piece.bytes;
    toAll(piece.bytes, id);
}

void SketchTable::hint(int id, int row, int icon)
{
    if (m_stage != Stage::Drawing || id != m_artist || row < 1 || row > 25 || !SketchRules::IsHintIcon(icon))
        return;
    toAll(HintMark(row, icon), -1, true);
}

void SketchTable::guess(int id, const QByteArray &text)
{
    const QByteArray shown = SketchRules::GuessListText(text);
    if (shown.isEmpty())
        return;
    if (m_stage != Stage::Drawing) {
        tell(id, ServerBytes::ServiceLine('9', "Wait for the next word."));
        return;
    }
    if (id == m_artist) {
        tell(id, ServerBytes::ServiceLine('9', "You are the artist: draw the word!"));
        return;
    }
    if (m_right.contains(id)) {
        tell(id, ServerBytes::ServiceLine('9', "You have it already; let the others guess."));
        return;
    }
    if (!SketchRules::IsRight(text, m_word.word)) {
        toAll(GuessLine(nameOf(id) + " - " + shown), -1, true);
        if (SketchRules::IsClose(text, m_word.word))
            tell(id, ServerBytes::ServiceLine('8', "So close!"));
        return;
    }
    const int points = SketchRules::GuesserPoints(m_word.value, m_dueAt - host().now(), m_timing.roundMs, m_right.isEmpty());
    m_right.insert(id);
    m_scores[id] += points;
    toAll(GuessLine(nameOf(id) + " got it!"), -1, true);
    tell(id, ServerBytes::ServiceLine('5', "Right! You score " + QByteArray::number(points) + '.'));
    tellAll(ServerBytes::ServiceLine('5', nameOf(id) + " guessed the word."), id);
    if (m_right.size() >= m_order.size() - 1)
        endRound("Everybody guessed it!");
}

bool SketchTable::hidesWord(int id, const QByteArray &message)
{
    if (m_stage != Stage::Drawing || m_word.word.isEmpty())
        return false;
    const QByteArray said = ' ' + SketchRules::Normalize(message) + ' ';
    if (!said.contains(' ' + SketchRules::Normalize(m_word.word) + ' '))
        return false;
    tell(id, ServerBytes::ServiceLine('4', "Keep the word out of the chat: guesses go in the guess field."));
    return true;
}
