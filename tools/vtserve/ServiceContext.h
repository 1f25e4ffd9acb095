#pragma once

// The state the service's parts share: the account store, the outbox, the
// settings, the clock and the open connections; and the parts themselves,
// so that one can hand a connection to another (a lobby login repaints the
// rooms of the same account, a table asks the lobby where somebody is).
// Every part derives from ServicePart, which gives it the shared helpers.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <map>

#include "AccountStore.h"
#include "ServiceConfig.h"

class LobbyChannel;
class MenuChannel;
class RoomChannel;
class ServiceConnections;
class TableChannel;

// Checking: a password digest is being derived; what the client sends
// meanwhile is held and handled after.
enum class Stage { Identify, Checking, RoomPassword, Ready, Active };

struct Conn {
    int id = 0;
    Channel channel = Channel::Lobby;
    int room = -1;               // Room: the room; Table: the games-menu entry
    QString peer;
    Stage stage = Stage::Identify;
    qint64 openedAt = 0;
    qint64 stageAt = 0;
    bool readySeen = false;
    QByteArray partial;          // an identification cut short by the network
    QList<QByteArray> held;      // messages that came while Checking
    quint64 serial = 0;          // tells a connection from a later one with the same id
    QByteArray name;
    QString key;
    int rank = AccountStore::UserRankPlain;
    int icon = AccountStore::DefaultIcon;
    int rating = AccountStore::DefaultRating;
    bool away = false;
    RoomRole role = RoomRole::Guest;
    int node = -1;               // Table: the game node
    bool light = false;
    bool guest = false;          // a door client that did not identify
    QHash<int, int> menuRows;
    QSet<QByteArray> menuButtons;
    double messageTokens = 0;
    double byteTokens = 0;
    qint64 refilledAt = 0;
    qint64 keptAliveAt = 0;
};

struct ServiceContext {
    using Clock = std::function<qint64()>;
    using Logger = std::function<void(const QString &)>;

    ServiceContext(AccountStore &accounts, Outbox &outbox, ServiceConfig config, Clock clock, Logger logger);

    AccountStore &accounts;
    Outbox &outbox;
    ServiceConfig config;
    Clock clock;
    Logger logger;
    std::map<int, Conn> conns;
    // A message of an identified connection, to the part of its channel.
    std::function<void(Conn &, const QByteArray &)> route;

    ServiceConnections *connections = nullptr;
    LobbyChannel *lobby = nullptr;
    MenuChannel *menus = nullptr;
    RoomChannel *rooms = nullptr;
    TableChannel *tables = nullptr;

    qint64 now() const;
    void log(const QString &text) const;
    Conn *conn(int id);
    const Conn *conn(int id) const;
};

class ServicePart
{
public:
    explicit ServicePart(ServiceContext &context);
    virtual ~ServicePart() = default;
    ServicePart(const ServicePart &) = delete;
    ServicePart &operator=(const ServicePart &) = delete;

protected:
    qint64 now() const { return m_ctx.now(); }
    void log(const QString &text) const { m_ctx.log(text); }
    Conn *conn(int id) { return m_ctx.conn(id); }
    const Conn *conn(int id) const { return m_ctx.conn(id); }
    void send(const Conn &c, const QByteArray &bytes, bool alone = false);
    // Chat lines for a client: node clients get each line behind the chat
    // marker, lightweight door clients none.
    void tell(const Conn &c, const QByteArray &lines);
    // Logs why, closes the connection and forgets it, telling the others.
    void drop(int id, const QString &reason);
    // Tells the client why it is turned away, then closes without telling the others.
    void reject(Conn &c, const QString &why, const QByteArray &line);
    void repaintMenus(Channel channel);
    // A typed password up to its first control byte, at most 64 bytes.
    static QByteArray cleanPassword(const QByteArray &typed);

    ServiceContext &m_ctx;
    AccountStore &m_accounts;
    Outbox &m_outbox;
    ServiceConfig &m_config;
    std::map<int, Conn> &m_conns;
};
