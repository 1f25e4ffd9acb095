#include "ChatSounds.h"

#include "ChatAnsi.h"
#include "Platform.h"
#include "SoundPlayer.h"

void InstallChatSounds()
{
    TDispAnsi::SoundFileHook = [](const QString &path) { return Platform::sound().play(path); };
}
