#pragma once

// Finding the protocol's markers in a chunk in time proportional to the
// chunk. Dispatchers walk a chunk with a reading position and ask at every
// line "where is the next X from here?"; searching the rest each time would
// cost the rest's length per line. MarkerSearch keeps each answer while it
// is still ahead of the position (and a marker not found stays not found),
// so each marker is looked for about once per stretch of text.

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

class MarkerSearch
{
public:
    // `text` must stay as it is while this is used.
    explicit MarkerSearch(QByteArrayView text)
        : m_text(text)
    {
    }

    QByteArrayView text() const { return m_text; }

    // The first occurrence of `marker` at or after `pos`, or -1.
    qsizetype at(const QByteArray &marker, qsizetype pos);
    // The first occurrence of `marker` in `rest`, counted from the start of
    // `rest`, or -1. `rest` is a part of the text that runs to its end (as
    // the dispatchers hand the rest of a chunk on); any other view is
    // searched as it is.
    qsizetype in(QByteArrayView rest, const QByteArray &marker);

private:
    struct Known
    {
        QByteArray marker;
        qsizetype from = 0;   // searched from here...
        qsizetype at = -1;    // ...and found here (-1: not at all)
    };

    QByteArrayView m_text;
    QVarLengthArray<Known, 8> m_known;
};

namespace LockOffers {

// A text with every LockOffer taken out, also those that taking one out
// makes (E2 F7 + LockOffer + F8). The marker cannot overlap itself, so one
// pass that looks back at what it has kept gives the same text as taking
// the first one out again and again.
struct Taken
{
    QByteArray text;
    int count = 0;              // how many were taken out
    bool passwordFirst = false; // stopped: the text then began with PasswordMarker
};
// With `stopAtPassword`, the pass stops after the take-out that leaves the
// text beginning with PasswordMarker (a dispatcher that tests for the
// password request after each take-out would stop there).
Taken Take(const QByteArray &text, bool stopAtPassword = false);

} // namespace LockOffers
