#pragma once

// The bytes the server writes, built in one place so that every message has
// the shape the clients' dispatchers and chat renderer look for.

#include <QByteArray>
#include <QList>

namespace ServerBytes {

// Screen commands every screen of the service uses: the cursor to a cell
// (row and column from 1), and colours in the bright palette.
QByteArray CursorTo(int row, int column);
QByteArray BrightColours(int fore, int back);
// The text cut or padded with blanks to exactly `width` bytes.
QByteArray Fit(const QByteArray &text, int width);

// One row of a user-list block: caption "=" icon ";" state ";" data.
struct ListRow {
    QByteArray caption;
    int icon = 0;
    int state = 0;
    int data = 0;
};

// ESC "[L", the rows separated by CR LF, ESC "]".
QByteArray UserListBlock(const QList<ListRow> &rows);

// The rank mark in front of a name: "$" for 9, "+" for 5 and so on; none for 2.
QByteArray RankMark(int rank);
// The name colour code of a rank.
QByteArray NameColour(int rank);

// A chat line as everybody sees it: the speaker's name, bold in the rank's
// colour, then ">" and the (already made safe) text, ended by CR LF.
QByteArray ChatLine(const QByteArray &name, int rank, const QByteArray &text);
// A line from the server itself in one colour code ("4" red, "5" green ...).
QByteArray ServiceLine(char colour, const QByteArray &text);
// The arrival and departure lines; the chat renderer plays the arrival and
// departure sounds for a head holding "(Enter)>" or "(Exit)>".
QByteArray EnterLine(const QByteArray &name, const QByteArray &where);
QByteArray ExitLine(const QByteArray &name, const QByteArray &where);
// A whisper as the receiver and as the sender see it.
QByteArray WhisperIn(const QByteArray &from, const QByteArray &text);
QByteArray WhisperOut(const QByteArray &to, const QByteArray &text);

// NoticeMarker, one spare byte, the caption, ">" and the message.
QByteArray Notice(const QByteArray &caption, const QByteArray &message);
// InviteMarker ":" port "[" inviter: the lobby asks whether to join.
QByteArray Invitation(int port, const QByteArray &inviter);
// "\\SpawnMenu:" port and "\\SpawnCMenu:" port.
QByteArray SpawnMenu(int port);
QByteArray SpawnChatMenu(int port);
// A where-is query for the named user's lobby: the renderer shows the asker
// and "Looking For" the name, and the lobby answers with its where-is text.
QByteArray WhereIsQuery(const QByteArray &asker, const QByteArray &target);
// TitleMarker and the room's name, no line end (the chat-room client takes
// the whole rest of the chunk as its caption).
QByteArray RoomTitle(const QByteArray &title);

} // namespace ServerBytes
