#include "EventScheme.h"

#include "EventSounds.h"
#include "SettingsStore.h"

const std::vector<LobbyEventSound> &LobbyEventSounds()
{
    static const std::vector<LobbyEventSound> sounds = {
        {"AppOpen", "Vantora Login", "VTOpen.wav"},
        {"AppClose", "Vantora Close", "VTClose.wav"},
        {"NewArrival", "New Arrival", "Arrival.wav"},
        {"PersonExits", "User Exits", "Leave.wav"},
        {"ChatTick", "Chat Click Sound", "ChatClick.wav"},
        {"Problem", "Connection Problem", "Problem.wav"},
        {"Here", "I'm Here !", "Here.wav"},
        {"Away", "I'm Away !", "Away.wav"},
        {"Look", "Looking For", "Poll.wav"},
    };
    return sounds;
}

bool RegisterEventScheme(SettingsStore &store, const QString &lobbyDir)
{
    const QString scheme = EventSounds::schemeKey(QStringLiteral("VTLobby"));
    if (store.hasKey(scheme))
        return false;
    store.writeString(scheme, QStringLiteral("Vantora Lobby"));
    for (const LobbyEventSound &sound : LobbyEventSounds()) {
        const QString event = QString::fromLatin1(sound.event);
        store.writeString(QStringLiteral("AppEvents/EventLabels/") + event,
                          QString::fromLatin1(sound.label));
        store.writeString(scheme + QLatin1Char('/') + event + QStringLiteral("/.current"),
                          lobbyDir + QString::fromLatin1(sound.file));
    }
    store.flush();
    return true;
}
