#pragma once

// How the lightweight door terminal splits what its server sends. It has no
// chat panel: text behind ChatMarker goes to the screen like any other text,
// with the marker taken out. One call handles one chunk as it was read;
// nothing is kept between chunks.
//
// The order of the tests, for a text T (each "the rest" starts again at 1):
//   1. T begins with PasswordMarker: the server asks for a password; the
//      rest of T is dropped.
//   2. LockOffer is taken out wherever it stands; nothing is shown for it.
//   3. T contains TitleMarker: everything up to the marker's end is dropped,
//      the next line (up to CR LF) is the new caption; then the rest.
//   4. No ChatMarker in T: T is screen data.
//   5. The text before the first ChatMarker is screen data; the marker is
//      dropped; then the rest.
//
// Taking out one LockOffer can join two pieces into a new one (E2 F7 +
// LockOffer + F8); the marker cannot overlap itself, so taking them all out
// in one pass that looks back at what it has kept gives the same text as
// taking them out one by one. The walk over the rest is iterative and keeps
// an offset, so a chunk costs time in proportion to its length.

#include <QByteArray>

class GateletDispatchTarget
{
public:
    virtual ~GateletDispatchTarget() = default;
    virtual void passwordRequested() = 0;
    virtual void captionReceived(const QByteArray &caption) = 0;
    virtual void screenData(const QByteArray &bytes) = 0;
};

class GateletDispatcher
{
public:
    explicit GateletDispatcher(GateletDispatchTarget &target)
        : m_target(target)
    {
    }

    void dispatch(const QByteArray &chunk);

    // `text` without any LockOffer, also those that taking one out makes.
    static QByteArray WithoutLockOffers(const QByteArray &text);

private:
    GateletDispatchTarget &m_target;
};
