#pragma once

// Splits what a node server sends into screen data, chat, player-list
// updates and the few control markers. One call handles one chunk as it was
// read from the connection; nothing is kept between chunks (the screen
// bytes are queued by the target), so a marker split across two chunks is
// not recognised.
//
// The order of the tests, for a text T:
//   1. T begins with PasswordMarker: the server asks for a password; the
//      rest of T is dropped.
//   2. T contains LockOffer: the first one is removed and offered; the rest
//      goes on.
//   3. T contains TitleMarker: everything up to the marker's end is dropped,
//      the next line (TakeLine) is the new caption, the chat view is
//      emptied, the rest goes on.
//   4. The program's own test of the chat-free text (screenCommand).
//   5. No ChatMarker in T: T is screen data.
//   6. The text before the first ChatMarker goes first; the marker is dropped.
//   7. What follows begins with PlayerListLine: all of it is a player-list update.
//   8. The program's own test of the chat text (chatCommand).
//   9. The first line goes to the chat view with CR LF; the rest goes on
//      from test 1.
//
// The loop is iterative and walks the chunk with an offset, remembering
// where the next markers are (MarkerSearch, which the programs' own tests
// use too), so a chunk of many short lines costs time in proportion to its
// length and never deepens the stack. The lock offers of test 2 are all
// taken out in one pass before the walk (each take-out starts the tests
// again, so all of them come first).

#include <QByteArray>
#include <QByteArrayView>

#include "MarkerSearch.h"

class NodeDispatchTarget
{
public:
    virtual ~NodeDispatchTarget() = default;

    virtual void passwordRequested() = 0;
    virtual void lockOffered() = 0;
    // The caption line; the target also empties its chat view.
    virtual void captionReceived(const QByteArray &caption) = 0;
    // Test 4: true when the program consumed the text (nothing else of it
    // is handled). It may look at the text and return false to let it go on.
    // `text` is the rest of the chunk; `search` finds markers in it without
    // reading the rest again at every line (use search.in(text, marker)).
    virtual bool screenCommand(QByteArrayView text, MarkerSearch &search)
    {
        Q_UNUSED(text);
        Q_UNUSED(search);
        return false;
    }
    virtual void screenData(const QByteArray &bytes) = 0;
    // The whole text from PlayerListLine on, line ends included.
    virtual void playerList(const QByteArray &text) = 0;
    // Test 8: true when the program handled the chat text. A program that
    // needs parts of it dispatched again calls NodeDispatcher::dispatch
    // from here.
    virtual bool chatCommand(QByteArrayView text, MarkerSearch &search)
    {
        Q_UNUSED(text);
        Q_UNUSED(search);
        return false;
    }
    // One chat line followed by CR LF.
    virtual void chatLine(const QByteArray &lineWithBreak) = 0;
};

class NodeDispatcher
{
public:
    explicit NodeDispatcher(NodeDispatchTarget &target)
        : m_target(target)
    {
    }

    void dispatch(QByteArray text);
    // A part handed back from a hook at `depth` (see depth()), dispatched
    // later: it nests as deep as it would have on the spot.
    void dispatch(QByteArray text, int depth);
    // How deep the dispatch running now is (0: none).
    int depth() const { return m_depth; }

    // Hooks that dispatch parts of a text again nest at most this deep; a
    // deeper part is dropped.
    static constexpr int MaxDepth = 32;

private:
    NodeDispatchTarget &m_target;
    int m_depth = 0;
};
