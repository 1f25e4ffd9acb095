#pragma once

// The service's protocol logic: the lobby, the two menus and the chat rooms,
// as one plain object. The socket layer (VtServer) numbers each connection,
// tells this object when one opens, what arrives on it (one read = one
// chunk) and when it goes; everything the service wants written or closed
// goes back through the Outbox. Tests drive it directly with a recording
// Outbox and a hand-moved clock.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>

#include "AccountStore.h"
#include "CardTable.h"
#include "MenuPainter.h"
#include "SketchTable.h"

class GameNode;
class PasswordHasher;
class TerminalLauncher;

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

    const ServiceConfig &config() const { return m_config; }
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
    int connectionCount() const { return int(m_conns.size()); }
    // The page "/games.htm": the games and rooms with who is in them.
    QByteArray gamesPage() const;

private:
    // Checking: a password digest is being derived; what the client sends
    // meanwhile is held and handled after.
    enum class Stage { Identify, Checking, RoomPassword, Ready, Active };

    struct Conn {
        int id = 0;
        Channel channel = Channel::Lobby;
        int room = -1;
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

    struct Room {
        RoomConfig config;
        QList<int> members;          // connection ids in order of arrival
        QString host;                // key of the member who runs the room
        QByteArray password;         // empty: not locked
        QByteArray lockedBy;
        QList<QByteArray> history;
        QHash<QString, qint64> invited;   // key -> until
        QHash<QString, qint64> banned;    // key -> until
    };

    struct WhereIs {
        int asker = 0;
        QString target;
        qint64 at = 0;
    };

    class Host;
    friend class Host;

    qint64 now() const;
    void log(const QString &text) const;
    // Chat lines for a client: node clients get each line behind the chat
    // marker, lightweight door clients none.
    void tell(const Conn &c, const QByteArray &lines);
    Conn *conn(int id);
    const Conn *conn(int id) const;
    void send(const Conn &c, const QByteArray &bytes, bool alone = false);
    void drop(int id, const QString &reason);
    void forget(int id, bool announce);
    bool withinLimits(Conn &c, qsizetype bytes, int messages);

    void handle(Conn &c, const QByteArray &message);

    // identification
    using Checked = std::function<void(Conn &, AccountStore::Check, const AccountStore::Account &)>;
    // Checks a password through the hasher; `then` runs when the result is
    // there and the connection is still open.
    void checkPassword(Conn &c, const QByteArray &name, const QByteArray &password, bool create, Checked then);
    void identify(Conn &c, const QByteArray &message);
    void identifyLobby(Conn &c, const QByteArray &name, const QByteArray &password);
    void lobbyChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account);
    void identifyNode(Conn &c, const QByteArray &name, const QByteArray &password);
    void nodeChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account);
    void identifyTable(Conn &c);
    void joinAsGuest(Conn &c);
    bool isDoor(const Conn &c) const;
    NodePlayer playerOf(const Conn &c) const;
    void tableInput(Conn &c, const QByteArray &chunk);
    void reject(Conn &c, const QString &why, const QByteArray &line);
    bool throttled(const QString &peer);
    void noteFailure(const QString &peer);
    void adopt(Conn &c, const QByteArray &name, const AccountStore::Account &account);

    // lobby
    void lobbyMessage(Conn &c, const QByteArray &message);
    void lobbyChat(Conn &c, const QByteArray &text);
    void setPresence(Conn &c, bool away);
    void setIcon(Conn &c, const QByteArray &digits);
    // `rest`: the target's caption, a blank and the text; `codes` go in front
    // of the text (the codes a typed "/msg" came behind).
    void whisper(Conn &c, const QByteArray &rest, const QByteArray &codes = {});
    void greyNote(Conn &c, const QByteArray &rest, int minimumRank);
    void bootFromLobby(Conn &c, const QByteArray &caption);
    void invite(Conn &c, const QByteArray &rest);
    void whereIs(Conn &c, const QByteArray &caption);
    bool answerWhereIs(Conn &c, const QByteArray &text);
    void helpText(Conn &c);
    // The lobby's user list to every lobby user: at once when the last one
    // went out long enough ago, else with the next tick.
    void sendLobbyList();
    void writeLobbyList();
    void broadcastLobby(const QByteArray &bytes, int except = -1);
    QList<int> lobbyIds() const;
    Conn *lobbyOf(const QString &key);

    // menus
    void paintMenu(Conn &c);
    void repaintMenus(Channel channel);
    void menuMessage(Conn &c, const QByteArray &message);
    void chooseEntry(Conn &c, int entry);
    QList<MenuEntry> menuEntries(Channel channel) const;

    // rooms
    void joinRoom(Conn &c);
    void roomMessage(Conn &c, const QByteArray &message);
    void roomChat(Conn &c, const QByteArray &text);
    void roomCommand(Conn &c, const QByteArray &rest);
    void moveMember(Conn &c, Conn &target, RoomRole role);
    void bootFromRoom(Conn &c, Conn &target);
    void lockRoom(Conn &c, const QByteArray &password);
    // card tables: the first person at a table (or the sysop) may lock it
    bool lockableTable(const Conn &c) const;
    void offerTableLock(Conn &c, bool first);
    void lockTable(Conn &c, const QByteArray &password);
    void checkTablePassword(Conn &c, const QByteArray &password);
    void tellTable(int node, const QByteArray &lines);
    static QByteArray cleanPassword(const QByteArray &typed);
    void checkRoomPassword(Conn &c, const QByteArray &password);
    void sendRoomList(int room);
    void broadcastRoom(int room, const QByteArray &bytes, int except = -1);
    void remember(int room, const QByteArray &line);
    bool isModerator(const Conn &c) const;
    int power(const Conn &c) const;
    Conn *memberOf(int room, const QByteArray &caption);
    QByteArray roomCaption(const Conn &c) const;
    void refreshRoomsOf(const QString &key);

    AccountStore &m_accounts;
    Outbox &m_outbox;
    std::unique_ptr<PasswordHasher> m_inlineHasher;
    PasswordHasher *m_hasher = nullptr;
    quint64 m_serials = 0;
    std::unique_ptr<Host> m_host;
    std::map<int, std::unique_ptr<GameNode>> m_nodes;   // by the node number of the games
    int m_guests = 0;
    ServiceConfig m_config;
    Clock m_clock;
    Logger m_logger;
    std::map<int, Conn> m_conns;
    QList<Room> m_rooms;
    QList<WhereIs> m_whereIs;
    struct TableLock {
        QByteArray password;         // empty: not locked
        QByteArray lockedBy;
        QSet<int> offered;           // the connections that were offered the lock
    };
    QHash<int, TableLock> m_tableLocks;   // by node
    bool m_lobbyListDue = false;          // a change waits for the next list
    bool m_lobbyListSent = false;
    qint64 m_lobbyListAt = 0;             // when the last list went out
    QHash<QString, QList<qint64>> m_failures;   // peer address -> times of wrong passwords
};
