#include "ServiceConfig.h"

ServiceConfig ServiceConfig::standard(int roomBasePort, int tableBasePort, const QStringList &doorCommand,
                                      const QByteArray &doorTitle)
{
    ServiceConfig config;
    config.rooms = {
        {"Public Lobby", roomBasePort, true, RoomRole::Guest},
        {"Forum", roomBasePort + 1, true, RoomRole::Audience},
        {"Sysop", roomBasePort + 2, false, RoomRole::Speaker},
    };
    config.games = {
        {"Card Table 1", "\\SpawnNode", tableBasePort, GameKind::Hearts, 0, false},
        {"Card Table 2", "\\SpawnNode", tableBasePort + 1, GameKind::Hearts, 1, false},
        {"Sketch Table", "\\SpawnDoodlix", tableBasePort + 10, GameKind::Sketch, 2, false},
        {"Door Game", "\\SpawnDoor", tableBasePort + 20, GameKind::Door, 3, false},
        // The lightweight client shows chat on its screen: its own port,
        // where the door sends it none.
        {"Door Game (light)", "\\SpawnDoorX", tableBasePort + 21, GameKind::Door, 3, true},
        {"Race Deck", "\\SpawnNode", tableBasePort + 2, GameKind::Race, 4, false},
    };
    if (!doorCommand.isEmpty()) {
        const QByteArray title = doorTitle.isEmpty() ? QByteArray("Terminal Door") : doorTitle;
        config.doorCommand = doorCommand;
        config.games.append({title, "\\SpawnDoor", tableBasePort + 22, GameKind::BridgedDoor, 5, false});
        config.games.append({title + " (light)", "\\SpawnDoorX", tableBasePort + 23, GameKind::BridgedDoor, 5, true});
    }
    // Last, so that the entries before keep their places with or without a door.
    config.games.append({"Race Cards", "\\SpawnNode", tableBasePort + 3, GameKind::RaceDeck, 7, false});
    return config;
}

void ServiceConfig::addArtGallery(ServiceConfig &config, int tableBasePort, const QString &folder)
{
    config.artFolder = folder;
    config.games.append({"Art Gallery", "\\SpawnDoor", tableBasePort + 24, GameKind::ArtGallery, 6, false});
    config.games.append({"Art Gallery (light)", "\\SpawnDoorX", tableBasePort + 25, GameKind::ArtGallery, 6, true});
}
