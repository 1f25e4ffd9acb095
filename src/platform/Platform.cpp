#include "Platform.h"

#include "ProgramLauncher.h"
#include "QtSoundPlayer.h"
#include "WindowLister.h"

namespace Platform {

namespace {
SoundPlayer *g_sound = nullptr;
ProgramLauncher *g_launcher = nullptr;
WindowLister *g_lister = nullptr;
} // namespace

SoundPlayer &sound()
{
    if (g_sound)
        return *g_sound;
    static QtSoundPlayer real;
    return real;
}

ProgramLauncher &launcher()
{
    if (g_launcher)
        return *g_launcher;
    static ProcessLauncher real;
    return real;
}

WindowLister &windowLister()
{
    if (g_lister)
        return *g_lister;
    static DesktopWindowLister real;
    return real;
}

void setSound(SoundPlayer *player) { g_sound = player; }
void setLauncher(ProgramLauncher *launcher) { g_launcher = launcher; }
void setWindowLister(WindowLister *lister) { g_lister = lister; }

} // namespace Platform
