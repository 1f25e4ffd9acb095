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
#include "Hearts.h"
#include "SeatedTable.h"

class CardTable : public SeatedTable
{
public:
    enum class Stage { Idle, Passing, Playing, TrickShown, HandOver, GameOver };

    CardTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing = {});

    void tick() override;
    QByteArray detail() const override;

    Stage stage() const { return m_stage; }
    const Hearts::Round *round() const { return m_round ? &*m_round : nullptr; }
    std::array<int, 4> totals() const { return m_totals; }
    // The hand the seat's player sees, in the order drawn.
    QList<int> shownHand(int seat) const;
    // Plays the next hand with these cards instead of shuffled ones.
    void setNextDeal(const Hearts::Hands &hands) { m_nextDeal = hands; }

protected:
    void arrived(const NodePlayer &player) override;
    void departed(const NodePlayer &player) override;
    QByteArray captionFor(const NodePlayer &player) const override;
    int seatCount() const override { return 4; }
    const TableSeat &seatAt(int seat) const override { return m_seats.at(seat); }
    void press(int id, int column, int row) override;
    void button(int id, const QByteArray &name) override;

private:
    struct Seat : TableSeat {
        QList<int> chosen;         // cards picked to pass
        QSet<int> raised;          // cards received, shown raised until the first play
    };

    QList<int> viewers() const;
    int viewSeat(int id) const;    // the seat a viewer looks from (0 for watchers)
    CardPainter::TableView viewFor(int id) const;
    QByteArray statusFor(int id) const;

    void choose(int seat, int card);
    void passCards(int seat, bool automatic = false);
    void play(int seat, int card);
    void collect();
    void handOver();
    void finishGame();
    void newGame();
    void deal();
    void scheduleBot();
    void seatWatchers();

    void paintAll(int id);
    void paintHand(int id);
    void paintButtons(int id);
    void paintStatus(int id);
    void paintEveryone();

    std::array<Seat, 4> m_seats;
    std::optional<Hearts::Round> m_round;
    std::optional<Hearts::Hands> m_nextDeal;
    std::array<int, 4> m_totals{};
    int m_handNumber = 0;
    Stage m_stage = Stage::Idle;
};
