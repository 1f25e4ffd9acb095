#pragma once

// A card table node: Hearts for four, computer players in the seats nobody
// takes. Each person sees the table from their own seat (at the bottom),
// plays by pressing a card of their hand, passes with the "Pass" button and
// may ask for a new game with "New Game". Finished games change the
// players' ratings, unless most of them vote not to rate it.

#include <QHash>
#include <QSet>

#include <array>
#include <optional>

#include "CardPainter.h"
#include "GameNode.h"
#include "Hearts.h"

struct CardTiming {
    int botMs = 800;          // a computer player thinks this long
    int trickMs = 1600;       // a full trick stays on the table this long
    int handOverMs = 6000;    // the scores of a hand show this long
    int humanMs = 90000;      // a person who takes longer has the computer play for them
    int keepEmptyMs = 300000; // a game nobody plays is kept this long
};

class CardTable : public GameNode
{
public:
    enum class Stage { Idle, Passing, Playing, TrickShown, HandOver, GameOver };

    CardTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing = {});

    void tick() override;
    QByteArray detail() const override;

    Stage stage() const { return m_stage; }
    const Hearts::Round *round() const { return m_round ? &*m_round : nullptr; }
    std::array<int, 4> totals() const { return m_totals; }
    // The seat a connection plays, -1 for a watcher or a stranger.
    int seatOf(int id) const;
    // The hand the seat's player sees, in the order drawn.
    QList<int> shownHand(int seat) const;
    // Plays the next hand with these cards instead of shuffled ones.
    void setNextDeal(const Hearts::Hands &hands) { m_nextDeal = hands; }

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
        QList<int> chosen;         // cards picked to pass
        QSet<int> raised;          // cards received, shown raised until the first play
        QSet<QByteArray> buttons;  // the buttons the player's client shows
        QByteArray note;           // a one-off line: why a card may not be played
        QByteArray lastName;       // the person who sat here last: coming back, they get it again
        bool wantsNewGame = false;
    };

    bool human(int seat) const { return m_seats.at(seat).id >= 0; }
    int humans() const;
    QByteArray nameOf(int seat) const;
    QList<int> viewers() const;
    int viewSeat(int id) const;    // the seat a viewer looks from (0 for watchers)
    CardPainter::TableView viewFor(int id) const;
    QByteArray statusFor(int id) const;

    void press(int id, int column, int row);
    void button(int id, const QByteArray &name);
    void choose(int seat, int card);
    void passCards(int seat, bool automatic = false);
    void play(int seat, int card);
    void collect();
    void handOver();
    void finishGame();
    void rate();
    void newGame();
    void deal();
    void scheduleBot();
    void seatWatchers();

    void paintAll(int id);
    void paintHand(int id);
    void paintButtons(int id);
    void paintStatus(int id);
    void paintEveryone();

    CardTiming m_timing;
    std::array<Seat, 4> m_seats;
    QList<int> m_watchers;
    std::optional<Hearts::Round> m_round;
    std::optional<Hearts::Hands> m_nextDeal;
    std::array<int, 4> m_totals{};
    int m_handNumber = 0;
    Stage m_stage = Stage::Idle;
    qint64 m_dueAt = 0;
    qint64 m_humanDueAt = 0;
    qint64 m_emptySince = 0;     // nobody left: the game waits a while for someone to come back
    QSet<QString> m_notRatedVotes;
    bool m_notRated = false;
};
