#pragma once

// The built-in door game: one caller's game of Minefield on a 26-row text
// screen, drawn with colours and cursor addressing. The cursor moves with
// the arrow keys (the door clients send them as 8, 2, 4 and 6), Space or
// Return opens, F flags, N starts again, L changes the level, Q leaves.
// Pressing a square opens it (or flags it in flag mode); the words in the
// line under the help can be pressed too.

#include <QByteArray>
#include <QList>

#include <array>
#include <functional>

#include "DoorSession.h"
#include "Minefield.h"

struct BestTime {
    QByteArray name;
    int seconds = 0;
};
using BestTimes = std::array<QList<BestTime>, Minefield::LevelCount>;

class MinefieldDoor : public DoorSession
{
public:
    using Clock = std::function<qint64()>;

    MinefieldDoor(QByteArray player, quint32 seed, Clock clock, Output output, BestTimes *bests);

    void start() override;
    void keys(const QByteArray &bytes) override;
    void press(int column, int row) override;
    void tick() override;
    bool ended() const override { return m_ended; }
    void renamed(const QByteArray &name) override { m_player = name; }

    const Minefield &field() const { return m_field; }
    Minefield &field() { return m_field; }
    QPoint cursor() const { return m_cursor; }
    bool flagMode() const { return m_flagMode; }
    int level() const { return m_level; }

    // Screen places, for presses.
    int boardLeft() const;
    static constexpr int BoardTop = 4;
    int helpRow() const { return BoardTop + m_field.height() + 2; }
    // The pressable words of the menu line: their first column and width.
    struct Word {
        const char *text;
        char key;
        int column;
    };
    static const Word MenuWords[];

private:
    QByteArray screen() const;
    QByteArray square(int x, int y) const;
    QByteArray squares(const QList<QPoint> &points) const;
    QByteArray statusBar() const;
    QByteArray message(const QByteArray &text, int colour = 33) const;
    QByteArray menuLine() const;
    QByteArray bestLine() const;
    int seconds() const;
    void act(char key);
    void moveCursor(int dx, int dy);
    void openAt(int x, int y);
    void flagAt(int x, int y);
    void newGame(int level);
    void finished(const QByteArray &before);
    void put(const QByteArray &bytes) { if (!bytes.isEmpty()) m_output(bytes); }

    QByteArray m_player;
    quint32 m_seed;
    Clock m_clock;
    Output m_output;
    BestTimes *m_bests;
    int m_level = 0;
    Minefield m_field;
    QPoint m_cursor{0, 0};
    bool m_flagMode = false;
    bool m_ended = false;
    qint64 m_startedAt = -1;     // the first opening of the game; -1 before it
    qint64 m_endedAt = 0;
    int m_shownSeconds = -1;
    // A double click sends its cell twice and then the cell some rows
    // higher: that third press is not the player's.
    qint64 m_lastPressAt = -100000;
    int m_lastColumn = -1;
    int m_lastRow = -1;
    qint64 m_echoUntil = 0;
    int m_echoColumn = -1;
    int m_games = 0;
};
