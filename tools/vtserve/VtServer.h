#pragma once

// The socket side of the service: listeners for the lobby, the two menus,
// each chat room and the web side; one numbered link per accepted
// connection. What arrives goes to VtService as chunks; what VtService sends
// is queued per link and written so that a message that must stand alone
// reaches the client in a read of its own. Tests start it in-process on
// port 0 and ask it for the ports it got.

#include <QHostAddress>
#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

#include "AccountStore.h"
#include "VtService.h"

class PooledHasher;
class QTcpServer;
class TerminalLauncher;
class QTcpSocket;
class QTimer;

struct ServerOptions {
    QHostAddress bind = QHostAddress::LocalHost;
    // 0 picks any free port (tests); the room base port 0 gives each room one.
    int lobbyPort = 1024;
    int gamesMenuPort = 1030;
    int roomsMenuPort = 1031;
    int roomBasePort = 5100;
    int tableBasePort = 5001;
    int httpPort = 8080;             // -1: no web side
    QString dataFolder;              // empty: $XDG_DATA_HOME/Vantora/vtserve
    int passwordIterations = AccountStore::DefaultIterations;
    int maxConnections = 256;
    int maxPerAddress = 32;
    int listenBacklog = 0;           // connections the kernel holds until they are taken; 0: maxConnections
    int hashThreads = -1;            // threads deriving password digests; -1 one per core, 0 on the event thread
    int aloneGapMs = 40;             // quiet time around a message that must stand alone
    qsizetype maxQueued = 1024 * 1024;
    int tickMs = 200;                // the games' computer players and clocks move on each tick
    QStringList doorCommand;         // the bridged door's program and arguments; empty: none
    QString artFolder;               // the ANSI art gallery's folder; empty: none
    QByteArray doorTitle;            // its name on the games menu
    QString wordsFile;               // the sketch tables' words; empty: the list shipped with vtserve
    std::function<void(const QString &)> logger;   // empty: log lines to stderr
    // Adjusts the service settings (time-outs, limits) before the start.
    std::function<void(ServiceConfig &)> tune;

    static QString defaultDataFolder();
};

class VtServer : public QObject, private Outbox
{
    Q_OBJECT

public:
    explicit VtServer(ServerOptions options, QObject *parent = nullptr);
    ~VtServer() override;

    bool start(QString *error);
    // Says goodbye to everybody, closes the connections and the listeners.
    void stop();

    int lobbyPort() const;
    int gamesMenuPort() const;
    int roomsMenuPort() const;
    int roomPort(int room) const;
    int roomCount() const;
    // The port of games-menu entry `game` (in the service's games list).
    int gamePort(int game) const;
    int gameCount() const { return int(m_gamePorts.size()); }
    int httpPort() const;
    QString dataFolder() const { return m_dataFolder; }
    QStringList soundFolders() const { return m_soundFolders; }
    VtService *service() const { return m_service.get(); }

private:
    struct Link;
    struct Listener;

    void log(const QString &text) const;
    QTcpServer *listen(int port, QString *error, const QString &what);
    void accept(QTcpServer *server, Channel channel, int room);
    void readLink(int id);
    void pump(int id);
    void linkGone(int id);
    void acceptHttp();
    void send(int connection, const QByteArray &bytes, bool alone) override;
    void close(int connection) override;
    qsizetype pending(int connection) const override;

    ServerOptions m_options;
    QString m_dataFolder;
    QStringList m_soundFolders;
    std::unique_ptr<AccountStore> m_accounts;
    std::unique_ptr<PooledHasher> m_hasher;   // before the service: it goes after it
    std::unique_ptr<VtService> m_service;
    QTcpServer *m_lobby = nullptr;
    QTcpServer *m_gamesMenu = nullptr;
    QTcpServer *m_roomsMenu = nullptr;
    QList<QTcpServer *> m_rooms;
    QList<QTcpServer *> m_games;
    QList<int> m_gamePorts;
    std::unique_ptr<TerminalLauncher> m_launcher;
    QTcpServer *m_http = nullptr;
    QTimer *m_tick = nullptr;
    std::map<int, std::unique_ptr<Link>> m_links;
    int m_nextId = 1;
    int m_httpOpen = 0;
    bool m_stopping = false;
};
