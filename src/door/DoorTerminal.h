#pragma once

// What the two door-game terminals (Portalis and Gatelet) share: which bytes
// a key sends, the screen engine's cells and rows, and how queued screen
// bytes are paced.
//
// Keys while the surface panel has the focus: a character key sends the one
// byte it types (Return CR, Backspace 08, Escape 1B, Tab 09, control
// letters their control byte); an arrow key sends nothing when pressed and
// the digit of a numeric keypad when released ("8" up, "2" down, "4" left,
// "6" right). A held arrow sends once: the releases the keyboard's repeat
// makes in between are not counted.

#include <QByteArray>
#include <QString>
#include <Qt>

#include <functional>

class QKeyEvent;
class QTcpSocket;
class ScreenFeeder;
class TAnsi;

namespace DoorTerminal {

constexpr int RowCount = 26;
constexpr int NormalFontSize = 9;
constexpr int LargeFontSize = 11;
constexpr int SmallFontSize = 8;   // fixed 8 by 10 cells on narrow screens
constexpr int FeedPauseMs = 2;

// Queue limits that keep one feeding pass short (about a frame of drawing
// at the engine's speed, see bench/door_bench.cpp), so that keys and
// repaints are never held up by a fast server; the connection waits
// meanwhile. A pass is at most the high mark plus one read.
constexpr qsizetype QueueHighWater = 32 * 1024;
constexpr qsizetype QueueLowWater = 8 * 1024;
constexpr qsizetype SocketReadBuffer = 16 * 1024;

bool IsArrow(int key);
// The bytes a key press sends (empty for arrows and for keys that type nothing).
QByteArray KeyPressBytes(int key, Qt::KeyboardModifiers modifiers, const QString &text);
// The digit an arrow's release sends; empty for other keys and repeats.
QByteArray KeyReleaseBytes(int key, bool autoRepeat);

// Sends what a key press or release on the surface panel sends; true when
// the event is taken (it then goes no further: arrows never scroll the view).
bool SurfaceKey(const QKeyEvent &event, const std::function<void(const QByteArray &)> &send);

// Cells: fixed 8 on a narrow screen when asked for, else measured 9; then
// measured 11 for large fonts. The screen has 26 rows.
void SetEngineFont(TAnsi &engine, bool smallScreenCells, bool largeFont);
void SetLargeFont(TAnsi &engine, bool largeFont);
// The user's toggle: the screen is drawn again at the new cell size, so that
// text of two sizes never lies over each other.
void ToggleLargeFont(TAnsi &engine, bool largeFont);

// Whole-queue passes 2 ms apart, with the queue and the socket's read
// buffer kept short.
void PaceFeeding(ScreenFeeder &feeder, QTcpSocket &socket);

} // namespace DoorTerminal
