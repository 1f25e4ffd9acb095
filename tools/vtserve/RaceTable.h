#pragma once

// The race table: the touring-race card game in the card-table client,
// with its race deck. A game is for as many players as are at the table
// when it starts (two to four; four play as two teams), computer players
// in the seats nobody takes and for a person who takes too long. A player
// draws (the "Draw" button or the deck), then presses a card and the piles
// it goes on, or the card and "Discard"; pressing the picked card again
// plays it where it naturally goes. Hands go to 1000 miles, games to 5000
// points; finished games change the players' ratings, unless most of them
// vote not to rate it.

#include <QSet>

#include <optional>

#include "CardTable.h"
#include "GameNode.h"
#include "RacePainter.h"
#include "RaceRules.h"

class RaceTable : public GameNode
{
public:
    enum class Stage { Idle, Playing, HandOver, GameOver };

    // Uses the Hearts tables' timing: botMs, handOverMs, humanMs, keepEmptyMs.
    RaceTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing = {});

    void tick() override;
    QByteArray detail() const override;

    Stage stage() const { return m_stage; }
    const Race::Hand *hand() const { return m_hand ? &*m_hand : nullptr; }
    QList<int> totals() const { return m_totals; }
    int seatCount() const { return int(m_seats.size()); }
    // The seat a connection plays, -1 for a watcher or a stranger.
    int seatOf(int id) const;
    // The view a connection is painted from (tests press what it shows).
    RacePainter::RaceView viewFor(int id) const;
    // Deals the next hand from this deck (drawn from its end) instead of a shuffled one.
    void setNextDeck(const QList<int> &deck) { m_nextDeck = deck; }

protected:
    void arrived(const NodePlayer &player) override;
    void departed(const NodePlayer &player) override;
    void input(int id, const QByteArray &chunk) override;
    QByteArray captionFor(const NodePlayer &player) const override;
    void voteNotRated(int id) override;

private:
    struct Seat {
        int id = -1;               // -1: a computer plays the seat
        QByteArray botName;
        QByteArray lastName;       // the person who sat here last gets it again
        int selected = -1;         // the index of the picked card in the hand, -1 none
        QSet<QByteArray> buttons;
        QByteArray note;           // a one-off line: why a play was refused
        bool wantsNewGame = false;
    };

    bool human(int seat) const { return m_seats.at(seat).id >= 0; }
    int humans() const;
    QByteArray nameOf(int seat) const;
    QByteArray teamName(int team) const;
    int actor() const;             // the seat the game waits for, -1 none
    int viewTeam(int id) const;
    QByteArray statusFor(int id) const;

    void press(int id, int column, int row);
    void button(int id, const QByteArray &name);
    void pressCard(int seat, int index);
    int pickedCard(int seat) const;   // the race card picked, -1 none
    void playTo(int seat, int team);
    void drawFor(int seat);
    void autoMove(int seat);
    void afterMove(const QByteArray &line);
    void handOver();
    void finishGame();
    void rate();
    void newGame();
    void deal();
    void schedule();

    void paintAll(int id);
    void paintButtons(int id);
    void paintStatus(int id);
    void paintEveryone();

    CardTiming m_timing;
    QList<Seat> m_seats;
    QList<int> m_watchers;
    std::optional<Race::Hand> m_hand;
    std::optional<QList<int>> m_nextDeck;
    QList<int> m_totals;
    int m_handNumber = 0;
    Stage m_stage = Stage::Idle;
    qint64 m_dueAt = 0;
    qint64 m_humanDueAt = 0;
    qint64 m_emptySince = 0;
    QSet<QString> m_notRatedVotes;
    bool m_notRated = false;
};
