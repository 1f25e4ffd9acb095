#include "TableChannel.h"

#include <random>

#include "CardTable.h"
#include "ClientMessages.h"
#include "DoorNode.h"
#include "LobbyChannel.h"
#include "MenuChannel.h"
#include "ProtocolMarkers.h"
#include "RaceDeckTable.h"
#include "RaceTable.h"
#include "ServerBytes.h"
#include "ServiceConnections.h"
#include "SketchTable.h"
#include "_Globals.h"

using namespace ClientMessages;

// What the game nodes may ask of the service.
class TableChannel::Host : public NodeHost
{
public:
    explicit Host(TableChannel &tables)
        : m_tables(tables)
        , m_ctx(tables.m_ctx)
    {
    }
    void send(int id, const QByteArray &bytes, bool alone) override
    {
        if (m_ctx.conn(id))
            m_ctx.outbox.send(id, bytes, alone);
    }
    void close(int id) override { m_tables.drop(id, QStringLiteral("sent away by its game")); }
    qint64 now() const override { return m_ctx.now(); }
    void log(const QString &text) override { m_ctx.log(text); }
    qsizetype pending(int id) const override { return m_ctx.outbox.pending(id); }
    void whereIs(int id, const QByteArray &caption) override
    {
        if (Conn *c = m_ctx.conn(id))
            m_ctx.lobby->whereIs(*c, caption);
    }
    void whisper(int id, const QByteArray &rest, const QByteArray &codes) override
    {
        if (Conn *c = m_ctx.conn(id))
            m_ctx.lobby->whisper(*c, rest, codes);
    }
    void saveRating(const QByteArray &name, int rating) override
    {
        m_ctx.accounts.setRating(name, rating);
        m_ctx.lobby->ratingChanged(AccountStore::keyOf(name), rating);
    }
    void membersChanged() override { m_tables.repaintMenus(Channel::GamesMenu); }

private:
    TableChannel &m_tables;
    ServiceContext &m_ctx;
};

TableChannel::TableChannel(ServiceContext &context)
    : ServicePart(context)
    , m_host(std::make_unique<Host>(*this))
{
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

TableChannel::~TableChannel() = default;

GameNode *TableChannel::nodeOfGame(int game) const
{
    if (game < 0 || game >= m_config.games.size())
        return nullptr;
    const auto it = m_nodes.find(m_config.games.at(game).node);
    return it == m_nodes.end() ? nullptr : it->second.get();
}

void TableChannel::setTerminalLauncher(TerminalLauncher *launcher)
{
    for (auto &[index, node] : m_nodes) {
        if (auto *door = dynamic_cast<DoorNode *>(node.get()))
            door->setLauncher(launcher);
    }
}

bool TableChannel::isDoor(const Conn &c) const
{
    if (c.channel != Channel::Table || c.room < 0 || c.room >= m_config.games.size())
        return false;
    const GameKind kind = m_config.games.at(c.room).kind;
    return kind == GameKind::Door || kind == GameKind::BridgedDoor || kind == GameKind::ArtGallery;
}

NodePlayer TableChannel::playerOf(const Conn &c) const
{
    NodePlayer player{c.id, c.name, c.rank, c.icon, c.rating, c.away, c.light, c.guest, {}};
    const QByteArray entry = m_config.games.value(c.room).title;
    if (GameNode *node = nodeOfGame(c.room); node && entry != node->title())
        player.entry = entry;
    return player;
}

void TableChannel::identifyTable(Conn &c)
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

void TableChannel::joinAsGuest(Conn &c)
{
    c.guest = true;
    c.name = "Guest" + QByteArray::number(++m_guests);
    c.key = QStringLiteral("#guest%1").arg(m_guests);
    log(QStringLiteral("a door client from %1 plays as %2").arg(c.peer, QString::fromLatin1(c.name)));
    identifyTable(c);
}

void TableChannel::input(Conn &c, const QByteArray &chunk)
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
        ServiceConnections &connections = *m_ctx.connections;
        if (connections.throttled(c.peer)) {
            connections.noteFailure(c.peer);
            return;
        }
        connections.checkPassword(c, id.name, id.password, false,
                      [this, name = id.name](Conn &c, AccountStore::Check check, const AccountStore::Account &account) {
                          GameNode *node = nodeOfGame(c.room);
                          if (check != AccountStore::Check::Accepted || !node) {
                              m_ctx.connections->noteFailure(c.peer);
                          } else if (c.guest) {
                              m_ctx.connections->adopt(c, name, account);
                              c.guest = false;
                              node->identified(c.id, playerOf(c));
                          }
                      });
        return;
    }
    node->received(c.id, chunk);
}

bool TableChannel::lockableTable(const Conn &c) const
{
    // Door clients have no lock button; their tables stay open.
    return c.channel == Channel::Table && !isDoor(c) && !c.guest;
}

bool TableChannel::tableLocked(int game) const
{
    if (game < 0 || game >= m_config.games.size())
        return false;
    return !m_tableLocks.value(m_config.games.at(game).node).password.isEmpty();
}

void TableChannel::tellTable(int node, const QByteArray &lines)
{
    for (const auto &[id, other] : m_conns) {
        if (other.channel == Channel::Table && other.stage == Stage::Active && other.node == node)
            tell(other, lines);
    }
}

void TableChannel::offerTableLock(Conn &c, bool first)
{
    if (!first && c.rank < AccountStore::SysopRank)
        return;
    m_tableLocks[c.node].offered.insert(c.id);
    send(c, Marker::LockOffer, true);
}

void TableChannel::lockTable(Conn &c, const QByteArray &password)
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

void TableChannel::checkTablePassword(Conn &c, const QByteArray &password)
{
    const TableLock lock = m_tableLocks.value(c.node);
    const QByteArray title = m_config.games.value(c.room).title;
    if (lock.password.isEmpty() || cleanPassword(password) == lock.password) {
        identifyTable(c);
        return;
    }
    m_ctx.connections->noteFailure(c.peer);
    reject(c, QStringLiteral("wrong table password for %1").arg(QString::fromLatin1(title)),
           "Wrong password for " + title + '.');
}

void TableChannel::left(const Conn &c)
{
    const int id = c.id;
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

void TableChannel::tick()
{
    for (auto &[index, node] : m_nodes)
        node->tick();
}

void TableChannel::shutdown()
{
    for (auto &[index, node] : m_nodes)
        node->shutdown();
}
