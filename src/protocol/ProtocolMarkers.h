#pragma once

// The short byte sequences that frame the service's protocol, shared by the
// lobby, the menu frames and the client programs.

#include <QByteArray>

namespace Marker {

// to server (lobby, menu, node): starts the identification; the user name follows
inline const QByteArray IdentifyOpen = QByteArrayLiteral("\x1b[\xbd");
// to server: ends the user name; the password follows
inline const QByteArray IdentifyClose = QByteArrayLiteral("\x1b]");
// from the lobby server: the user is accepted; the lobby introduces itself once
inline const QByteArray ReadyMarker = QByteArrayLiteral("\x1b[\xb3");
// to a node server, 200 ms after the identification
inline const QByteArray ClientReady = QByteArrayLiteral("\xec\xed\xee");
// both ways (lobby, chat room): a chunk of exactly this one byte
inline const QByteArray KeepAlive = QByteArrayLiteral("\x00");
// from server (lobby, chat room): a pop-up notice follows
inline const QByteArray NoticeMarker = QByteArrayLiteral("\xe6\xe6\xdf");
// from server (lobby, menu): an invitation into a chat room
inline const QByteArray InviteMarker = QByteArrayLiteral("\xea\xeb\xe8");
// both (menu, node): the server asks for a password; the answer is the marker and the password
inline const QByteArray PasswordMarker = QByteArrayLiteral("\xef\xee\xed");
// from a node server: the user may lock the room
inline const QByteArray LockOffer = QByteArrayLiteral("\xe2\xf7\xf8");
// from a node server: the rest of the line is the new window caption
inline const QByteArray TitleMarker = QByteArrayLiteral("\x5c\xcb\xf4");
// both (node): what follows is chat, not screen data
inline const QByteArray ChatMarker = QByteArrayLiteral("\xe7\xe8\xe9");
// from a node server: chat text that begins so is a player-list update
inline const QByteArray PlayerListLine = QByteArrayLiteral("\x1b[L");
// to server (lobby, node): a user name follows; asks where that user is
inline const QByteArray WhereIsRequest = QByteArrayLiteral("\x1b]\xa4\xab");
// to the lobby server: "5" (away) or "0" (here) follows
inline const QByteArray PresenceMarker = QByteArrayLiteral("\xd4\xe1\xdd");
// to the lobby server: the decimal number of the chosen on-line icon follows
inline const QByteArray IconMarker = QByteArrayLiteral("\xac\xaf\xab");
// to server (menu, node): the name of a server-made button that was clicked follows
inline const QByteArray ButtonPress = QByteArrayLiteral("\xb1\xaf\xb0");

} // namespace Marker
