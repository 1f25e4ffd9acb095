#pragma once

// The process-wide seams to the desktop. Programs use the real ones; a test
// replaces any of them with a fake before it creates a window.

class PasswordVault;
class SoundPlayer;
class ProgramLauncher;
class WindowLister;

namespace Platform {

SoundPlayer &sound();
ProgramLauncher &launcher();
WindowLister &windowLister();
// The desktop's keyring; no keyring at all when the environment variable
// VANTORA_KEYRING is "none" (the test programs set it, so that no test
// ever reaches a real keyring).
PasswordVault &vault();

// nullptr restores the real implementation.
void setSound(SoundPlayer *player);
void setLauncher(ProgramLauncher *launcher);
void setWindowLister(WindowLister *lister);
void setVault(PasswordVault *vault);

} // namespace Platform
