#pragma once

// The parameter run of an open escape sequence and the way commands read
// their arguments from its front. A run that never ends is capped: bytes past
// kAnsiTextCap are dropped, so a hostile server cannot grow it without limit.

#include <QByteArray>

// The most a parameter run, a capture text or a music string keeps.
inline constexpr qsizetype kAnsiTextCap = 64 * 1024;

// Pixel coordinates that come from the stream are held within this range, so
// that arithmetic on them never overflows; nothing that large is on a screen.
inline constexpr int kAnsiCoordLimit = 1 << 24;

class AnsiParams
{
public:
    // What is left to read.
    QByteArray text() const { return m_text.mid(m_pos); }
    bool isEmpty() const { return m_pos >= m_text.size(); }
    void clear();
    void set(const QByteArray &text);
    void append(char byte);
    void prepend(char byte);

    // Reads the longest leading signed decimal integer and removes it together
    // with the one byte that stopped the reading (normally the ";"). An empty,
    // unreadable or out-of-range number reads as 0. "1.5;3" gives 1 and
    // leaves "5;3".
    int NextInt();
    // The same for a decimal number with an optional fraction ("2.5"),
    // held as a 32-bit float.
    float NextReal();

private:
    QByteArray m_text;
    // Reading moves this offset instead of removing bytes from the front, so
    // that reading a long run costs no more than its length.
    qsizetype m_pos = 0;
};

// value × cell size, rounded to the nearest integer with an exact half going
// to the even neighbour, held within kAnsiCoordLimit.
int CellRound(float value, int cellSize);
// Clamps a 64-bit intermediate result to the coordinate range.
int ClampCoord(qint64 value);
