#pragma once

// What the card-table games share: seats that people take and computer
// players keep for them, watchers waiting for a free seat, the wish for a
// new game that every person at the table must share, the vote "Not Rate
// The Game" and the rating of a finished game. The games keep their own
// rules, their own painting and what each seat holds besides (as a Seat
// type derived from TableSeat, which the game hands back by seatAt()).

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <utility>

#include "GameNode.h"

struct CardTiming {
    int botMs = 800;          // a computer player thinks this long
    int trickMs = 1600;       // a full trick stays on the table this long
    int handOverMs = 6000;    // the scores of a hand show this long
    int humanMs = 90000;      // a person who takes longer has the computer play for them
    int keepEmptyMs = 300000; // a game nobody plays is kept this long
};

struct TableSeat {
    int id = -1;               // -1: a computer plays the seat
    QByteArray botName;
    QByteArray lastName;       // the person who sat here last: coming back, they get it again
    QSet<QByteArray> buttons;  // the buttons the player's client shows
    QByteArray note;           // a one-off line: why a move is refused
    bool wantsNewGame = false;
};

class SeatedTable : public GameNode
{
public:
    SeatedTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing);

    // The seat a connection plays, -1 for a watcher or a stranger.
    int seatOf(int id) const;

protected:
    static constexpr int BotRating = 1500;
    // The computer player of seat `seat` (0 to 3).
    static QByteArray BotName(int seat);

    virtual int seatCount() const = 0;
    virtual const TableSeat &seatAt(int seat) const = 0;
    TableSeat &mutableSeat(int seat) { return const_cast<TableSeat &>(std::as_const(*this).seatAt(seat)); }

    // Presses on the table and its buttons, cut out of the input.
    virtual void press(int id, int column, int row) = 0;
    virtual void button(int id, const QByteArray &name) = 0;
    // Presses, buttons, and the chat and votes every node client sends.
    void input(int id, const QByteArray &chunk) override;

    bool human(int seat) const { return seatAt(seat).id >= 0; }
    int humans() const;
    QByteArray nameOf(int seat) const;
    // The seat for a newcomer: the one they sat in last if a computer plays
    // it, else the first a computer plays; -1 when every seat is taken.
    int freeSeatFor(const QByteArray &name) const;
    // The person takes the seat from its computer player.
    void seatPerson(int seat, const NodePlayer &player);
    // The person left the seat: its computer player takes it back, and
    // their wish and vote go with them.
    void unseat(int seat, const NodePlayer &player);
    // The game waited for people longer than it is kept.
    bool keptTooLong() const;

    // "New Game" from a seat. True when every person at the table has
    // asked for it (said to the table); otherwise the table is told who
    // waits for the others. `what`: the game asked for.
    bool askForNewGame(int seat, const QByteArray &what = "a new game");
    // A new game: no wishes and no votes yet.
    void clearVotes();
    void voteNotRated(int id) override;
    // Rates the people in the seats: each other seat counts as a game, won
    // (1), drawn (0.5) or lost (0) as `result(seat, other)` says; seats of
    // the same side give a negative result and do not count.
    void rate(const std::function<double(int seat, int other)> &result);
    // The line under the table's name on the games menu.
    QByteArray seatsDetail(const QByteArray &game, const QByteArray &empty) const;

    CardTiming m_timing;
    QList<int> m_watchers;
    qint64 m_dueAt = 0;          // when the computer moves next
    qint64 m_humanDueAt = 0;     // when the computer moves for a person who does not
    qint64 m_emptySince = 0;     // nobody left: the game waits a while for someone to come back
    QSet<QString> m_notRatedVotes;
    bool m_notRated = false;
};
