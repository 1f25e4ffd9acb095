#pragma once

// What the screen engine asks of the desktop, as the suite's windows answer
// it: byte 07 sounds the desktop's beep, and the text of a widget capture
// ended by "}" opens in the program's MessageBoxQueue (one box at a time
// that does not wait; the engine never runs a nested event loop). The
// engine itself does neither: a window that hosts it installs these.

class AnsiByteParser;
class TAnsi;

namespace DesktopEffects {

// The beep, for either decoder.
void InstallBeep(AnsiByteParser &decoder);
// The beep and the message box.
void Install(TAnsi &engine);

} // namespace DesktopEffects
