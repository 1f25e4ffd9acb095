#pragma once

// One caller's session in a door: the built-in game or a bridged program.
// The door node feeds it the caller's keys and presses and writes what it
// produces to the caller's screen.

#include <QByteArray>
#include <QList>

#include <functional>

class DoorSession
{
public:
    using Output = std::function<void(const QByteArray &bytes)>;

    virtual ~DoorSession() = default;
    virtual void start() = 0;
    // Keys as typed: characters, CR for Return, BS, ESC, and the digits
    // 8, 2, 4, 6 the clients send for the arrow keys.
    virtual void keys(const QByteArray &bytes) = 0;
    // A press on the screen: column and row of the cell, from 1.
    virtual void press(int column, int row) = 0;
    virtual void tick() {}
    // The session is over; the node closes the connection.
    virtual bool ended() const = 0;
    virtual void renamed(const QByteArray &) {}
};

// What a door client sends, taken apart.
namespace DoorInput {

struct Event {
    enum Kind { Keys, Press, Chat, Button };
    Kind kind = Keys;
    QByteArray bytes;   // Keys: the bytes; Chat: the text; Button: the name
    int column = 0;
    int row = 0;
};

// A chunk from a door client: chat behind the chat marker, a cell text
// alone, a server button, the screen engine's answers to report requests
// (dropped), the ready bytes (dropped), and keys.
QList<Event> Parse(const QByteArray &chunk);

} // namespace DoorInput
