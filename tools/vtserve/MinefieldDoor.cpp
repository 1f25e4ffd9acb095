#include "MinefieldDoor.h"

#include "ServerBytes.h"

#include <algorithm>

namespace {

constexpr int ScreenWidth = 79;   // column 80 would wrap
constexpr qint64 DoubleClickMs = 500;
constexpr qint64 EchoMs = 800;
constexpr int BestKept = 5;

QByteArray at(int row, int column)
{
    return ServerBytes::CursorTo(row, column);
}

QByteArray colours(int fore, int back)
{
    return ServerBytes::BrightColours(fore, back);
}

int numberColour(int n)
{
    static const int colours[] = {37, 36, 32, 31, 35, 33, 34, 37, 30};
    return colours[qBound(0, n, 8)];
}

// Code page 437: FA a small dot, 10 a pennant, 0F a sun that does for a mine,
// and the double-line box corners and sides.
constexpr char Dot = '\xfa';
constexpr char Pennant = '\x10';
constexpr char Mine = '\x0f';

} // namespace

const MinefieldDoor::Word MinefieldDoor::MenuWords[] = {
    {"[New game]", 'n', 3},
    {"[Level]", 'l', 15},
    {"[Flag mode: off]", 'm', 24},
    {"[Redraw]", 'r', 42},
    {"[Quit]", 'q', 52},
};

MinefieldDoor::MinefieldDoor(QByteArray player, quint32 seed, Clock clock, Output output, BestTimes *bests)
    : m_player(std::move(player))
    , m_seed(seed)
    , m_clock(std::move(clock))
    , m_output(std::move(output))
    , m_bests(bests)
    , m_field(Minefield::ofLevel(0, seed))
{
}

int MinefieldDoor::boardLeft() const
{
    return (80 - 3 * m_field.width()) / 2;
}

int MinefieldDoor::seconds() const
{
    if (m_startedAt < 0)
        return 0;
    const qint64 end = m_field.state() == Minefield::State::Playing ? m_clock() : m_endedAt;
    return int(qBound(qint64(0), (end - m_startedAt) / 1000, qint64(999)));
}

// ---------------------------------------------------------------------------
// Painting

QByteArray MinefieldDoor::square(int x, int y) const
{
    const Minefield::Square &s = m_field.at(x, y);
    const bool over = m_field.state() == Minefield::State::Lost;
    int fore = 37;
    int back = 44;
    char glyph = Dot;
    if (s.open && s.mine) {
        fore = 37;
        back = QPoint(x, y) == m_field.blast() ? 43 : 41;
        glyph = Mine;
    } else if (s.open) {
        back = 40;
        fore = numberColour(s.count);
        glyph = s.count ? char('0' + s.count) : ' ';
    } else if (over && s.flag && !s.mine) {
        back = 40;
        fore = 31;
        glyph = 'X';
    } else if (over && s.mine && !s.flag) {
        back = 41;
        glyph = Mine;
    } else if (s.flag) {
        fore = 31;
        glyph = Pennant;
    }
    const bool cursor = m_cursor == QPoint(x, y);
    QByteArray cell = cursor ? QByteArray("[") + glyph + ']' : QByteArray(" ") + glyph + ' ';
    if (cursor) {
        // The brackets in yellow, the glyph in its own colour.
        return at(BoardTop + y, boardLeft() + 3 * x) + colours(33, back) + '[' + colours(fore, back) + glyph
            + colours(33, back) + ']';
    }
    return at(BoardTop + y, boardLeft() + 3 * x) + colours(fore, back) + cell;
}

QByteArray MinefieldDoor::squares(const QList<QPoint> &points) const
{
    QByteArray out;
    for (const QPoint &p : points)
        out += square(p.x(), p.y());
    return out;
}

QByteArray MinefieldDoor::statusBar() const
{
    const Minefield::Level &level = Minefield::Levels[m_level];
    QByteArray left = " MINEFIELD  " + QByteArray(level.name);
    QByteArray right = "Mines " + QByteArray::number(m_field.mines()) + "  Flags " + QByteArray::number(m_field.flags())
        + "  Time " + QByteArray::number(seconds()).rightJustified(3, ' ') + ' ';
    return at(1, 1) + colours(37, 44) + ServerBytes::Fit(left, ScreenWidth - int(right.size())) + colours(33, 44) + right;
}

QByteArray MinefieldDoor::message(const QByteArray &text, int colour) const
{
    return at(2, 1) + colours(colour, 40) + ServerBytes::Fit(' ' + text, ScreenWidth);
}

QByteArray MinefieldDoor::menuLine() const
{
    QByteArray out = at(helpRow() + 1, 1) + colours(37, 40) + QByteArray(ScreenWidth, ' ');
    for (const Word &word : MenuWords) {
        QByteArray text = word.text;
        if (word.key == 'm')
            text = m_flagMode ? "[Flag mode: on] " : "[Flag mode: off]";
        out += at(helpRow() + 1, word.column) + colours(word.key == 'm' && m_flagMode ? 31 : 36, 40) + text;
    }
    return out;
}

QByteArray MinefieldDoor::bestLine() const
{
    QByteArray text = "Best times (" + QByteArray(Minefield::Levels[m_level].name) + "):";
    const QList<BestTime> &bests = (*m_bests)[m_level];
    if (bests.isEmpty())
        text += " none yet";
    for (const BestTime &b : bests)
        text += "  " + b.name + ' ' + QByteArray::number(b.seconds) + 's';
    return at(helpRow() + 2, 1) + colours(32, 40) + ServerBytes::Fit(' ' + text, ScreenWidth);
}

QByteArray MinefieldDoor::screen() const
{
    const int left = boardLeft();
    const int width = 3 * m_field.width();
    QByteArray out = "\x1b[0;40m\x1b[2J" + statusBar();
    out += at(BoardTop - 1, left - 1) + colours(34, 40) + '\xc9' + QByteArray(width, '\xcd') + '\xbb';
    for (int y = 0; y < m_field.height(); ++y) {
        out += at(BoardTop + y, left - 1) + colours(34, 40) + '\xba';
        out += at(BoardTop + y, left + width) + colours(34, 40) + '\xba';
    }
    out += at(BoardTop + m_field.height(), left - 1) + colours(34, 40) + '\xc8' + QByteArray(width, '\xcd') + '\xbc';
    for (int y = 0; y < m_field.height(); ++y) {
        for (int x = 0; x < m_field.width(); ++x)
            out += square(x, y);
    }
    out += at(helpRow(), 1) + colours(37, 40)
        + ServerBytes::Fit(" Move: arrow keys   Open: Space or Enter   Flag: F   Or press a square.", ScreenWidth);
    out += menuLine() + bestLine();
    return out;
}

// ---------------------------------------------------------------------------
// Play

void MinefieldDoor::start()
{
    put(screen() + message("Welcome, " + m_player + "! Open every square but the mines; numbers count the mines near."));
}

void MinefieldDoor::newGame(int level)
{
    m_level = qBound(0, level, Minefield::LevelCount - 1);
    m_field = Minefield::ofLevel(m_level, m_seed + quint32(++m_games) * 7919u);
    m_cursor = {m_field.width() / 2, m_field.height() / 2};
    m_shownSeconds = -1;
    m_startedAt = -1;
    put(screen() + message("A new field: " + QByteArray::number(m_field.mines()) + " mines. Good luck!"));
}

void MinefieldDoor::moveCursor(int dx, int dy)
{
    const QPoint old = m_cursor;
    m_cursor.setX(qBound(0, m_cursor.x() + dx, m_field.width() - 1));
    m_cursor.setY(qBound(0, m_cursor.y() + dy, m_field.height() - 1));
    if (old != m_cursor)
        put(squares({old, m_cursor}));
}

void MinefieldDoor::finished(const QByteArray &before)
{
    m_endedAt = m_clock();
    if (m_field.state() == Minefield::State::Lost) {
        put(before + statusBar() + message("BOOM! That was a mine. Press N (or [New game]) to try again.", 31));
        return;
    }
    const int time = seconds();
    QList<BestTime> &bests = (*m_bests)[m_level];
    bests.append({m_player, time});
    std::stable_sort(bests.begin(), bests.end(), [](const BestTime &a, const BestTime &b) { return a.seconds < b.seconds; });
    const bool best = bests.first().name == m_player && bests.first().seconds == time;
    while (bests.size() > BestKept)
        bests.removeLast();
    put(before + statusBar() + bestLine()
        + message("Cleared in " + QByteArray::number(time) + " seconds" + (best ? " - the best time!" : "!")
                      + " Press N to play again, L for another level.",
                  32));
}

void MinefieldDoor::openAt(int x, int y)
{
    if (m_field.state() == Minefield::State::Won || m_field.state() == Minefield::State::Lost) {
        put(message("This game is over: press N for a new one."));
        return;
    }
    if (m_startedAt < 0)
        m_startedAt = m_clock();   // the clock runs from the first opening
    const QList<QPoint> changed = m_field.open(x, y);
    QByteArray bytes = squares(changed);
    if (!changed.contains(m_cursor))
        bytes += square(m_cursor.x(), m_cursor.y());
    if (m_field.state() == Minefield::State::Won || m_field.state() == Minefield::State::Lost) {
        finished(bytes);
        return;
    }
    put(bytes + statusBar());
}

void MinefieldDoor::flagAt(int x, int y)
{
    put(squares(m_field.toggleFlag(x, y)) + statusBar());
}

void MinefieldDoor::act(char key)
{
    switch (key) {
    case '8': moveCursor(0, -1); break;
    case '2': moveCursor(0, 1); break;
    case '4': moveCursor(-1, 0); break;
    case '6': moveCursor(1, 0); break;
    case ' ': case '\r': case '5': case 'o': case 'O':
        if (m_flagMode && !m_field.at(m_cursor.x(), m_cursor.y()).open)
            flagAt(m_cursor.x(), m_cursor.y());
        else
            openAt(m_cursor.x(), m_cursor.y());
        break;
    case 'f': case 'F':
        flagAt(m_cursor.x(), m_cursor.y());
        break;
    case 'm': case 'M':
        m_flagMode = !m_flagMode;
        put(menuLine() + message(m_flagMode ? "Flag mode: pressing a square plants or lifts a flag."
                                            : "Open mode: pressing a square opens it."));
        break;
    case 'n': case 'N':
        newGame(m_level);
        break;
    case 'l': case 'L':
        newGame((m_level + 1) % Minefield::LevelCount);
        break;
    case 'r': case 'R': case '\x0c': case '?':
        put(screen() + message("Arrow keys move, Space opens, F flags, N new game, L level, Q quit."));
        break;
    case 'q': case 'Q':
        m_ended = true;
        put("\x1b[0m\x1b[2J" + at(12, 30) + colours(33, 40) + "Thanks for playing!");
        break;
    default:
        break;
    }
}

void MinefieldDoor::keys(const QByteArray &bytes)
{
    for (const char key : bytes) {
        if (m_ended)
            return;
        act(key);
    }
}

void MinefieldDoor::press(int column, int row)
{
    if (m_ended)
        return;
    const qint64 now = m_clock();
    if (now < m_echoUntil && column == m_echoColumn && row < m_lastRow) {
        m_echoUntil = 0;
        return;
    }
    if (column == m_lastColumn && row == m_lastRow && now - m_lastPressAt <= DoubleClickMs) {
        m_echoUntil = now + EchoMs;
        m_echoColumn = column;
    }
    m_lastPressAt = now;
    m_lastColumn = column;
    m_lastRow = row;

    const int left = boardLeft();
    if (row >= BoardTop && row < BoardTop + m_field.height() && column >= left && column < left + 3 * m_field.width()) {
        const QPoint target((column - left) / 3, row - BoardTop);
        const QPoint old = m_cursor;
        m_cursor = target;
        if (old != target)
            put(square(old.x(), old.y()) + square(target.x(), target.y()));
        if (m_flagMode && !m_field.at(target.x(), target.y()).open)
            flagAt(target.x(), target.y());
        else
            openAt(target.x(), target.y());
        return;
    }
    if (row == helpRow() + 1) {
        for (const Word &word : MenuWords) {
            if (column >= word.column && column < word.column + int(qstrlen(word.text))) {
                act(word.key);
                return;
            }
        }
    }
    // Every press gets an answer: the client shows a busy pointer until one comes.
    put(statusBar());
}

void MinefieldDoor::tick()
{
    if (m_field.state() != Minefield::State::Playing)
        return;
    const int s = seconds();
    if (s != m_shownSeconds) {
        m_shownSeconds = s;
        put(statusBar());
    }
}
