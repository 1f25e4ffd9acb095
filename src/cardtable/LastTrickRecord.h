#pragma once

// The record of the last complete trick: the card codes played to the upper
// part of the table, oldest first, at most seven. While the next trick is
// being played (five to seven codes) the first four are the last complete
// trick; the eighth card completes the next one and the first four go.

#include <QList>

class LastTrickRecord
{
public:
    // Cards whose top edge is at this many pixels or lower are not played
    // to the trick.
    static constexpr int TopLimit = 230;
    static constexpr int MaxCards = 7;

    // True when the card was recorded (the window redraws).
    bool CardPlayed(int top, int code);
    // Four codes are kept (the trick just completed); any other count empties.
    void TrickCleared();

    const QList<int> &codes() const { return m_codes; }
    // What the window shows: the first four codes, or four card backs while
    // fewer than four are on record.
    QList<int> shownCodes() const;

private:
    QList<int> m_codes;
};
