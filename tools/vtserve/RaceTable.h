#pragma once

// The race table: the touring-race card game in the card-table client,
// with its race deck. A game is for as many players as are at the table
// when it starts (two to four; four play as two teams), or for as many as
// its players choose with "New Game" (two, three, two teams); computer
// players in the seats nobody takes and for a person who takes too long. A player
// draws (the "Draw" button or the deck), then presses a card and the piles
// it goes on, or the card and "Discard"; pressing the picked card again
// plays it where it naturally goes. Hands go to 1000 miles, games to 5000
// points; finished games change the players' ratings, unless most of them
// vote not to rate it.

#include <QSet>

#include <optional>

#include "RacePainter.h"
#include "RaceRules.h"
#include "SeatedTable.h"

class RaceTable : public SeatedTable
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
    int seatCount() const override { return int(m_seats.size()); }
    // The view a connection is painted from (tests press what it shows).
    RacePainter::RaceView viewFor(int id) const;
    // Deals the next hand from this deck (drawn from its end) instead of a shuffled one.
    void setNextDeck(const QList<int> &deck) { m_nextDeck = deck; }

protected:
    void arrived(const NodePlayer &player) override;
    void departed(const NodePlayer &player) override;
    QByteArray captionFor(const NodePlayer &player) const override;
    const TableSeat &seatAt(int seat) const override { return m_seats.at(seat); }
    void press(int id, int column, int row) override;
    void button(int id, const QByteArray &name) override;

private:
    struct Seat : TableSeat {
        int selected = -1;         // the index of the picked card in the hand, -1 none
        bool choosing = false;     // the buttons offer the sizes of a new game
    };
    static QByteArray sizeWords(int players);

    QByteArray teamName(int team) const;
    int actor() const;             // the seat the game waits for, -1 none
    int viewTeam(int id) const;
    QByteArray statusFor(int id) const;

    void pressCard(int seat, int index);
    int pickedCard(int seat) const;   // the race card picked, -1 none
    void playTo(int seat, int team);
    void drawFor(int seat);
    void autoMove(int seat);
    void afterMove(const QByteArray &line);
    void handOver();
    void finishGame();
    // players: 2 to 4 (two teams); 0 as many as are here.
    void newGame(int players = 0);
    void deal();
    void schedule();

    void paintAll(int id);
    void paintButtons(int id);
    void paintStatus(int id);
    void paintEveryone();

    QList<Seat> m_seats;
    std::optional<Race::Hand> m_hand;
    std::optional<QList<int>> m_nextDeck;
    QList<int> m_totals;
    int m_handNumber = 0;
    Stage m_stage = Stage::Idle;
    int m_wantedPlayers = 0;     // the size of the new game the people asked for
};
