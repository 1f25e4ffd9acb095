#pragma once

// What clients send, taken apart. Clients write one message per write and
// add no framing, so a read may carry one message, several glued together or
// (on a slow link) part of one. These functions cut a received chunk into
// the messages the server acts on, by the markers and line ends the clients
// use; everything is plain bytes in, plain bytes out.

#include <QByteArray>
#include <QList>

namespace ClientMessages {

// Longest message the server accepts; a longer one counts as garbage.
constexpr qsizetype MaxMessage = 8 * 1024;

// Cuts a chunk into messages:
//  - a single 00 byte is a keep-alive message of its own;
//  - the presence marker with its one state byte, the icon marker with its
//    digits, and the ready byte sequence are messages of their own;
//  - a line that begins with "/" or "\\" (a command) ends at its CR LF;
//  - any other text (chat, where-is requests, identification, presses) runs
//    to the end of the chunk, to the next 00 byte or marker, or to a CR LF
//    followed by a command or marker, so a multi-line chat text stays whole.
// Trailing CR LF are removed from every message; empty messages are dropped.
QList<QByteArray> Split(const QByteArray &chunk);

struct Identity {
    bool valid = false;
    QByteArray name;
    QByteArray password;
};

// Reads IdentifyOpen + name + IdentifyClose + password from the front of a
// message. The password ends at the end of the message or at the first
// control byte.
Identity ParseIdentity(const QByteArray &message);

// Chat text from one user as every other client may safely receive it:
// attribute codes the chat renderer knows are kept, every other ESC
// sequence, the server-only markers (invitation, notice, ready, chat, title,
// lock, password), the where-is bytes A4 AB and the other control bytes but
// CR LF are removed. A user-list block ESC "[L" can therefore never be
// injected through chat.
QByteArray SafeChatText(const QByteArray &text);

// A user name is 1 to 20 bytes of ASCII letters, digits, "-", "_" and ".",
// beginning with a letter or digit: nothing in it can be taken for a field
// separator, a rank mark or a blank in a program's command line.
bool ValidUserName(const QByteArray &name);
// A password is 1 to 64 printable bytes without blanks (the lobby hands it
// to the client programs on a blank-separated command line).
bool ValidPassword(const QByteArray &password);

// A press as the screen clients send it: the column, ";" and the row in
// decimal, nothing else. A double click may send a row above the surface,
// so either number may carry a minus sign.
bool ParseCellText(const QByteArray &text, int *column, int *row);

// What a user typed into a chat box, taken apart. The clients put the
// user's colour and style codes (ESC "[" and one byte each) and the font and
// size codes (ESC "[F{name}", ESC "[S{n}") in front of every typed text, so a
// command typed into the box ("/msg Bob hi") arrives behind them. `codes` is
// that run of codes, `text` what follows it up to the end of the message.
struct Typed {
    QByteArray codes;
    QByteArray text;
};
Typed TypedText(const QByteArray &message);

// The name a client means by a list caption: codes, rank mark, an end code
// and what follows it, and the " [AWAY]" suffix of the chat rooms removed.
QByteArray NameOfCaption(const QByteArray &caption);

} // namespace ClientMessages
