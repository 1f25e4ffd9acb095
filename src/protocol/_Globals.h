#pragma once

// Field and string helpers shared by every program of the suite.
//
// The service's protocol is plain 8-bit text: fields are separated by single
// characters (":", ">", "[", "{", "}", "|", ";", "=", "#") and chat text
// carries three-byte attribute codes (ESC "[" x) and the end code ESC "]".
// Everything here works on bytes; nothing is converted to or from an encoding.

#include <QByteArray>
#include <QString>

#include <functional>

// The part before the first `ch`; the whole text when `ch` does not occur.
QByteArray TextBefore(const QByteArray &text, char ch);
// The part after the first `ch`; the whole text when `ch` does not occur.
QByteArray TextAfter(const QByteArray &text, char ch);
// As TextBefore/TextAfter, for a search text of any length.
QByteArray TextBeforeText(const QByteArray &text, const QByteArray &search);
QByteArray TextAfterText(const QByteArray &text, const QByteArray &search);
// Returns TextBeforeText(text, search) and removes exactly that from the front
// of `text`; the search text itself stays at the front.
QByteArray TakeTextBefore(QByteArray &text, const QByteArray &search);
// Returns the part before the first CR LF and removes it together with the
// CR LF; without a CR LF returns the whole buffer and empties it.
QByteArray TakeLine(QByteArray &buffer);

// Replaces every occurrence of `search`, left to right. Text produced by a
// replacement is never searched again. Without case sensitivity only the
// letters a-z and A-Z compare equal across case.
QByteArray ReplaceAll(const QByteArray &text, const QByteArray &search,
                      const QByteArray &replacement, bool caseSensitive);
// Puts the first byte of `pad` in front of `text` until it is `width` bytes
// long. An empty pad text never pads.
QByteArray PadLeft(const QByteArray &text, const QByteArray &pad, int width);

// Reads a number out of server text: every byte but "-", "." and the digits
// is dropped, then everything from the first "." on; what remains must be a
// signed 32-bit decimal in full, otherwise the result is 0.
// "12:" -> 12, " 3.7" -> 3, "a-4b" -> -4, "1-2" -> 0.
qint32 LenientNumber(const QByteArray &text);
inline qint32 LenientNumber(const QString &text) { return LenientNumber(text.toLatin1()); }

// Removes the bytes <= 0x20 (blank, CR, LF and the other controls) from both ends.
QByteArray TrimControls(const QByteArray &text);

// Removes ESC "[" x units at the front, then trims.
QByteArray StripLeadingCodes(const QByteArray &text);
// StripLeadingCodes, then keeps only what stands before the end code, then trims.
QByteArray LeadingPlainText(const QByteArray &text);
// Removes every ESC "[" x unit wherever it stands (a lone ESC "[" at the very
// end too), then trims.
QByteArray StripCodes(const QByteArray &text);

// The user name in a user-list caption: the caption without codes and
// without the rank mark in front.
QByteArray PlainUserName(const QByteArray &caption);
// The rank a user-list caption's mark stands for: 2 for none, up to 13.
int UserRank(const QByteArray &caption);
// True for the eleven bytes the server puts in front of a ranked user's name.
bool IsRankMark(char byte);

// Plays the sound the user's scheme binds to this program's event `label`.
// Never a default sound; an unbound label or a missing file plays nothing.
// "ChatTick" is skipped while another sound plays; every other label cuts
// off what plays. Goes through the program's EventSounds (see platform/).
void PlayEventSound(const QByteArray &label);
// The program installs its sound scheme here (EventSounds::install does it);
// without one PlayEventSound plays nothing. Returns the previous handler.
using EventSoundHandler = std::function<void(const QByteArray &label)>;
EventSoundHandler SetEventSoundHandler(EventSoundHandler handler);

// The folder that holds the desktop's own sound files; the lobby's default
// media folder is this folder + "/Media". On Linux it is the suite's data
// folder, $XDG_DATA_HOME/Vantora (usually ~/.local/share/Vantora).
QString WindowsFolder();
