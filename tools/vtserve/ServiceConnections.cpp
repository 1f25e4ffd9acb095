#include "ServiceConnections.h"

#include <algorithm>

#include "ClientMessages.h"
#include "LobbyChannel.h"
#include "MenuChannel.h"
#include "PasswordHasher.h"
#include "ProtocolMarkers.h"
#include "RoomChannel.h"
#include "ServerBytes.h"
#include "TableChannel.h"
#include "_Globals.h"

using namespace ClientMessages;

ServiceConnections::ServiceConnections(ServiceContext &context)
    : ServicePart(context)
    , m_inlineHasher(std::make_unique<InlineHasher>())
    , m_hasher(m_inlineHasher.get())
{
}

ServiceConnections::~ServiceConnections() = default;

void ServiceConnections::setPasswordHasher(PasswordHasher *hasher)
{
    m_hasher = hasher ? hasher : m_inlineHasher.get();
}

void ServiceConnections::opened(int connection, Channel channel, int room, const QString &peer)
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
    if (channel == Channel::Room && (room < 0 || room >= m_ctx.rooms->count())) {
        m_outbox.close(connection);
        return;
    }
    if (channel == Channel::Table) {
        if (!m_ctx.tables->nodeOfGame(room)) {
            m_outbox.close(connection);
            return;
        }
        c.node = m_config.games.at(room).node;
        c.light = m_config.games.at(room).light;
    }
    m_conns[connection] = c;
}

void ServiceConnections::closed(int connection)
{
    const Conn *c = conn(connection);
    if (!c)
        return;
    if (!c->name.isEmpty())
        log(QStringLiteral("%1 left (%2)").arg(QString::fromLatin1(c->name), c->peer));
    forget(connection, true);
}

void ServiceConnections::drop(int id, const QString &reason)
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

void ServiceConnections::forget(int id, bool announce)
{
    const auto it = m_conns.find(id);
    if (it == m_conns.end())
        return;
    const Conn c = it->second;
    m_conns.erase(it);

    m_ctx.lobby->forgetAsker(id);

    if (c.stage != Stage::Active || !announce)
        return;
    switch (c.channel) {
    case Channel::Lobby: m_ctx.lobby->left(c); break;
    case Channel::Room: m_ctx.rooms->left(c); break;
    case Channel::Table: m_ctx.tables->left(c); break;
    case Channel::GamesMenu:
    case Channel::RoomsMenu: break;
    }
}

bool ServiceConnections::withinLimits(Conn &c, qsizetype bytes, int messages)
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

ServiceConnections::Input ServiceConnections::take(int connection, const QByteArray &chunk)
{
    Conn *c = conn(connection);
    if (!c || chunk.isEmpty())
        return {};
    if (chunk.size() > m_config.maxChunk) {
        drop(connection, QStringLiteral("flooding (%1 bytes at once)").arg(chunk.size()));
        return {};
    }
    if (c->channel == Channel::Table && c->stage == Stage::Active) {
        // Games take their input whole: strokes come in long runs and a
        // door's keys need no framing. Only the byte rate is limited.
        if (!withinLimits(*c, chunk.size(), 0)) {
            drop(connection, QStringLiteral("flooding"));
            return {};
        }
        return {{chunk}, true};
    }
    if (c->channel == Channel::Table && c->stage == Stage::Identify && m_ctx.tables->isDoor(*c) && c->partial.isEmpty()
        && !chunk.startsWith(Marker::IdentifyOpen) && !Marker::IdentifyOpen.startsWith(chunk)) {
        // A terminal that talks without identifying plays as a guest.
        m_ctx.tables->joinAsGuest(*c);
        c = conn(connection);
        if (c && c->stage == Stage::Active)
            return {{chunk}, true};
        return {};
    }
    QByteArray joined;
    if (!c->partial.isEmpty()) {
        joined = c->partial + chunk;
        c->partial.clear();
    }
    const QList<QByteArray> messages = Split(joined.isEmpty() ? chunk : joined);
    if (!withinLimits(*c, chunk.size(), int(messages.size()))) {
        drop(connection, QStringLiteral("flooding"));
        return {};
    }
    return {messages, false};
}

bool ServiceConnections::fits(const Conn &c, const QByteArray &message)
{
    if (message.size() <= MaxMessage)
        return true;
    drop(c.id, QStringLiteral("garbage (a message of %1 bytes)").arg(message.size()));
    return false;
}

void ServiceConnections::hold(Conn &c, const QByteArray &message)
{
    if (c.held.size() < 64)
        c.held.append(message);
}

void ServiceConnections::identify(Conn &c, const QByteArray &message)
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
bool ServiceConnections::throttled(const QString &peer)
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

void ServiceConnections::noteFailure(const QString &peer)
{
    m_failures[peer].append(now());
}

void ServiceConnections::reject(Conn &c, const QString &why, const QByteArray &line)
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

void ServiceConnections::adopt(Conn &c, const QByteArray &name, const AccountStore::Account &account)
{
    c.name = name;
    c.key = AccountStore::keyOf(name);
    c.rank = account.rank;
    c.icon = account.icon;
    c.rating = account.rating;
}

void ServiceConnections::checkPassword(Conn &c, const QByteArray &name, const QByteArray &password, bool create, Checked then)
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
            m_ctx.route(*c, message);
        }
    });
}

void ServiceConnections::identifyLobby(Conn &c, const QByteArray &name, const QByteArray &password)
{
    c.name = name.left(40);
    checkPassword(c, name, password, true,
                  [this](Conn &c, AccountStore::Check check, const AccountStore::Account &account) {
                      lobbyChecked(c, check, account);
                  });
}

void ServiceConnections::lobbyChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account)
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
    m_ctx.lobby->join(c, check == AccountStore::Check::Created);
}

void ServiceConnections::identifyNode(Conn &c, const QByteArray &name, const QByteArray &password)
{
    c.name = name.left(40);
    checkPassword(c, name, password, false,
                  [this](Conn &c, AccountStore::Check check, const AccountStore::Account &account) {
                      nodeChecked(c, check, account);
                  });
}

void ServiceConnections::nodeChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account)
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
    if (const Conn *lobby = m_ctx.lobby->lobbyOf(c.key))
        c.away = lobby->away;
    c.stageAt = now();

    switch (c.channel) {
    case Channel::Table: m_ctx.tables->identifyTable(c); break;
    case Channel::GamesMenu:
    case Channel::RoomsMenu: m_ctx.menus->open(c); break;
    case Channel::Room: m_ctx.rooms->admit(c); break;
    case Channel::Lobby: break;
    }
}

ServiceConnections::Due ServiceConnections::due(qint64 t)
{
    Due due;
    for (auto &[id, c] : m_conns) {
        if (c.stage == Stage::Identify && c.channel == Channel::Table && m_ctx.tables->isDoor(c)
            && t - c.openedAt >= m_config.doorGuestMs) {
            due.guests.append(id);
        } else if (c.stage == Stage::Identify || c.stage == Stage::RoomPassword) {
            if (t - c.openedAt >= m_config.identifyTimeoutMs)
                due.late.append(id);
        } else if (c.stage == Stage::Ready) {
            if (t - c.stageAt >= m_config.readyTimeoutMs)
                due.ready.append(id);
        } else if ((c.channel == Channel::Lobby || c.channel == Channel::Room)
                   && t - c.keptAliveAt >= m_config.keepAliveMs) {
            c.keptAliveAt = t;
            send(c, Marker::KeepAlive, true);
        }
    }
    return due;
}

void ServiceConnections::shutdown()
{
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
