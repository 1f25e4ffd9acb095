#pragma once

// The byte strings the chat console sends to the lobby server, as plain
// functions: the colour, style and font prefix of every chat text, private
// lines, the presence change, the online icon, and the texts the message
// box and the insert menu hand over.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace ChatComposer {

// ATColor + ATStyle, and with the font button down "\033[" "F{" font "}".
QByteArray Prefix(const QByteArray &atColor, const QByteArray &atStyle, bool withFont,
                  const QByteArray &fontName);
// "/msg " name " " prefix text CR LF.
QByteArray PrivateText(const QByteArray &name, const QByteArray &prefix, const QByteArray &text);
// PresenceMarker and "5" (away) or "0" (here).
QByteArray Presence(bool away);
// What a presence change announces in the chat.
QByteArray PresenceText(bool away);
// IconMarker and the icon's number in decimal.
QByteArray IconChoice(int index);

// A style button: down appends the code, up removes every occurrence of it.
QByteArray ToggleStyle(const QByteArray &atStyle, const QByteArray &code, bool down);
inline const QByteArray BoldCode = QByteArrayLiteral("\033[B");
inline const QByteArray ItalicCode = QByteArrayLiteral("\033[I");

// The message box's text without the empty lines at its top.
QString WithoutLeadingEmptyLines(const QString &text);
// The message box's text as it goes out: lines separated by CR LF, no line
// end after the last.
QByteArray MessageBytes(const QString &text);

// The icon numbers of the online-icon bar, left to right.
const std::array<int, 22> &OnlineIcons();

// The insert menu: a code start, every user followed by a blank, a few
// greetings, the private-line command and a laugh sound for all listeners.
QStringList InsertMenuItems(const QList<QByteArray> &captions);

} // namespace ChatComposer
