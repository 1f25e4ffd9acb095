#include "VtService.h"

#include <QDateTime>

#include <algorithm>
#include <random>

#include "ClientMessages.h"
#include "DoorNode.h"
#include "GameNode.h"
#include "HttpResponder.h"
#include "PasswordHasher.h"
#include "ProtocolMarkers.h"
#include "RaceDeckTable.h"
#include "RaceTable.h"
#include "ServerBytes.h"
#include "TerminalProcess.h"
#include "_Globals.h"

using namespace ClientMessages;

namespace {

const QByteArray kLobbyWhere = "the lobby";
const QByteArray kGuestHeading = "-- Guest --";
const QByteArray kAudienceHeading = "-- Audience --";
const QByteArray kSpeakerHeading = "-- Speakers --";

// The name a typed command names: its first word.
QByteArray TypedName(const QByteArray &rest)
{
    return TextBefore(TrimControls(rest), ' ');
}

QByteArray roleWord(RoomRole role)
{
    switch (role) {
    case RoomRole::Speaker: return "the speakers";
    case RoomRole::Guest: return "the guests";
    case RoomRole::Audience: return "the audience";
    }
    return {};
}

} // namespace

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

// What the game nodes may ask of the service.
class VtService::Host : public NodeHost
{
public:
    explicit Host(VtService &service)
        : m_service(service)
    {
    }
    void send(int id, const QByteArray &bytes, bool alone) override
    {
        if (m_service.conn(id))
            m_service.m_outbox.send(id, bytes, alone);
    }
    void close(int id) override { m_service.drop(id, QStringLiteral("sent away by its game")); }
    qint64 now() const override { return m_service.now(); }
    void log(const QString &text) override { m_service.log(text); }
    qsizetype pending(int id) const override { return m_service.m_outbox.pending(id); }
    void whereIs(int id, const QByteArray &caption) override
    {
        if (Conn *c = m_service.conn(id))
            m_service.whereIs(*c, caption);
    }
    void whisper(int id, const QByteArray &rest, const QByteArray &codes) override
    {
        if (Conn *c = m_service.conn(id))
            m_service.whisper(*c, rest, codes);
    }
    void saveRating(const QByteArray &name, int rating) override
    {
        m_service.m_accounts.setRating(name, rating);
        const QString key = AccountStore::keyOf(name);
        bool inLobby = false;
        for (auto &[id, c] : m_service.m_conns) {
            if (c.key == key) {
                c.rating = rating;
                inLobby = inLobby || c.channel == Channel::Lobby;
            }
        }
        if (inLobby)
            m_service.sendLobbyList();
    }
    void membersChanged() override { m_service.repaintMenus(Channel::GamesMenu); }

private:
    VtService &m_service;
};

VtService::VtService(AccountStore &accounts, Outbox &outbox, ServiceConfig config, Clock clock,
                     Logger logger)
    : m_accounts(accounts)
    , m_outbox(outbox)
    , m_config(std::move(config))
    , m_clock(std::move(clock))
    , m_logger(std::move(logger))
{
    for (const RoomConfig &room : m_config.rooms)
        m_rooms.append(Room{room, {}, {}, {}, {}, {}, {}, {}});

    m_host = std::make_unique<Host>(*this);
    m_inlineHasher = std::make_unique<InlineHasher>();
    m_hasher = m_inlineHasher.get();
    std::random_device entropy;
    int made = 0;
    for (const GameConfig &game : std::as_const(m_config.games)) {
        if (game.node < 0 || m_nodes.count(game.node))
            continue;
        const quint32 seed = m_config.seed ? m_config.seed + quint32(made++) * 7919u : entropy();
        std::unique_ptr<GameNode> node;
        switch (game.kind) {
        case GameKind::Hearts:
            node = std::make_unique<CardTable>(*m_host, game.title, seed, m_config.cards);
            break;
        case GameKind::Race:
            node = std::make_unique<RaceTable>(*m_host, game.title, seed, m_config.cards);
            break;
        case GameKind::RaceDeck:
            node = std::make_unique<RaceDeckTable>(*m_host, game.title, seed);
            break;
        case GameKind::Sketch:
            node = std::make_unique<SketchTable>(*m_host, game.title, seed, m_config.words, m_config.sketch);
            break;
        case GameKind::Door:
            node = std::make_unique<DoorNode>(*m_host, game.title, seed, DoorNode::Kind::Minefield);
            break;
        case GameKind::ArtGallery:
            node = std::make_unique<DoorNode>(*m_host, game.title, seed, DoorNode::Kind::ArtGallery,
                                              QStringList{m_config.artFolder}, m_config.maxDoorSessions);
            break;
        case GameKind::BridgedDoor:
            node = std::make_unique<DoorNode>(*m_host, game.title, seed, DoorNode::Kind::Bridge, m_config.doorCommand,
                                              m_config.maxDoorSessions);
            break;
        }
        m_nodes[game.node] = std::move(node);
    }
}

VtService::~VtService() = default;

GameNode *VtService::nodeOfGame(int game) const
{
    if (game < 0 || game >= m_config.games.size())
        return nullptr;
    const auto it = m_nodes.find(m_config.games.at(game).node);
    return it == m_nodes.end() ? nullptr : it->second.get();
}

void VtService::setPasswordHasher(PasswordHasher *hasher)
{
    m_hasher = hasher ? hasher : m_inlineHasher.get();
}

void VtService::setTerminalLauncher(TerminalLauncher *launcher)
{
    for (auto &[index, node] : m_nodes) {
        if (auto *door = dynamic_cast<DoorNode *>(node.get()))
            door->setLauncher(launcher);
    }
}

void VtService::tell(const Conn &c, const QByteArray &lines)
{
    if (c.channel != Channel::Table)
        send(c, lines);
    else if (!c.light)
        send(c, GameNode::ChatMarked(lines));
}

void VtService::setPorts(int gamesMenuPort, int roomsMenuPort, const QList<int> &roomPorts, const QList<int> &gamePorts)
{
    for (qsizetype i = 0; i < gamePorts.size() && i < m_config.games.size(); ++i)
        m_config.games[i].port = gamePorts.at(i);
    m_config.gamesMenuPort = gamesMenuPort;
    m_config.roomsMenuPort = roomsMenuPort;
    for (qsizetype i = 0; i < roomPorts.size() && i < m_rooms.size(); ++i) {
        m_rooms[i].config.port = roomPorts.at(i);
        m_config.rooms[i].port = roomPorts.at(i);
    }
}

qint64 VtService::now() const
{
    return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
}

void VtService::log(const QString &text) const
{
    if (m_logger)
        m_logger(text);
}

VtService::Conn *VtService::conn(int id)
{
    const auto it = m_conns.find(id);
    return it == m_conns.end() ? nullptr : &it->second;
}

const VtService::Conn *VtService::conn(int id) const
{
    const auto it = m_conns.find(id);
    return it == m_conns.end() ? nullptr : &it->second;
}

void VtService::send(const Conn &c, const QByteArray &bytes, bool alone)
{
    m_outbox.send(c.id, bytes, alone);
}

// ---------------------------------------------------------------------------
// Connections

void VtService::opened(int connection, Channel channel, int room, const QString &peer)
{
    Conn c;
    c.id = connection;
    c.channel = channel;
    c.room = channel == Channel::Room || channel == Channel::Table ? room : -1;
    c.peer = peer;
    c.openedAt = c.stageAt = c.refilledAt = c.keptAliveAt = now();
    c.messageTokens = m_config.burstMessages;
    c.byteTokens = m_config.burstBytes;
    c.serial = ++m_serials;
    if (channel == Channel::Room && (room < 0 || room >= m_rooms.size())) {
        m_outbox.close(connection);
        return;
    }
    if (channel == Channel::Table) {
        if (!nodeOfGame(room)) {
            m_outbox.close(connection);
            return;
        }
        c.node = m_config.games.at(room).node;
        c.light = m_config.games.at(room).light;
    }
    m_conns[connection] = c;
}

void VtService::closed(int connection)
{
    const Conn *c = conn(connection);
    if (!c)
        return;
    if (!c->name.isEmpty())
        log(QStringLiteral("%1 left (%2)").arg(QString::fromLatin1(c->name), c->peer));
    forget(connection, true);
}

void VtService::drop(int id, const QString &reason)
{
    const Conn *c = conn(id);
    if (!c)
        return;
    log(QStringLiteral("closing connection %1 from %2%3: %4")
            .arg(id)
            .arg(c->peer,
                 c->name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(QString::fromLatin1(c->name)),
                 reason));
    forget(id, true);
    m_outbox.close(id);
}

void VtService::forget(int id, bool announce)
{
    const auto it = m_conns.find(id);
    if (it == m_conns.end())
        return;
    const Conn c = it->second;
    m_conns.erase(it);

    m_whereIs.erase(std::remove_if(m_whereIs.begin(), m_whereIs.end(),
                                   [id](const WhereIs &w) { return w.asker == id; }),
                    m_whereIs.end());

    if (c.stage != Stage::Active || !announce)
        return;
    if (c.channel == Channel::Lobby) {
        broadcastLobby(ServerBytes::ExitLine(c.name, kLobbyWhere));
        sendLobbyList();
        refreshRoomsOf(c.key);
    } else if (c.channel == Channel::Room) {
        Room &room = m_rooms[c.room];
        room.members.removeAll(id);
        if (room.members.isEmpty()) {
            room.host.clear();
            room.password.clear();
            room.lockedBy.clear();
        } else if (room.host == c.key) {
            Conn *next = conn(room.members.first());
            room.host = next->key;
            send(*next, ServerBytes::ServiceLine('8', "You now run " + room.config.title + '.'));
            send(*next, Marker::LockOffer, true);
        }
        broadcastRoom(c.room, ServerBytes::ExitLine(c.name, room.config.title));
        sendRoomList(c.room);
        repaintMenus(Channel::RoomsMenu);
    } else if (c.channel == Channel::Table) {
        GameNode *node = nodeOfGame(c.room);
        if (node)
            node->leave(id);
        const auto lock = m_tableLocks.find(c.node);
        if (lock != m_tableLocks.end()) {
            lock->offered.remove(id);
            if (!node || node->memberCount() == 0) {
                // The lock goes with the last person at the table.
                if (!lock->password.isEmpty())
                    log(QStringLiteral("%1 is open again").arg(QString::fromLatin1(m_config.games.value(c.room).title)));
                m_tableLocks.erase(lock);
                repaintMenus(Channel::GamesMenu);
            }
        }
    }
}

bool VtService::withinLimits(Conn &c, qsizetype bytes, int messages)
{
    const qint64 t = now();
    const double seconds = double(qMax<qint64>(0, t - c.refilledAt)) / 1000.0;
    c.refilledAt = t;
    c.messageTokens = qMin(m_config.burstMessages, c.messageTokens + seconds * m_config.messagesPerSecond);
    c.byteTokens = qMin(m_config.burstBytes, c.byteTokens + seconds * m_config.bytesPerSecond);
    c.messageTokens -= messages;
    c.byteTokens -= double(bytes);
    return c.messageTokens >= 0 && c.byteTokens >= 0;
}

void VtService::received(int connection, const QByteArray &chunk)
{
    Conn *c = conn(connection);
    if (!c || chunk.isEmpty())
        return;
    if (chunk.size() > m_config.maxChunk) {
        drop(connection, QStringLiteral("flooding (%1 bytes at once)").arg(chunk.size()));
        return;
    }
    if (c->channel == Channel::Table && c->stage == Stage::Active) {
        // Games take their input whole: strokes come in long runs and a
        // door's keys need no framing. Only the byte rate is limited.
        if (!withinLimits(*c, chunk.size(), 0)) {
            drop(connection, QStringLiteral("flooding"));
            return;
        }
        tableInput(*c, chunk);
        return;
    }
    if (c->channel == Channel::Table && c->stage == Stage::Identify && isDoor(*c) && c->partial.isEmpty()
        && !chunk.startsWith(Marker::IdentifyOpen) && !Marker::IdentifyOpen.startsWith(chunk)) {
        // A terminal that talks without identifying plays as a guest.
        joinAsGuest(*c);
        c = conn(connection);
        if (c && c->stage == Stage::Active)
            tableInput(*c, chunk);
        return;
    }
    QByteArray joined;
    if (!c->partial.isEmpty()) {
        joined = c->partial + chunk;
        c->partial.clear();
    }
    const QList<QByteArray> messages = Split(joined.isEmpty() ? chunk : joined);
    if (!withinLimits(*c, chunk.size(), int(messages.size()))) {
        drop(connection, QStringLiteral("flooding"));
        return;
    }
    for (const QByteArray &message : messages) {
        c = conn(connection);
        if (!c)
            return;   // dropped by an earlier message of this chunk
        if (message.size() > MaxMessage) {
            drop(connection, QStringLiteral("garbage (a message of %1 bytes)").arg(message.size()));
            return;
        }
        if (message == Marker::KeepAlive)
            continue;
        handle(*c, message);
    }
}

void VtService::handle(Conn &conn, const QByteArray &message)
{
    Conn *c = &conn;
    switch (c->stage) {
    case Stage::Checking:
        if (c->held.size() < 64)
            c->held.append(message);
        break;
    case Stage::Identify:
        identify(*c, message);
        break;
    case Stage::RoomPassword:
        if (message == Marker::ClientReady)
            c->readySeen = true;
        else if (message.startsWith(Marker::PasswordMarker) && c->channel == Channel::Table)
            checkTablePassword(*c, message.mid(Marker::PasswordMarker.size()));
        else if (message.startsWith(Marker::PasswordMarker))
            checkRoomPassword(*c, message.mid(Marker::PasswordMarker.size()));
        break;
    case Stage::Ready:
        if (message == Marker::ClientReady)
            joinRoom(*c);
        break;
    case Stage::Active:
        switch (c->channel) {
        case Channel::Lobby: lobbyMessage(*c, message); break;
        case Channel::GamesMenu:
        case Channel::RoomsMenu: menuMessage(*c, message); break;
        case Channel::Room: roomMessage(*c, message); break;
        case Channel::Table: tableInput(*c, message); break;
        }
        break;
    }
}

void VtService::tick()
{
    const qint64 t = now();
    QList<int> late;
    QList<int> ready;
    QList<int> guests;
    for (auto &[id, c] : m_conns) {
        if (c.stage == Stage::Identify && c.channel == Channel::Table && isDoor(c)
            && t - c.openedAt >= m_config.doorGuestMs) {
            guests.append(id);
        } else if (c.stage == Stage::Identify || c.stage == Stage::RoomPassword) {
            if (t - c.openedAt >= m_config.identifyTimeoutMs)
                late.append(id);
        } else if (c.stage == Stage::Ready) {
            if (t - c.stageAt >= m_config.readyTimeoutMs)
                ready.append(id);
        } else if ((c.channel == Channel::Lobby || c.channel == Channel::Room)
                   && t - c.keptAliveAt >= m_config.keepAliveMs) {
            c.keptAliveAt = t;
            send(c, Marker::KeepAlive, true);
        }
    }
    for (const int id : late)
        drop(id, QStringLiteral("no identification in time"));
    for (const int id : guests) {
        if (Conn *c = conn(id))
            joinAsGuest(*c);
    }
    if (m_lobbyListDue && t - m_lobbyListAt >= m_config.userListMs)
        writeLobbyList();
    for (auto &[index, node] : m_nodes)
        node->tick();
    for (const int id : ready) {
        if (Conn *c = conn(id))
            joinRoom(*c);
    }
    m_whereIs.erase(std::remove_if(m_whereIs.begin(), m_whereIs.end(),
                                   [&](const WhereIs &w) { return t - w.at >= m_config.whereIsTimeoutMs; }),
                    m_whereIs.end());
    for (Room &room : m_rooms) {
        for (auto it = room.invited.begin(); it != room.invited.end();)
            it = it.value() <= t ? room.invited.erase(it) : std::next(it);
        for (auto it = room.banned.begin(); it != room.banned.end();)
            it = it.value() <= t ? room.banned.erase(it) : std::next(it);
    }
}

void VtService::shutdown()
{
    for (auto &[index, node] : m_nodes)
        node->shutdown();
    QList<int> ids;
    for (const auto &[id, c] : m_conns)
        ids.append(id);
    for (const int id : ids) {
        Conn *c = conn(id);
        if (!c)
            continue;
        if (c->stage == Stage::Active && (c->channel == Channel::Lobby || c->channel == Channel::Room))
            send(*c, ServerBytes::ServiceLine('4', "The service is shutting down."));
        forget(id, false);
        m_outbox.close(id);
    }
}

// ---------------------------------------------------------------------------
// Identification

void VtService::identify(Conn &c, const QByteArray &message)
{
    const Identity id = ParseIdentity(message);
    // The programs write the identification in one piece; a link may still
    // deliver it in two. Its start is kept until the rest comes.
    const bool started = message.startsWith(Marker::IdentifyOpen) || Marker::IdentifyOpen.startsWith(message);
    if (!id.valid && started && message.size() < 256) {
        c.partial = message;
        return;
    }
    if (!id.valid) {
        drop(c.id, QStringLiteral("garbage before the identification"));
        return;
    }
    if (throttled(c.peer)) {
        reject(c, QStringLiteral("too many wrong passwords from %1").arg(c.peer),
               "Invalid User: too many wrong passwords; try again in a minute.");
        return;
    }
    if (c.channel == Channel::Lobby)
        identifyLobby(c, id.name, id.password);
    else
        identifyNode(c, id.name, id.password);
}

// Deriving a digest takes a while on purpose; an address that keeps
// guessing is turned away before that work.
bool VtService::throttled(const QString &peer)
{
    const auto it = m_failures.find(peer);
    if (it == m_failures.end())
        return false;
    const qint64 t = now();
    it->erase(std::remove_if(it->begin(), it->end(),
                             [&](qint64 at) { return t - at >= m_config.failureWindowMs; }),
              it->end());
    if (it->isEmpty()) {
        m_failures.erase(it);
        return false;
    }
    return it->size() >= m_config.maxFailures;
}

void VtService::noteFailure(const QString &peer)
{
    m_failures[peer].append(now());
}

void VtService::reject(Conn &c, const QString &why, const QByteArray &line)
{
    const int id = c.id;
    log(QStringLiteral("refused %1 from %2: %3").arg(QString::fromLatin1(c.name), c.peer, why));
    if (c.channel == Channel::GamesMenu || c.channel == Channel::RoomsMenu)
        send(c, "\x1b[40m\x1b[J\x1b[1;31m\x1b[2;3H" + line + "\x1b[0m");
    else
        tell(c, ServerBytes::ServiceLine('4', "\x1b[B" + line + "\x1b]"));
    forget(id, false);
    m_outbox.close(id);
}

void VtService::adopt(Conn &c, const QByteArray &name, const AccountStore::Account &account)
{
    c.name = name;
    c.key = AccountStore::keyOf(name);
    c.rank = account.rank;
    c.icon = account.icon;
    c.rating = account.rating;
}

void VtService::checkPassword(Conn &c, const QByteArray &name, const QByteArray &password, bool create, Checked then)
{
    const AccountStore::Pending pending = m_accounts.begin(name, password, create);
    if (!pending.needsDigest) {
        then(c, pending.result, pending.account);
        return;
    }
    const Stage before = c.stage;
    c.stage = Stage::Checking;
    const int id = c.id;
    const quint64 serial = c.serial;
    m_hasher->derive(pending.password, pending.salt, pending.iterations,
                     [this, id, serial, before, pending, name, password, create, then](const QByteArray &digest) {
        Conn *c = conn(id);
        if (!c || c->serial != serial)
            return;   // gone while its digest was derived
        AccountStore::Account account;
        const AccountStore::Check check = m_accounts.finish(pending, digest, &account);
        c->stage = before;
        if (check == AccountStore::Check::Retry) {
            // Another login created the name meanwhile: check against it.
            checkPassword(*c, name, password, false, then);
        } else {
            then(*c, check, account);
        }
        // What came in meanwhile, in order.
        c = conn(id);
        if (!c || c->serial != serial || c->stage == Stage::Checking)
            return;
        const QList<QByteArray> held = std::exchange(c->held, {});
        for (const QByteArray &message : held) {
            c = conn(id);
            if (!c || c->serial != serial)
                return;
            handle(*c, message);
        }
    });
}

void VtService::identifyLobby(Conn &c, const QByteArray &name, const QByteArray &password)
{
    c.name = name.left(40);
    checkPassword(c, name, password, true,
                  [this](Conn &c, AccountStore::Check check, const AccountStore::Account &account) {
                      lobbyChecked(c, check, account);
                  });
}

void VtService::lobbyChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account)
{
    const QByteArray name = c.name;
    switch (check) {
    case AccountStore::Check::Created:
    case AccountStore::Check::Accepted:
        break;
    case AccountStore::Check::WrongPassword:
        noteFailure(c.peer);
        reject(c, QStringLiteral("wrong password"), "Invalid User or password.");
        return;
    case AccountStore::Check::BadName:
        reject(c, QStringLiteral("bad name"),
               "Invalid User name: use up to 20 letters, digits, '-', '_' or '.'.");
        return;
    case AccountStore::Check::BadPassword:
        reject(c, QStringLiteral("bad password for a new account"),
               "Invalid User password: a new account needs 1 to 64 characters without blanks.");
        return;
    case AccountStore::Check::Unknown:
    case AccountStore::Check::Failed:
    case AccountStore::Check::Retry:
        reject(c, QStringLiteral("account store failed: %1").arg(m_accounts.errorText()),
               "Invalid User: the account store is not available.");
        return;
    }
    adopt(c, name, account);

    // One lobby per account: a new login replaces the old one.
    for (const int other : lobbyIds()) {
        Conn *old = conn(other);
        if (old && old->id != c.id && old->key == c.key) {
            send(*old, ServerBytes::ServiceLine('4', "You have logged in from another place."));
            drop(other, QStringLiteral("logged in again"));
        }
    }

    c.stage = Stage::Active;
    c.stageAt = now();
    log(QStringLiteral("%1 %2 the lobby from %3 (rank %4)")
            .arg(QString::fromLatin1(c.name),
                 check == AccountStore::Check::Created ? QStringLiteral("created an account and joined")
                                                       : QStringLiteral("joined"),
                 c.peer)
            .arg(c.rank));
    send(c, Marker::ReadyMarker);
    QByteArray welcome = ServerBytes::ServiceLine('5', "Welcome to Vantora, " + c.name + '.');
    if (check == AccountStore::Check::Created)
        welcome += ServerBytes::ServiceLine('9', "Your account has been created; keep your password.");
    if (c.rank >= AccountStore::SysopRank && check == AccountStore::Check::Created)
        welcome += ServerBytes::ServiceLine('8', "You are the first user: you are the sysop.");
    welcome += ServerBytes::ServiceLine('9', "Type /help for the commands.");
    send(c, welcome);
    broadcastLobby(ServerBytes::EnterLine(c.name, kLobbyWhere), c.id);
    sendLobbyList();
    refreshRoomsOf(c.key);
}

void VtService::identifyNode(Conn &c, const QByteArray &name, const QByteArray &password)
{
    c.name = name.left(40);
    checkPassword(c, name, password, false,
                  [this](Conn &c, AccountStore::Check check, const AccountStore::Account &account) {
                      nodeChecked(c, check, account);
                  });
}

void VtService::nodeChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account)
{
    const QByteArray name = c.name;
    if (check != AccountStore::Check::Accepted) {
        if (check == AccountStore::Check::WrongPassword)
            noteFailure(c.peer);
        reject(c, QStringLiteral("not a known name and password"),
               "Invalid User: log in through the lobby first.");
        return;
    }
    adopt(c, name, account);
    if (const Conn *lobby = lobbyOf(c.key))
        c.away = lobby->away;
    c.stageAt = now();

    if (c.channel == Channel::Table) {
        identifyTable(c);
        return;
    }
    if (c.channel != Channel::Room) {
        c.stage = Stage::Active;
        log(QStringLiteral("%1 opened the %2 menu").arg(QString::fromLatin1(c.name),
                                                         c.channel == Channel::GamesMenu ? QStringLiteral("games")
                                                                                         : QStringLiteral("rooms")));
        paintMenu(c);
        return;
    }

    Room &room = m_rooms[c.room];
    const qint64 t = now();
    if (room.banned.value(c.key, 0) > t && c.rank < 5) {
        reject(c, QStringLiteral("banned from %1").arg(QString::fromLatin1(room.config.title)),
               "You may not come into " + room.config.title + " for a while.");
        return;
    }
    const bool invited = room.invited.value(c.key, 0) > t;
    if (!room.password.isEmpty() && c.rank < 5 && !invited) {
        c.stage = Stage::RoomPassword;
        send(c, Marker::PasswordMarker, true);
        return;
    }
    c.stage = Stage::Ready;
}

// ---------------------------------------------------------------------------
// Game nodes

bool VtService::isDoor(const Conn &c) const
{
    if (c.channel != Channel::Table || c.room < 0 || c.room >= m_config.games.size())
        return false;
    const GameKind kind = m_config.games.at(c.room).kind;
    return kind == GameKind::Door || kind == GameKind::BridgedDoor || kind == GameKind::ArtGallery;
}

NodePlayer VtService::playerOf(const Conn &c) const
{
    NodePlayer player{c.id, c.name, c.rank, c.icon, c.rating, c.away, c.light, c.guest, {}};
    const QByteArray entry = m_config.games.value(c.room).title;
    if (GameNode *node = nodeOfGame(c.room); node && entry != node->title())
        player.entry = entry;
    return player;
}

void VtService::identifyTable(Conn &c)
{
    GameNode *node = nodeOfGame(c.room);
    QByteArray why;
    if (!node || !node->mayJoin(playerOf(c), &why)) {
        reject(c, QStringLiteral("refused by %1").arg(QString::fromLatin1(m_config.games.value(c.room).title)), why);
        return;
    }
    // One place per account at a node: a new window replaces the old one.
    if (!c.guest) {
        QList<int> older;
        for (const auto &[id, other] : m_conns) {
            if (id != c.id && other.channel == Channel::Table && other.stage == Stage::Active && other.node == c.node
                && other.key == c.key)
                older.append(id);
        }
        for (const int id : older) {
            if (Conn *old = conn(id))
                tell(*old, ServerBytes::ServiceLine('4', "You came to this table again from another window."));
            drop(id, QStringLiteral("came to the table again"));
        }
    }
    if (lockableTable(c) && !m_tableLocks.value(c.node).password.isEmpty() && c.rank < AccountStore::SysopRank
        && c.stage != Stage::RoomPassword) {
        c.stage = Stage::RoomPassword;
        send(c, Marker::PasswordMarker, true);
        return;
    }
    const bool first = node->memberCount() == 0;
    c.stage = Stage::Active;
    c.stageAt = c.keptAliveAt = now();
    node->join(playerOf(c));
    if (conn(c.id) && lockableTable(c))
        offerTableLock(c, first);
}

void VtService::joinAsGuest(Conn &c)
{
    c.guest = true;
    c.name = "Guest" + QByteArray::number(++m_guests);
    c.key = QStringLiteral("#guest%1").arg(m_guests);
    log(QStringLiteral("a door client from %1 plays as %2").arg(c.peer, QString::fromLatin1(c.name)));
    identifyTable(c);
}

void VtService::tableInput(Conn &c, const QByteArray &chunk)
{
    GameNode *node = nodeOfGame(c.room);
    if (!node)
        return;
    if (chunk.startsWith(Marker::PasswordMarker) && lockableTable(c)) {
        // The answer to the lock offer ("Room Security"): the rest of the read is the password.
        lockTable(c, chunk.mid(Marker::PasswordMarker.size()));
        return;
    }
    if (c.guest && chunk.startsWith(Marker::IdentifyOpen)) {
        // The lightweight door client identifies a while after connecting.
        const Identity id = ParseIdentity(chunk);
        if (!id.valid)
            return;
        if (throttled(c.peer)) {
            noteFailure(c.peer);
            return;
        }
        checkPassword(c, id.name, id.password, false,
                      [this, name = id.name](Conn &c, AccountStore::Check check, const AccountStore::Account &account) {
                          GameNode *node = nodeOfGame(c.room);
                          if (check != AccountStore::Check::Accepted || !node) {
                              noteFailure(c.peer);
                          } else if (c.guest) {
                              adopt(c, name, account);
                              c.guest = false;
                              node->identified(c.id, playerOf(c));
                          }
                      });
        return;
    }
    node->received(c.id, chunk);
}

// ---------------------------------------------------------------------------
// Lobby

QList<int> VtService::lobbyIds() const
{
    QList<int> ids;
    for (const auto &[id, c] : m_conns) {
        if (c.channel == Channel::Lobby && c.stage == Stage::Active)
            ids.append(id);
    }
    return ids;
}

VtService::Conn *VtService::lobbyOf(const QString &key)
{
    for (auto &[id, c] : m_conns) {
        if (c.channel == Channel::Lobby && c.stage == Stage::Active && c.key == key)
            return &c;
    }
    return nullptr;
}

QList<QByteArray> VtService::lobbyNames() const
{
    QList<QByteArray> names;
    for (const int id : lobbyIds())
        names.append(conn(id)->name);
    return names;
}

void VtService::broadcastLobby(const QByteArray &bytes, int except)
{
    for (const int id : lobbyIds()) {
        const Conn *c = conn(id);
        if (c && id != except)
            send(*c, bytes);
    }
}

void VtService::sendLobbyList()
{
    // Every login, logout and change of presence changes the list, and the
    // clients only take it whole: sent at every change, a crowd logging in
    // would cost the square of its size in rows.
    if (m_config.userListMs > 0 && m_lobbyListSent && now() - m_lobbyListAt < m_config.userListMs) {
        m_lobbyListDue = true;
        return;
    }
    writeLobbyList();
}

void VtService::writeLobbyList()
{
    m_lobbyListDue = false;
    m_lobbyListSent = true;
    m_lobbyListAt = now();
    QList<const Conn *> users;
    for (const int id : lobbyIds())
        users.append(conn(id));
    // Highest rank first, then in order of arrival.
    std::stable_sort(users.begin(), users.end(),
                     [](const Conn *a, const Conn *b) { return a->rank > b->rank; });
    QList<ServerBytes::ListRow> rows;
    for (const Conn *u : users)
        rows.append({ServerBytes::RankMark(u->rank) + u->name, u->icon, u->away ? 1 : 0, u->rating});
    broadcastLobby(ServerBytes::UserListBlock(rows));
}

void VtService::lobbyMessage(Conn &c, const QByteArray &message)
{
    // Commands typed into the chat box come behind the user's codes.
    const Typed typed = TypedText(message);
    const QByteArray &command = typed.text;
    if (message.startsWith(Marker::PresenceMarker)) {
        setPresence(c, message.mid(Marker::PresenceMarker.size()) == "5");
    } else if (message.startsWith(Marker::IconMarker)) {
        setIcon(c, message.mid(Marker::IconMarker.size()));
    } else if (message.startsWith(Marker::WhereIsRequest)) {
        whereIs(c, message.mid(Marker::WhereIsRequest.size()));
    } else if (message.startsWith("\x1b]/boot ")) {
        bootFromLobby(c, message.mid(8));
    } else if (command.startsWith("/boot ")) {
        bootFromLobby(c, TypedName(command.mid(6)));
    } else if (command.startsWith("/msg ")) {
        whisper(c, command.mid(5), typed.codes);
    } else if (command.startsWith("/Gmsg ")) {
        greyNote(c, command.mid(6), 6);
    } else if (command.startsWith("/invite ")) {
        invite(c, command.mid(8));
    } else if (TrimControls(command) == "/help") {
        helpText(c);
    } else if (message.startsWith("/Version ")) {
        log(QStringLiteral("%1 runs version %2").arg(QString::fromLatin1(c.name),
                                                      QString::fromLatin1(SafeChatText(message.mid(9).left(40)))));
    } else if (message.startsWith("/Email ")) {
        m_accounts.setEmail(c.name, SafeChatText(message.mid(7)).trimmed());
    } else if (message == "\\SpawnMenu") {
        send(c, ServerBytes::SpawnMenu(m_config.gamesMenuPort), true);
    } else if (message == "\\SpawnCMenu") {
        send(c, ServerBytes::SpawnChatMenu(m_config.roomsMenuPort), true);
    } else if (message.startsWith('\\') || message == Marker::ClientReady
               || message.startsWith(Marker::ButtonPress) || message.startsWith(Marker::PasswordMarker)
               || message.startsWith(Marker::IdentifyOpen)) {
        // Commands of other channels mean nothing here.
    } else {
        lobbyChat(c, message);
    }
}

void VtService::lobbyChat(Conn &c, const QByteArray &text)
{
    if (answerWhereIs(c, text))
        return;
    const QByteArray safe = SafeChatText(text);
    if (StripCodes(safe).isEmpty())
        return;
    broadcastLobby(ServerBytes::ChatLine(c.name, c.rank, safe));
}

void VtService::setPresence(Conn &c, bool away)
{
    if (c.away == away)
        return;
    c.away = away;
    sendLobbyList();
    refreshRoomsOf(c.key);
}

void VtService::setIcon(Conn &c, const QByteArray &digits)
{
    bool ok = false;
    const int icon = digits.toInt(&ok);
    if (!ok || icon < 0 || icon > 99 || icon == c.icon)
        return;
    c.icon = icon;
    m_accounts.setIcon(c.name, icon);
    sendLobbyList();
}

void VtService::whisper(Conn &c, const QByteArray &rest, const QByteArray &codes)
{
    const QByteArray caption = TextBefore(rest, ' ');
    const QByteArray text = SafeChatText(codes + (rest.size() > caption.size() ? rest.mid(caption.size() + 1) : QByteArray()));
    const QString key = AccountStore::keyOf(NameOfCaption(caption));
    if (StripCodes(text).isEmpty())
        return;
    Conn *target = nullptr;
    if (c.channel == Channel::Room) {
        if (Conn *member = memberOf(c.room, caption))
            target = member;
    } else if (c.channel == Channel::Table) {
        for (auto &[id, other] : m_conns) {
            if (other.channel == Channel::Table && other.stage == Stage::Active && other.node == c.node
                && other.key == key && !other.light)
                target = &other;
        }
    }
    if (!target)
        target = lobbyOf(key);
    if (!target) {
        tell(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(caption)) + " is not on line."));
        return;
    }
    tell(*target, ServerBytes::WhisperIn(c.name, text));
    tell(c, ServerBytes::WhisperOut(target->name, text));
}

void VtService::greyNote(Conn &c, const QByteArray &rest, int minimumRank)
{
    if (c.rank < minimumRank) {
        tell(c, ServerBytes::ServiceLine('4', "Only the staff may send grey notes."));
        return;
    }
    const QByteArray name = TextBefore(rest, ' ');
    QByteArray text = rest.size() > name.size() ? rest.mid(name.size() + 1) : QByteArray();
    text = StripCodes(SafeChatText(text));
    const QString key = AccountStore::keyOf(NameOfCaption(name));
    Conn *target = nullptr;
    if (c.channel == Channel::Room)
        target = memberOf(c.room, name);
    if (!target)
        target = lobbyOf(key);
    if (!target) {
        tell(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(name)) + " is not on line."));
        return;
    }
    // The caption ends at the first ">", so the sender's name must not hold one (it cannot).
    send(*target, ServerBytes::Notice("Note from " + c.name, text), true);
    tell(c, ServerBytes::ServiceLine('6', "Grey note sent to " + target->name + '.'));
    log(QStringLiteral("%1 sent a grey note to %2").arg(QString::fromLatin1(c.name),
                                                          QString::fromLatin1(target->name)));
}

void VtService::bootFromLobby(Conn &c, const QByteArray &caption)
{
    Conn *target = lobbyOf(AccountStore::keyOf(NameOfCaption(caption)));
    if (!target) {
        send(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(caption)) + " is not on line."));
        return;
    }
    if (c.rank < 5 || target->rank >= c.rank) {
        send(c, ServerBytes::ServiceLine('4', "You may not boot " + target->name + '.'));
        return;
    }
    const QByteArray name = target->name;
    send(*target, ServerBytes::ServiceLine('4', "You have been booted by " + c.name + '.'));
    drop(target->id, QStringLiteral("booted by %1").arg(QString::fromLatin1(c.name)));
    broadcastLobby(ServerBytes::ServiceLine('4', name + " was booted by " + c.name + '.'));
}

void VtService::invite(Conn &c, const QByteArray &rest)
{
    const QByteArray caption = TypedName(rest);
    Conn *target = lobbyOf(AccountStore::keyOf(NameOfCaption(caption)));
    if (!target) {
        send(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(caption)) + " is not on line."));
        return;
    }
    int roomIndex = c.channel == Channel::Room ? c.room : -1;
    if (roomIndex < 0) {
        // From the lobby: the room the inviter is in, else the public one.
        for (const auto &[id, other] : m_conns) {
            if (other.channel == Channel::Room && other.stage == Stage::Active && other.key == c.key) {
                roomIndex = other.room;
                break;
            }
        }
    }
    if (roomIndex < 0)
        roomIndex = 0;
    if (roomIndex >= m_rooms.size())
        return;
    Room &room = m_rooms[roomIndex];
    room.invited.insert(target->key, now() + 10 * 60 * 1000);
    send(*target, ServerBytes::Invitation(room.config.port, c.name), true);
    send(c, ServerBytes::ServiceLine('6', "You invited " + target->name + " into " + room.config.title + '.'));
}

void VtService::whereIs(Conn &c, const QByteArray &caption)
{
    const QByteArray name = NameOfCaption(caption);
    Conn *target = lobbyOf(AccountStore::keyOf(name));
    if (!target) {
        tell(c, ServerBytes::ServiceLine('4', SafeChatText(name) + " is not on line."));
        return;
    }
    m_whereIs.append({c.id, target->key, now()});
    send(*target, ServerBytes::WhereIsQuery(c.name, target->name), true);
}

bool VtService::answerWhereIs(Conn &c, const QByteArray &text)
{
    // The lobby's answer always carries its user's time line.
    if (!text.contains(c.name + "'s Time is "))
        return false;
    QList<int> askers;
    for (const WhereIs &w : std::as_const(m_whereIs)) {
        if (w.target == c.key && !askers.contains(w.asker))
            askers.append(w.asker);
    }
    if (askers.isEmpty())
        return false;
    m_whereIs.erase(std::remove_if(m_whereIs.begin(), m_whereIs.end(),
                                   [&](const WhereIs &w) { return w.target == c.key; }),
                    m_whereIs.end());
    QByteArray answer = SafeChatText(text);
    if (!answer.endsWith("\r\n"))
        answer += "\r\n";
    const QByteArray reply = ServerBytes::ServiceLine('7', "\x1b[BWhere is " + c.name + ":\x1b[b") + answer;
    for (const int id : askers) {
        if (Conn *asker = conn(id))
            tell(*asker, reply);
    }
    return true;
}

void VtService::helpText(Conn &c)
{
    QByteArray help;
    help += ServerBytes::ServiceLine('8', "\x1b[BCommands");
    help += ServerBytes::ServiceLine('9', "/msg name text - a private line to one user");
    help += ServerBytes::ServiceLine('9', "/invite name - ask a user into your chat room");
    if (c.rank >= 6)
        help += ServerBytes::ServiceLine('9', "/Gmsg name text - a grey note on the user's screen");
    send(c, help);
}

// ---------------------------------------------------------------------------
// Menus

QList<MenuEntry> VtService::menuEntries(Channel channel) const
{
    QList<MenuEntry> entries;
    if (channel == Channel::GamesMenu) {
        for (qsizetype i = 0; i < m_config.games.size(); ++i) {
            const GameNode *node = nodeOfGame(int(i));
            const QByteArray detail = node ? node->detail() : QByteArray("closed");
            entries.append({m_config.games.at(i).title, tableLocked(int(i)) ? "(locked) " + detail : detail, "Play"});
        }
        return entries;
    }
    for (qsizetype i = 0; i < m_rooms.size(); ++i) {
        const Room &room = m_rooms.at(i);
        QByteArray detail;
        if (room.members.isEmpty()) {
            detail = "empty";
        } else {
            detail = QByteArray::number(room.members.size()) + " here:";
            for (const int id : room.members)
                detail += (detail.endsWith(':') ? " " : ", ") + conn(id)->name;
        }
        if (!room.password.isEmpty())
            detail = "(locked) " + detail;
        entries.append({room.config.title, detail, "Join"});
    }
    return entries;
}

void VtService::paintMenu(Conn &c)
{
    const bool games = c.channel == Channel::GamesMenu;
    const MenuScreen screen = MenuPainter::Paint(
        games ? QByteArray("Vantora Games") : QByteArray("Vantora Chat Rooms"),
        games ? QByteArray("Pick a table or a door game.") : QByteArray("Pick a room to chat in."),
        menuEntries(c.channel), c.menuButtons);
    c.menuRows = screen.rowToEntry;
    c.menuButtons = screen.buttons;
    send(c, screen.bytes);
}

void VtService::repaintMenus(Channel channel)
{
    for (auto &[id, c] : m_conns) {
        if (c.channel == channel && c.stage == Stage::Active)
            paintMenu(c);
    }
}

void VtService::menuMessage(Conn &c, const QByteArray &message)
{
    int column = 0;
    int row = 0;
    if (message.startsWith(Marker::ButtonPress)) {
        const int entry = MenuPainter::EntryOfButton(message.mid(Marker::ButtonPress.size()));
        if (entry >= 0)
            chooseEntry(c, entry);
    } else if (message.startsWith('>')) {
        // Quick launch: ">" and the entry's number.
        bool ok = false;
        const int number = message.mid(1).toInt(&ok);
        if (ok)
            chooseEntry(c, number - 1);
    } else if (MenuPainter::ParsePress(message, &column, &row)) {
        if (c.menuRows.contains(row))
            chooseEntry(c, c.menuRows.value(row));
    }
}

void VtService::chooseEntry(Conn &c, int entry)
{
    if (c.channel == Channel::GamesMenu) {
        if (entry < 0 || entry >= m_config.games.size())
            return;
        const GameConfig &game = m_config.games.at(entry);
        log(QStringLiteral("%1 chose %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(game.title)));
        send(c, game.command + ':' + QByteArray::number(game.port), true);
        return;
    }
    if (entry < 0 || entry >= m_rooms.size())
        return;
    const Room &room = m_rooms.at(entry);
    log(QStringLiteral("%1 chose the room %2").arg(QString::fromLatin1(c.name),
                                                     QString::fromLatin1(room.config.title)));
    // On the menu connection the whole text after the colon is the port.
    send(c, Marker::InviteMarker + ':' + QByteArray::number(room.config.port), true);
}

// ---------------------------------------------------------------------------
// Rooms

bool VtService::isModerator(const Conn &c) const
{
    return power(c) >= 4;
}

int VtService::power(const Conn &c) const
{
    int p = c.rank;
    if (c.channel == Channel::Room && c.room >= 0 && m_rooms.at(c.room).host == c.key)
        p = qMax(p, 4);
    return p;
}

VtService::Conn *VtService::memberOf(int room, const QByteArray &caption)
{
    const QString key = AccountStore::keyOf(NameOfCaption(caption));
    for (const int id : m_rooms.at(room).members) {
        Conn *member = conn(id);
        if (member && member->key == key)
            return member;
    }
    return nullptr;
}

QByteArray VtService::roomCaption(const Conn &c) const
{
    // Away users keep their plain caption (the state icon shows it): the
    // chat-room client finds its own row by the plain name, and a suffix
    // would hide it.
    return ServerBytes::RankMark(c.rank) + c.name;
}

QList<QByteArray> VtService::roomMembers(int room) const
{
    QList<QByteArray> names;
    if (room < 0 || room >= m_rooms.size())
        return names;
    for (const int id : m_rooms.at(room).members)
        names.append(conn(id)->name);
    return names;
}

void VtService::refreshRoomsOf(const QString &key)
{
    for (auto &[id, c] : m_conns) {
        if (c.channel == Channel::Room && c.stage == Stage::Active && c.key == key) {
            const Conn *lobby = lobbyOf(key);
            const bool away = lobby && lobby->away;
            if (c.away != away) {
                c.away = away;
                sendRoomList(c.room);
            }
        }
    }
}

void VtService::broadcastRoom(int room, const QByteArray &bytes, int except)
{
    const QList<int> members = m_rooms.at(room).members;
    for (const int id : members) {
        const Conn *c = conn(id);
        if (c && id != except)
            send(*c, bytes);
    }
}

void VtService::remember(int room, const QByteArray &line)
{
    QList<QByteArray> &history = m_rooms[room].history;
    history.append(line);
    while (history.size() > m_config.historyLines)
        history.removeFirst();
}

void VtService::sendRoomList(int roomIndex)
{
    const Room &room = m_rooms.at(roomIndex);
    QList<ServerBytes::ListRow> rows;
    const auto rowOf = [&](const Conn &m) {
        return ServerBytes::ListRow{roomCaption(m), m.icon, m.away ? 1 : 0, qMax(1, m.rating)};
    };
    if (!room.config.moderated) {
        for (const int id : room.members)
            rows.append(rowOf(*conn(id)));
    } else {
        // Speakers, then the guests and the audience under their heading
        // rows (data 0 marks a heading).
        rows.append({kSpeakerHeading, 0, 0, 0});
        for (const RoomRole role : {RoomRole::Speaker, RoomRole::Guest, RoomRole::Audience}) {
            if (role == RoomRole::Guest)
                rows.append({kGuestHeading, 0, 0, 0});
            if (role == RoomRole::Audience)
                rows.append({kAudienceHeading, 0, 0, 0});
            for (const int id : room.members) {
                const Conn &m = *conn(id);
                if (m.role == role)
                    rows.append(rowOf(m));
            }
        }
    }
    broadcastRoom(roomIndex, ServerBytes::UserListBlock(rows));
}

void VtService::checkRoomPassword(Conn &c, const QByteArray &password)
{
    const Room &room = m_rooms.at(c.room);
    if (room.password.isEmpty() || password == room.password) {
        c.stage = Stage::Ready;
        c.stageAt = now();
        if (c.readySeen)
            joinRoom(c);
        return;
    }
    reject(c, QStringLiteral("wrong room password for %1").arg(QString::fromLatin1(room.config.title)),
           "Wrong password for " + room.config.title + '.');
}

void VtService::joinRoom(Conn &c)
{
    Room &room = m_rooms[c.room];
    // One seat per account in a room: a new arrival replaces the old one.
    for (const int id : QList<int>(room.members)) {
        const Conn *old = conn(id);
        if (old && old->key == c.key) {
            send(*old, ServerBytes::ServiceLine('4', "You came into this room again from another window."));
            drop(id, QStringLiteral("joined the room again"));
        }
    }
    if (room.members.isEmpty())
        room.host = c.key;
    c.stage = Stage::Active;
    c.stageAt = c.keptAliveAt = now();
    c.role = (!room.config.moderated || isModerator(c)) ? RoomRole::Speaker : room.config.joinAs;
    room.members.append(c.id);
    room.invited.remove(c.key);
    log(QStringLiteral("%1 came into %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(room.config.title)));

    send(c, ServerBytes::RoomTitle(room.config.title), true);
    if (isModerator(c))
        send(c, Marker::LockOffer, true);
    broadcastRoom(c.room, ServerBytes::EnterLine(c.name, room.config.title), c.id);
    sendRoomList(c.room);
    repaintMenus(Channel::RoomsMenu);
}

void VtService::roomMessage(Conn &c, const QByteArray &message)
{
    const Typed typed = TypedText(message);
    const QByteArray &command = typed.text;
    if (message == Marker::ClientReady || message.startsWith(Marker::IdentifyOpen)) {
        return;
    } else if (message == "/Buff") {
        // The room's recent lines and its member list, for a window that
        // has just named the room.
        QByteArray buffer;
        for (const QByteArray &line : m_rooms.at(c.room).history)
            buffer += line;
        if (m_rooms.at(c.room).history.isEmpty())
            buffer = ServerBytes::ServiceLine('9', "Nothing has been said here yet.");
        send(c, buffer);
        sendRoomList(c.room);
    } else if (message.startsWith(Marker::PasswordMarker)) {
        lockRoom(c, message.mid(Marker::PasswordMarker.size()));
    } else if (message.startsWith(Marker::ButtonPress)) {
        roomCommand(c, message.mid(Marker::ButtonPress.size()));
    } else if (message.startsWith("\x1b]/boot ") || command.startsWith("/boot ")) {
        const QByteArray caption = message.startsWith("\x1b]/boot ") ? message.mid(8) : TypedName(command.mid(6));
        Conn *target = memberOf(c.room, caption);
        if (target)
            bootFromRoom(c, *target);
        else
            send(c, ServerBytes::ServiceLine('4', "Nobody of that name is in this room."));
    } else if (message.startsWith(Marker::WhereIsRequest)) {
        whereIs(c, message.mid(Marker::WhereIsRequest.size()));
    } else if (command.startsWith("/msg ")) {
        whisper(c, command.mid(5), typed.codes);
    } else if (command.startsWith("/Gmsg ")) {
        greyNote(c, command.mid(6), 5);
    } else if (command.startsWith("/invite ")) {
        invite(c, command.mid(8));
    } else if (TrimControls(command) == "/help") {
        helpText(c);
    } else if (message.startsWith(Marker::PresenceMarker) || message.startsWith(Marker::IconMarker)
               || message.startsWith('\\')) {
        return;
    } else {
        roomChat(c, message);
    }
}

void VtService::roomChat(Conn &c, const QByteArray &text)
{
    const Room &room = m_rooms.at(c.room);
    if (room.config.moderated && c.role == RoomRole::Audience && !isModerator(c)) {
        send(c, ServerBytes::ServiceLine('4', "You are in the audience; a moderator can let you speak."));
        return;
    }
    const QByteArray safe = SafeChatText(text);
    if (StripCodes(safe).isEmpty())
        return;
    const QByteArray line = ServerBytes::ChatLine(c.name, c.rank, safe);
    remember(c.room, line);
    broadcastRoom(c.room, line);
}

void VtService::roomCommand(Conn &c, const QByteArray &rest)
{
    // The digit, ">" and the member's caption.
    if (rest.size() < 3 || rest.at(1) != '>')
        return;
    const char digit = rest.at(0);
    Conn *target = memberOf(c.room, rest.mid(2));
    if (!target) {
        send(c, ServerBytes::ServiceLine('4', "Nobody of that name is in this room."));
        return;
    }
    const Room &room = m_rooms.at(c.room);
    if (!room.config.moderated && digit != '5') {
        send(c, ServerBytes::ServiceLine('4', room.config.title + " has no speakers or audience."));
        return;
    }
    switch (digit) {
    case '1': moveMember(c, *target, RoomRole::Speaker); break;
    case '2': moveMember(c, *target, RoomRole::Guest); break;
    case '3': moveMember(c, *target, RoomRole::Audience); break;
    case '5': bootFromRoom(c, *target); break;
    default: break;
    }
}

void VtService::moveMember(Conn &c, Conn &target, RoomRole role)
{
    if (!isModerator(c) || (target.id != c.id && power(target) >= power(c))) {
        send(c, ServerBytes::ServiceLine('4', "Only a moderator above " + target.name + " may move them."));
        return;
    }
    if (target.role == role)
        return;
    target.role = role;
    const Room &room = m_rooms.at(c.room);
    broadcastRoom(c.room, ServerBytes::ServiceLine('5', c.name + " moved " + target.name + " to " + roleWord(role) + '.'));
    if (target.id != c.id) {
        const QByteArray note = role == RoomRole::Audience ? "You are in the audience now."
                                                           : "You may speak now.";
        send(target, ServerBytes::Notice(room.config.title, note), true);
    }
    sendRoomList(c.room);
}

void VtService::bootFromRoom(Conn &c, Conn &target)
{
    Room &room = m_rooms[c.room];
    if (!isModerator(c) || target.id == c.id || power(target) >= power(c)) {
        send(c, ServerBytes::ServiceLine('4', "You may not boot " + target.name + '.'));
        return;
    }
    const QByteArray name = target.name;
    room.banned.insert(target.key, now() + m_config.roomBanMs);
    send(target, ServerBytes::ServiceLine('4', c.name + " asked you to leave " + room.config.title + '.'));
    drop(target.id, QStringLiteral("booted from %1 by %2").arg(QString::fromLatin1(room.config.title),
                                                                 QString::fromLatin1(c.name)));
    broadcastRoom(c.room, ServerBytes::ServiceLine('4', name + " was asked to leave by " + c.name + '.'));
}

void VtService::lockRoom(Conn &c, const QByteArray &password)
{
    Room &room = m_rooms[c.room];
    if (!isModerator(c)) {
        send(c, ServerBytes::ServiceLine('4', "Only a moderator may lock the room."));
        return;
    }
    const QByteArray clean = cleanPassword(password);
    if (clean.isEmpty()) {
        if (room.password.isEmpty())
            return;
        room.password.clear();
        room.lockedBy.clear();
        broadcastRoom(c.room, ServerBytes::ServiceLine('8', c.name + " unlocked the room."));
        log(QStringLiteral("%1 unlocked %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(room.config.title)));
    } else {
        room.password = clean;
        room.lockedBy = c.name;
        broadcastRoom(c.room, ServerBytes::ServiceLine('8', c.name + " locked the room; newcomers are asked for its password."));
        log(QStringLiteral("%1 locked %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(room.config.title)));
    }
    repaintMenus(Channel::RoomsMenu);
}

QByteArray VtService::cleanPassword(const QByteArray &typed)
{
    QByteArray clean = typed;
    for (qsizetype k = 0; k < clean.size(); ++k) {
        if (quint8(clean.at(k)) < 0x20) {
            clean.truncate(k);
            break;
        }
    }
    return clean.left(64);
}

// ---------------------------------------------------------------------------
// Table locks

bool VtService::lockableTable(const Conn &c) const
{
    // Door clients have no lock button; their tables stay open.
    return c.channel == Channel::Table && !isDoor(c) && !c.guest;
}

bool VtService::tableLocked(int game) const
{
    if (game < 0 || game >= m_config.games.size())
        return false;
    return !m_tableLocks.value(m_config.games.at(game).node).password.isEmpty();
}

void VtService::tellTable(int node, const QByteArray &lines)
{
    for (const auto &[id, other] : m_conns) {
        if (other.channel == Channel::Table && other.stage == Stage::Active && other.node == node)
            tell(other, lines);
    }
}

void VtService::offerTableLock(Conn &c, bool first)
{
    if (!first && c.rank < AccountStore::SysopRank)
        return;
    m_tableLocks[c.node].offered.insert(c.id);
    send(c, Marker::LockOffer, true);
}

void VtService::lockTable(Conn &c, const QByteArray &password)
{
    TableLock &lock = m_tableLocks[c.node];
    const QByteArray title = m_config.games.value(c.room).title;
    if (!lock.offered.contains(c.id) && c.rank < AccountStore::SysopRank) {
        tell(c, ServerBytes::ServiceLine('4', "Only the first player at the table or the sysop may lock it."));
        return;
    }
    const QByteArray clean = cleanPassword(password);
    if (clean.isEmpty()) {
        if (lock.password.isEmpty())
            return;
        lock.password.clear();
        lock.lockedBy.clear();
        tellTable(c.node, ServerBytes::ServiceLine('8', c.name + " unlocked the table."));
        log(QStringLiteral("%1 unlocked %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(title)));
    } else {
        lock.password = clean;
        lock.lockedBy = c.name;
        tellTable(c.node, ServerBytes::ServiceLine('8', c.name + " locked the table; newcomers are asked for its password."));
        log(QStringLiteral("%1 locked %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(title)));
    }
    repaintMenus(Channel::GamesMenu);
}

void VtService::checkTablePassword(Conn &c, const QByteArray &password)
{
    const TableLock lock = m_tableLocks.value(c.node);
    const QByteArray title = m_config.games.value(c.room).title;
    if (lock.password.isEmpty() || cleanPassword(password) == lock.password) {
        identifyTable(c);
        return;
    }
    noteFailure(c.peer);
    reject(c, QStringLiteral("wrong table password for %1").arg(QString::fromLatin1(title)),
           "Wrong password for " + title + '.');
}

// ---------------------------------------------------------------------------

QByteArray VtService::gamesPage() const
{
    return Http::GamesPage(menuEntries(Channel::GamesMenu), menuEntries(Channel::RoomsMenu), lobbyNames());
}
