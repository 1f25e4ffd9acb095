#pragma once

// The service's protocol logic: the lobby, the two menus, the chat rooms
// and the game tables, as one plain object. The socket layer (VtServer)
// numbers each connection, tells this object when one opens, what arrives
// on it (one read = one chunk) and when it goes; everything the service
// wants written or closed goes back through the Outbox. Tests drive it
// directly with a recording Outbox and a hand-moved clock.
//
// The object only routes: the connections part (ServiceConnections) keeps
// the flood limits, cuts reads into messages and identifies; each message
// of an identified connection goes to the part of its channel (LobbyChannel,
// MenuChannel, RoomChannel, TableChannel), all over one ServiceContext.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "AccountStore.h"
#include "CardTable.h"
#include "MenuPainter.h"
#include "ServiceConfig.h"

class GameNode;
class LobbyChannel;
class MenuChannel;
class PasswordHasher;
class RoomChannel;
class ServiceConnections;
class TableChannel;
class TerminalLauncher;
struct Conn;
struct ServiceContext;

class VtService
{
public:
    using Clock = std::function<qint64()>;
    using Logger = std::function<void(const QString &)>;

    VtService(AccountStore &accounts, Outbox &outbox, ServiceConfig config, Clock clock = {},
              Logger logger = {});
    ~VtService();

    void opened(int connection, Channel channel, int room, const QString &peer);
    void received(int connection, const QByteArray &chunk);
    // The connection went away (peer closed, error). Unknown ids are ignored.
    void closed(int connection);
    // Keep-alives, time-outs, expiry; call about once a second.
    void tick();
    // Tells everybody the service stops and closes every connection.
    void shutdown();

    const ServiceConfig &config() const;
    void setPorts(int gamesMenuPort, int roomsMenuPort, const QList<int> &roomPorts, const QList<int> &gamePorts = {});
    // Where the bridged doors start their programs.
    void setTerminalLauncher(TerminalLauncher *launcher);
    // Where password digests are derived; by default at once, on the
    // caller's thread. The hasher must outlive the service's use of it.
    void setPasswordHasher(PasswordHasher *hasher);
    // The node behind a games-menu entry (tests look inside).
    GameNode *nodeOfGame(int game) const;
    // Whether the table of a games-menu entry asks newcomers for a password.
    bool tableLocked(int game) const;
    QList<QByteArray> lobbyNames() const;
    QList<QByteArray> roomMembers(int room) const;
    int connectionCount() const;
    // The page "/games.htm": the games and rooms with who is in them.
    QByteArray gamesPage() const;

private:
    // A message of a connection, to the part its stage and channel name.
    void route(Conn &c, const QByteArray &message);

    std::unique_ptr<ServiceContext> m_ctx;
    std::unique_ptr<ServiceConnections> m_connections;
    std::unique_ptr<LobbyChannel> m_lobby;
    std::unique_ptr<MenuChannel> m_menus;
    std::unique_ptr<RoomChannel> m_rooms;
    std::unique_ptr<TableChannel> m_tables;
};
