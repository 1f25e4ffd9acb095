#pragma once

// What a chat room's server sends, decided per chunk as plain functions over
// bytes. The room client reads everything available as one chunk and the
// first rule that matches decides; nothing is kept between chunks and a
// chunk is never split into several messages. The window carries out the
// decision (lights, dialogs, caption, renderer).

#include <QByteArray>

#include "Colors.h"

namespace Parlora {

struct RoomMessage
{
    enum Kind {
        KeepAlive,        // exactly one 00 byte: the keep-alive light changes
        PasswordRequest,  // the room asks for a password; the rest is dropped
        LockOffer,        // the user may lock the room; the rest is dropped
        RoomTitle,        // `text` is the room's name, the new caption
        Notice,           // `caption` and `text` for a grey message window
        Chat,             // `text` goes to the chat renderer
    };

    Kind kind = Chat;
    QByteArray text;
    QByteArray caption;        // Notice only
    bool lockInTitle = false;  // RoomTitle: the lock offer came with the name
    bool marked = false;       // Chat: the chunk began with the chat marker
};

RoomMessage Decode(const QByteArray &chunk);

// The line the chat view shows when the server names the room.
QByteArray WelcomeText(const QByteArray &title);

// The room panel's colour for a room name: "Public" rooms purple, "Sysop"
// rooms brown, "MPA" rooms green, any other navy; tried in this order, with
// letter case.
TColor RoomColour(const QByteArray &title);

// Bytes sent once the server has named the room.
inline const QByteArray BuffRequest = QByteArrayLiteral("/Buff");

} // namespace Parlora
