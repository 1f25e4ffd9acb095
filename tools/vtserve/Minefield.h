#pragma once

// The rules of the built-in door game, Minefield: a grid of covered squares
// with mines under some of them. Opening a square shows how many of its
// eight neighbours hide a mine (an empty square opens its neighbours too);
// opening a mine loses; opening every safe square wins. Flags mark suspected
// mines, and opening an open number whose flags are all set opens the rest
// of its neighbours. The mines are laid at the first opening, never under
// or next to it.

#include <QList>
#include <QPoint>

#include <random>

class Minefield
{
public:
    struct Level {
        const char *name;
        int width;
        int height;
        int mines;
    };
    static constexpr int LevelCount = 3;
    static const Level Levels[LevelCount];

    enum class State { Fresh, Playing, Won, Lost };

    struct Square {
        bool mine = false;
        bool open = false;
        bool flag = false;
        int count = 0;       // mines among the neighbours
    };

    Minefield(int width, int height, int mines, quint32 seed);
    static Minefield ofLevel(int level, quint32 seed);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int mines() const { return m_mines; }
    int flags() const { return m_flags; }
    State state() const { return m_state; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    const Square &at(int x, int y) const { return m_squares.at(y * m_width + x); }
    // The square that blew up, when lost.
    QPoint blast() const { return m_blast; }

    // Each returns the squares whose look changed.
    QList<QPoint> open(int x, int y);
    QList<QPoint> toggleFlag(int x, int y);
    // Opening an open number: its other neighbours, when its flags add up.
    QList<QPoint> openAround(int x, int y);

    // Lays the mines on these squares (tests); the game is then under way.
    void layMines(const QList<QPoint> &mines);

private:
    Square &square(int x, int y) { return m_squares[y * m_width + x]; }
    void layAround(int x, int y);
    void count();
    void flood(int x, int y, QList<QPoint> *changed);
    void lose(int x, int y, QList<QPoint> *changed);
    void checkWon();

    int m_width;
    int m_height;
    int m_mines;
    int m_flags = 0;
    int m_opened = 0;
    State m_state = State::Fresh;
    QPoint m_blast{-1, -1};
    QList<Square> m_squares;
    std::mt19937 m_random;
};
