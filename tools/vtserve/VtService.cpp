#include "VtService.h"

#include "ClientMessages.h"
#include "LobbyChannel.h"
#include "MenuChannel.h"
#include "ProtocolMarkers.h"
#include "RoomChannel.h"
#include "ServiceConnections.h"
#include "ServiceContext.h"
#include "TableChannel.h"

VtService::VtService(AccountStore &accounts, Outbox &outbox, ServiceConfig config, Clock clock, Logger logger)
    : m_ctx(std::make_unique<ServiceContext>(accounts, outbox, std::move(config), std::move(clock), std::move(logger)))
{
    m_connections = std::make_unique<ServiceConnections>(*m_ctx);
    m_lobby = std::make_unique<LobbyChannel>(*m_ctx);
    m_menus = std::make_unique<MenuChannel>(*m_ctx);
    m_rooms = std::make_unique<RoomChannel>(*m_ctx);
    m_tables = std::make_unique<TableChannel>(*m_ctx);
    m_ctx->connections = m_connections.get();
    m_ctx->lobby = m_lobby.get();
    m_ctx->menus = m_menus.get();
    m_ctx->rooms = m_rooms.get();
    m_ctx->tables = m_tables.get();
    m_ctx->route = [this](Conn &c, const QByteArray &message) { route(c, message); };
}

// The connections go before the nodes, which send nothing to them then.
VtService::~VtService()
{
    m_ctx->conns.clear();
    m_tables.reset();
}

// ---------------------------------------------------------------------------
// Routing

void VtService::opened(int connection, Channel channel, int room, const QString &peer)
{
    m_connections->opened(connection, channel, room, peer);
}

void VtService::closed(int connection)
{
    m_connections->closed(connection);
}

void VtService::received(int connection, const QByteArray &chunk)
{
    const ServiceConnections::Input input = m_connections->take(connection, chunk);
    for (const QByteArray &message : input.messages) {
        Conn *c = m_ctx->conn(connection);
        if (!c)
            return;   // dropped by an earlier message of this chunk
        if (!input.whole && !m_connections->fits(*c, message))
            return;
        if (!input.whole && message == Marker::KeepAlive)
            continue;
        route(*c, message);
    }
}

void VtService::route(Conn &c, const QByteArray &message)
{
    switch (c.stage) {
    case Stage::Checking:
        m_connections->hold(c, message);
        break;
    case Stage::Identify:
        m_connections->identify(c, message);
        break;
    case Stage::RoomPassword:
        if (message == Marker::ClientReady)
            c.readySeen = true;
        else if (message.startsWith(Marker::PasswordMarker) && c.channel == Channel::Table)
            m_tables->checkTablePassword(c, message.mid(Marker::PasswordMarker.size()));
        else if (message.startsWith(Marker::PasswordMarker))
            m_rooms->checkRoomPassword(c, message.mid(Marker::PasswordMarker.size()));
        break;
    case Stage::Ready:
        if (message == Marker::ClientReady)
            m_rooms->joinRoom(c);
        break;
    case Stage::Active:
        switch (c.channel) {
        case Channel::Lobby: m_lobby->message(c, message); break;
        case Channel::GamesMenu:
        case Channel::RoomsMenu: m_menus->message(c, message); break;
        case Channel::Room: m_rooms->message(c, message); break;
        case Channel::Table: m_tables->input(c, message); break;
        }
        break;
    }
}

void VtService::tick()
{
    const qint64 t = m_ctx->now();
    const ServiceConnections::Due due = m_connections->due(t);
    for (const int id : due.late)
        m_connections->drop(id, QStringLiteral("no identification in time"));
    for (const int id : due.guests) {
        if (Conn *c = m_ctx->conn(id))
            m_tables->joinAsGuest(*c);
    }
    m_tables->tick();
    for (const int id : due.ready) {
        if (Conn *c = m_ctx->conn(id))
            m_rooms->joinRoom(*c);
    }
    m_lobby->tick(t);
    m_rooms->tick(t);
}

void VtService::shutdown()
{
    m_tables->shutdown();
    m_connections->shutdown();
}

// ---------------------------------------------------------------------------
// Settings and what tests look at

const ServiceConfig &VtService::config() const
{
    return m_ctx->config;
}

void VtService::setPorts(int gamesMenuPort, int roomsMenuPort, const QList<int> &roomPorts, const QList<int> &gamePorts)
{
    ServiceConfig &config = m_ctx->config;
    for (qsizetype i = 0; i < gamePorts.size() && i < config.games.size(); ++i)
        config.games[i].port = gamePorts.at(i);
    config.gamesMenuPort = gamesMenuPort;
    config.roomsMenuPort = roomsMenuPort;
    for (qsizetype i = 0; i < roomPorts.size() && i < m_rooms->count(); ++i) {
        m_rooms->setPort(int(i), roomPorts.at(i));
        config.rooms[i].port = roomPorts.at(i);
    }
}

void VtService::setTerminalLauncher(TerminalLauncher *launcher)
{
    m_tables->setTerminalLauncher(launcher);
}

void VtService::setPasswordHasher(PasswordHasher *hasher)
{
    m_connections->setPasswordHasher(hasher);
}

GameNode *VtService::nodeOfGame(int game) const
{
    return m_tables->nodeOfGame(game);
}

bool VtService::tableLocked(int game) const
{
    return m_tables->tableLocked(game);
}

QList<QByteArray> VtService::lobbyNames() const
{
    return m_lobby->lobbyNames();
}

QList<QByteArray> VtService::roomMembers(int room) const
{
    return m_rooms->roomMembers(room);
}

int VtService::connectionCount() const
{
    return int(m_ctx->conns.size());
}

QByteArray VtService::gamesPage() const
{
    return m_menus->gamesPage();
}
