#include "Platform.h"

#include "PasswordVault.h"
#include "ProgramLauncher.h"
#include "QtSoundPlayer.h"
#include "WindowLister.h"

namespace Platform {

namespace {
SoundPlayer *g_sound = nullptr;
ProgramLauncher *g_launcher = nullptr;
WindowLister *g_lister = nullptr;
PasswordVault *g_vault = nullptr;
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

PasswordVault &vault()
{
    if (g_vault)
        return *g_vault;
    static NoKeyring none;
    if (qEnvironmentVariable("VANTORA_KEYRING") == QLatin1String("none"))
        return none;
    static DesktopKeyring real;
    return real;
}

void setSound(SoundPlayer *player) { g_sound = player; }
void setLauncher(ProgramLauncher *launcher) { g_launcher = launcher; }
void setWindowLister(WindowLister *lister) { g_lister = lister; }
void setVault(PasswordVault *vault) { g_vault = vault; }

} // namespace Platform
