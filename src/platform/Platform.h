#pragma once

// The process-wide seams to the desktop. Programs use the real ones; a test
// replaces any of them with a fake before it creates a window.

class SoundPlayer;
class ProgramLauncher;
class WindowLister;

namespace Platform {

SoundPlayer &sound();
ProgramLauncher &launcher();
WindowLister &windowLister();

// nullptr restores the real implementation.
void setSound(SoundPlayer *player);
void setLauncher(ProgramLauncher *launcher);
void setWindowLister(WindowLister *lister);

} // namespace Platform
