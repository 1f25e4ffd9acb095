#include "Minefield.h"

#include <algorithm>

const Minefield::Level Minefield::Levels[Minefield::LevelCount] = {
    {"Beginner", 9, 9, 10},
    {"Intermediate", 16, 12, 30},
    {"Expert", 24, 14, 60},
};

Minefield::Minefield(int width, int height, int mines, quint32 seed)
    : m_width(qBound(2, width, 40))
    , m_height(qBound(2, height, 30))
    , m_mines(qBound(1, mines, m_width * m_height - 9))
    , m_squares(m_width * m_height)
    , m_random(seed)
{
}

Minefield Minefield::ofLevel(int level, quint32 seed)
{
    const Level &l = Levels[qBound(0, level, LevelCount - 1)];
    return Minefield(l.width, l.height, l.mines, seed);
}

void Minefield::layMines(const QList<QPoint> &mines)
{
    for (Square &s : m_squares)
        s = Square{};
    for (const QPoint &p : mines) {
        if (inside(p.x(), p.y()))
            square(p.x(), p.y()).mine = true;
    }
    m_mines = int(std::count_if(m_squares.begin(), m_squares.end(), [](const Square &s) { return s.mine; }));
    m_flags = 0;
    m_opened = 0;
    m_state = State::Playing;
    count();
}

void Minefield::layAround(int x, int y)
{
    QList<int> places;
    for (int yy = 0; yy < m_height; ++yy) {
        for (int xx = 0; xx < m_width; ++xx) {
            if (qAbs(xx - x) > 1 || qAbs(yy - y) > 1)
                places.append(yy * m_width + xx);
        }
    }
    std::shuffle(places.begin(), places.end(), m_random);
    const int n = std::min<int>(m_mines, int(places.size()));
    for (int i = 0; i < n; ++i)
        m_squares[places.at(i)].mine = true;
    m_mines = n;
    m_state = State::Playing;
    count();
}

void Minefield::count()
{
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if ((dx || dy) && inside(x + dx, y + dy) && at(x + dx, y + dy).mine)
                        ++n;
                }
            }
            square(x, y).count = n;
        }
    }
}

void Minefield::flood(int x, int y, QList<QPoint> *changed)
{
    QList<QPoint> todo{{x, y}};
    while (!todo.isEmpty()) {
        const QPoint p = todo.takeLast();
        Square &s = square(p.x(), p.y());
        if (s.open || s.flag || s.mine)
            continue;
        s.open = true;
        ++m_opened;
        changed->append(p);
        if (s.count > 0)
            continue;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if ((dx || dy) && inside(p.x() + dx, p.y() + dy))
                    todo.append({p.x() + dx, p.y() + dy});
            }
        }
    }
}

void Minefield::lose(int x, int y, QList<QPoint> *changed)
{
    m_state = State::Lost;
    m_blast = {x, y};
    // Every mine shows, and so does every flag that was wrong.
    for (int yy = 0; yy < m_height; ++yy) {
        for (int xx = 0; xx < m_width; ++xx) {
            const Square &s = at(xx, yy);
            if ((s.mine && !s.flag) || (s.flag && !s.mine))
                changed->append({xx, yy});
        }
    }
}

void Minefield::checkWon()
{
    if (m_state == State::Playing && m_opened == m_width * m_height - m_mines)
        m_state = State::Won;
}

QList<QPoint> Minefield::open(int x, int y)
{
    QList<QPoint> changed;
    if (!inside(x, y) || m_state == State::Won || m_state == State::Lost)
        return changed;
    if (m_state == State::Fresh)
        layAround(x, y);
    const Square &s = at(x, y);
    if (s.flag)
        return changed;
    if (s.open)
        return openAround(x, y);
    if (s.mine) {
        square(x, y).open = true;
        lose(x, y, &changed);
        return changed;
    }
    flood(x, y, &changed);
    checkWon();
    return changed;
}

QList<QPoint> Minefield::openAround(int x, int y)
{
    QList<QPoint> changed;
    if (!inside(x, y) || m_state != State::Playing || !at(x, y).open || at(x, y).count == 0)
        return changed;
    int flagged = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if ((dx || dy) && inside(x + dx, y + dy) && at(x + dx, y + dy).flag)
                ++flagged;
        }
    }
    if (flagged != at(x, y).count)
        return changed;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (!(dx || dy) || !inside(nx, ny) || at(nx, ny).open || at(nx, ny).flag)
                continue;
            if (at(nx, ny).mine) {
                square(nx, ny).open = true;
                lose(nx, ny, &changed);
                return changed;
            }
            flood(nx, ny, &changed);
        }
    }
    checkWon();
    return changed;
}

QList<QPoint> Minefield::toggleFlag(int x, int y)
{
    if (!inside(x, y) || at(x, y).open || m_state == State::Won || m_state == State::Lost)
        return {};
    Square &s = square(x, y);
    s.flag = !s.flag;
    m_flags += s.flag ? 1 : -1;
    return {{x, y}};
}
