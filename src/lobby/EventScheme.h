#pragma once

// The lobby's application-event sounds as the desktop's sound settings see
// them: a label per event under AppEvents/EventLabels and, in the lobby's
// own scheme AppEvents/Schemes/Apps/VTLobby, the wave file of each event.

#include <QString>

#include <vector>

class SettingsStore;

struct LobbyEventSound
{
    const char *event;   // "AppOpen", ...
    const char *label;   // "Vantora Login", ...
    const char *file;    // "VTOpen.wav", ... in the lobby's folder
};

const std::vector<LobbyEventSound> &LobbyEventSounds();

// Writes the labels and the scheme, with `lobbyDir` (ending in "/") in
// front of each file name, unless the lobby's scheme key exists already:
// whatever the user has changed there is kept. True when it wrote.
bool RegisterEventScheme(SettingsStore &store, const QString &lobbyDir);
