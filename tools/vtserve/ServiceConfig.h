#pragma once

// What the service's parts share about the world outside: where their
// bytes go (the Outbox), the kinds of connection, and the settings of the
// rooms, the games and the limits.

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "SeatedTable.h"
#include "SketchTable.h"

class Outbox
{
public:
    virtual ~Outbox() = default;
    // `alone`: the bytes must reach the client in a read of their own,
    // because its dispatcher looks at the start or at the whole of a read.
    virtual void send(int connection, const QByteArray &bytes, bool alone) = 0;
    // Write what is queued, then close.
    virtual void close(int connection) = 0;
    // Bytes queued for the connection and not yet written.
    virtual qsizetype pending(int) const { return 0; }
};

// Table: a game node; the number given with it is the games-menu entry.
enum class Channel { Lobby, GamesMenu, RoomsMenu, Room, Table };

enum class RoomRole { Speaker = 1, Guest = 2, Audience = 3 };

struct RoomConfig {
    QByteArray title;
    int port = 0;
    bool moderated = true;           // members are grouped into speakers, guests, audience
    RoomRole joinAs = RoomRole::Guest;
};

// RaceDeck: the race cards one by one, each explained; Race: the touring race.
enum class GameKind { Hearts, Race, RaceDeck, Sketch, Door, BridgedDoor, ArtGallery };

struct GameConfig {
    QByteArray title;
    QByteArray command;              // "\\SpawnNode", "\\SpawnDoodlix", "\\SpawnDoor", "\\SpawnDoorX"
    int port = 0;
    GameKind kind = GameKind::Hearts;
    int node = 0;                    // entries with the same node share one table
    bool light = false;              // for the lightweight door client: no chat, no player list
};

struct ServiceConfig {
    int gamesMenuPort = 1030;
    int roomsMenuPort = 1031;
    QList<RoomConfig> rooms;
    QList<GameConfig> games;

    int keepAliveMs = 60000;
    int identifyTimeoutMs = 30000;
    int readyTimeoutMs = 3000;       // a room joiner that never says it is ready joins anyway
    int whereIsTimeoutMs = 30000;
    int roomBanMs = 120000;
    // Wrong passwords from one address before its logins are refused for a while.
    int maxFailures = 5;
    int failureWindowMs = 60000;
    int historyLines = 30;
    // The lobby's user list goes to its users at most this often: the
    // changes in between (logins, logouts, presence) go out together in
    // the next list. 0: every change at once.
    int userListMs = 250;

    // Flood limits: token buckets refilled continuously.
    double burstMessages = 40;
    double messagesPerSecond = 5;
    double burstBytes = 64 * 1024;
    double bytesPerSecond = 16 * 1024;
    qsizetype maxChunk = 64 * 1024;

    // Game nodes.
    CardTiming cards;
    SketchTiming sketch;
    QList<SketchWord> words;         // empty: the list shipped with the service
    quint32 seed = 0;                // 0: a new random game every run
    int doorGuestMs = 2500;          // a door client that does not identify plays as a guest
    int maxDoorSessions = 8;         // programs a bridged door runs at once
    QStringList doorCommand;         // the bridged door's program; none: no bridged door
    QString artFolder;               // the ANSI art gallery's folder; empty: no gallery

    // The suite's standard rooms and game entries on consecutive ports;
    // with a door command also the bridged door (on table ports 22 and 23).
    static ServiceConfig standard(int roomBasePort, int tableBasePort, const QStringList &doorCommand = {},
                                  const QByteArray &doorTitle = {});
    // Adds the ANSI art gallery door of a folder (on table ports 24 and 25).
    static void addArtGallery(ServiceConfig &config, int tableBasePort, const QString &folder);
};
