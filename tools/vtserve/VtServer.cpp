#include "VtServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include "HttpResponder.h"
#include "PasswordHasher.h"
#include "PtyLauncher.h"
#include "SketchRules.h"
#include "SoundSynth.h"

struct VtServer::Link {
    int id = 0;
    QTcpSocket *socket = nullptr;
    QTimer *gapTimer = nullptr;
    QList<QPair<QByteArray, bool>> queue;
    qsizetype queued = 0;
    qint64 lastWrite = -1000000;
    bool lastAlone = false;
    bool closing = false;
    QElapsedTimer clock;
};

QString ServerOptions::defaultDataFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Vantora/vtserve");
}

VtServer::VtServer(ServerOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
{
}

VtServer::~VtServer()
{
    for (auto &[id, link] : m_links) {
        link->socket->disconnect(this);
        link->socket->abort();
        delete link->socket;
    }
    m_links.clear();
}

void VtServer::log(const QString &text) const
{
    if (m_options.logger) {
        m_options.logger(text);
        return;
    }
    const QByteArray line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss "))
                                .toLocal8Bit()
        + "vtserve: " + text.toLocal8Bit() + '\n';
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}

QTcpServer *VtServer::listen(int port, QString *error, const QString &what)
{
    auto *server = new QTcpServer(this);
    server->setMaxPendingConnections(64);
    // A crowd that connects at once waits in the kernel's queue until the
    // event loop takes it; past the queue's end a connection is answered
    // only by the client's retry, a second or more later.
    server->setListenBacklogSize(m_options.listenBacklog > 0 ? m_options.listenBacklog : qMax(50, m_options.maxConnections));
    if (!server->listen(m_options.bind, quint16(qMax(0, port)))) {
        if (error) {
            *error = QStringLiteral("cannot listen for the %1 on %2 port %3: %4")
                         .arg(what, m_options.bind.toString())
                         .arg(port)
                         .arg(server->errorString());
        }
        delete server;
        return nullptr;
    }
    return server;
}

bool VtServer::start(QString *error)
{
    m_dataFolder = m_options.dataFolder.isEmpty() ? ServerOptions::defaultDataFolder() : m_options.dataFolder;
    if (!QDir().mkpath(m_dataFolder)) {
        if (error)
            *error = QStringLiteral("cannot create the data folder %1").arg(m_dataFolder);
        return false;
    }
    const QString sounds = m_dataFolder + QStringLiteral("/Sounds");
    if (SoundSynth::WriteMissing(sounds) < 0)
        log(QStringLiteral("cannot write the standard sounds into %1").arg(sounds));
    m_soundFolders = {sounds};
    const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    for (const QString &rel : {QStringLiteral("/../share/vantora/vtserve/Sounds"),
                               QStringLiteral("/../../share/vantora/vtserve/Sounds")}) {
        if (!appDir.isEmpty() && QFileInfo(appDir + rel).isDir())
            m_soundFolders.append(QDir::cleanPath(appDir + rel));
    }

    m_accounts = std::make_unique<AccountStore>(m_dataFolder + QStringLiteral("/accounts.sqlite"),
                                                m_options.passwordIterations);
    if (!m_accounts->open()) {
        if (error)
            *error = QStringLiteral("cannot open the accounts: %1").arg(m_accounts->errorText());
        return false;
    }

    ServiceConfig config = ServiceConfig::standard(m_options.roomBasePort, m_options.tableBasePort,
                                                   m_options.doorCommand, m_options.doorTitle);
    if (!m_options.artFolder.isEmpty())
        ServiceConfig::addArtGallery(config, m_options.tableBasePort, m_options.artFolder);
    if (!m_options.wordsFile.isEmpty() && !WordList::Load(m_options.wordsFile, &config.words, error))
        return false;
    if (m_options.tune)
        m_options.tune(config);

    if (!(m_lobby = listen(m_options.lobbyPort, error, QStringLiteral("lobby")))
        || !(m_gamesMenu = listen(m_options.gamesMenuPort, error, QStringLiteral("games menu")))
        || !(m_roomsMenu = listen(m_options.roomsMenuPort, error, QStringLiteral("rooms menu"))))
        return false;
    QList<int> roomPorts;
    for (qsizetype i = 0; i < config.rooms.size(); ++i) {
        const int port = m_options.roomBasePort > 0 ? m_options.roomBasePort + int(i) : 0;
        QTcpServer *room = listen(port, error, QStringLiteral("room %1").arg(QString::fromLatin1(config.rooms.at(i).title)));
        if (!room)
            return false;
        m_rooms.append(room);
        roomPorts.append(room->serverPort());
    }
    if (m_options.httpPort >= 0 && !(m_http = listen(m_options.httpPort, error, QStringLiteral("web side"))))
        return false;
    // One listener per games-menu entry; entries given the same port share the first one's.
    QHash<int, int> entryOfPort;
    for (qsizetype i = 0; i < config.games.size(); ++i) {
        const int wanted = m_options.tableBasePort > 0 ? config.games.at(i).port : 0;
        if (wanted > 0 && entryOfPort.contains(wanted)) {
            m_gamePorts.append(wanted);
            continue;
        }
        QTcpServer *game = listen(wanted, error, QStringLiteral("game %1").arg(QString::fromLatin1(config.games.at(i).title)));
        if (!game)
            return false;
        m_games.append(game);
        m_gamePorts.append(game->serverPort());
        entryOfPort.insert(game->serverPort(), int(i));
        connect(game, &QTcpServer::newConnection, this, [this, game, i] { accept(game, Channel::Table, int(i)); });
    }

    m_service = std::make_unique<VtService>(*m_accounts, static_cast<Outbox &>(*this), config, VtService::Clock(),
                                            [this](const QString &text) { log(text); });
    m_service->setPorts(m_gamesMenu->serverPort(), m_roomsMenu->serverPort(), roomPorts, m_gamePorts);
    if (m_options.hashThreads != 0) {
        const int threads = m_options.hashThreads > 0 ? m_options.hashThreads : QThread::idealThreadCount();
        m_hasher = std::make_unique<PooledHasher>(threads);
        m_service->setPasswordHasher(m_hasher.get());
    }
    if (!config.doorCommand.isEmpty()) {
        const QString doors = m_dataFolder + QStringLiteral("/doors");
        QDir().mkpath(doors);
        QString problem;
        const QByteArray term = PtyLauncher::InstallTerminfo(m_dataFolder + QStringLiteral("/terminfo"), &problem);
        if (!problem.isEmpty())
            log(problem);
        m_launcher = std::make_unique<PtyLauncher>(doors, m_dataFolder + QStringLiteral("/terminfo"), term);
        m_service->setTerminalLauncher(m_launcher.get());
    }

    connect(m_lobby, &QTcpServer::newConnection, this, [this] { accept(m_lobby, Channel::Lobby, -1); });
    connect(m_gamesMenu, &QTcpServer::newConnection, this,
            [this] { accept(m_gamesMenu, Channel::GamesMenu, -1); });
    connect(m_roomsMenu, &QTcpServer::newConnection, this,
            [this] { accept(m_roomsMenu, Channel::RoomsMenu, -1); });
    for (qsizetype i = 0; i < m_rooms.size(); ++i) {
        QTcpServer *room = m_rooms.at(i);
        connect(room, &QTcpServer::newConnection, this, [this, room, i] { accept(room, Channel::Room, int(i)); });
    }
    if (m_http)
        connect(m_http, &QTcpServer::newConnection, this, &VtServer::acceptHttp);

    m_tick = new QTimer(this);
    m_tick->setInterval(m_options.tickMs);
    connect(m_tick, &QTimer::timeout, this, [this] {
        if (m_service)
            m_service->tick();
    });
    m_tick->start();

    QString games;
    for (qsizetype i = 0; i < config.games.size(); ++i)
        games += QStringLiteral("%1%2 %3").arg(i ? QStringLiteral(", ") : QString(),
                                               QString::fromLatin1(config.games.at(i).title))
                     .arg(m_gamePorts.at(i));
    QString rooms;
    for (qsizetype i = 0; i < m_rooms.size(); ++i)
        rooms += QStringLiteral("%1%2 %3").arg(i ? QStringLiteral(", ") : QString(),
                                               QString::fromLatin1(config.rooms.at(i).title))
                     .arg(m_rooms.at(i)->serverPort());
    log(QStringLiteral("listening on %1: lobby %2, games menu %3, rooms menu %4, rooms (%5), games (%8), web %6; data in %7")
            .arg(m_options.bind.toString())
            .arg(lobbyPort())
            .arg(gamesMenuPort())
            .arg(roomsMenuPort())
            .arg(rooms)
            .arg(m_http ? QString::number(httpPort()) : QStringLiteral("off"))
            .arg(m_dataFolder)
            .arg(games));
    return true;
}

void VtServer::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    if (m_tick)
        m_tick->stop();
    for (QTcpServer *server : {m_lobby, m_gamesMenu, m_roomsMenu, m_http}) {
        if (server)
            server->close();
    }
    for (QTcpServer *room : std::as_const(m_rooms))
        room->close();
    for (QTcpServer *game : std::as_const(m_games))
        game->close();
    if (m_service)
        m_service->shutdown();
    log(QStringLiteral("stopped"));
}

int VtServer::lobbyPort() const { return m_lobby ? m_lobby->serverPort() : 0; }
int VtServer::gamesMenuPort() const { return m_gamesMenu ? m_gamesMenu->serverPort() : 0; }
int VtServer::roomsMenuPort() const { return m_roomsMenu ? m_roomsMenu->serverPort() : 0; }
int VtServer::roomCount() const { return int(m_rooms.size()); }
int VtServer::httpPort() const { return m_http ? m_http->serverPort() : 0; }

int VtServer::gamePort(int game) const
{
    return game >= 0 && game < m_gamePorts.size() ? m_gamePorts.at(game) : 0;
}

qsizetype VtServer::pending(int connection) const
{
    const auto it = m_links.find(connection);
    if (it == m_links.end())
        return 0;
    return it->second->queued + it->second->socket->bytesToWrite();
}

int VtServer::roomPort(int room) const
{
    return room >= 0 && room < m_rooms.size() ? m_rooms.at(room)->serverPort() : 0;
}

void VtServer::accept(QTcpServer *server, Channel channel, int room)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        const QHostAddress peer = socket->peerAddress();
        int fromPeer = 0;
        for (const auto &[id, link] : m_links) {
            if (link->socket->peerAddress() == peer)
                ++fromPeer;
        }
        if (m_stopping || int(m_links.size()) >= m_options.maxConnections || fromPeer >= m_options.maxPerAddress) {
            log(QStringLiteral("refused a connection from %1: too many connections").arg(peer.toString()));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int id = m_nextId++;
        auto link = std::make_unique<Link>();
        link->id = id;
        link->socket = socket;
        link->clock.start();
        link->gapTimer = new QTimer(socket);
        link->gapTimer->setSingleShot(true);
        socket->setReadBufferSize(64 * 1024);
        socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(link->gapTimer, &QTimer::timeout, this, [this, id] { pump(id); });
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readLink(id); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, id] { pump(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { linkGone(id); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, id](QAbstractSocket::SocketError e) {
            if (e != QAbstractSocket::RemoteHostClosedError)
                linkGone(id);
        });
        m_links.emplace(id, std::move(link));
        m_service->opened(id, channel, room, peer.toString());
        if (socket->bytesAvailable() > 0)
            readLink(id);
    }
}

void VtServer::readLink(int id)
{
    const auto it = m_links.find(id);
    if (it == m_links.end())
        return;
    QTcpSocket *socket = it->second->socket;
    const qsizetype cap = m_service->config().maxChunk;
    while (socket->bytesAvailable() > 0) {
        const QByteArray chunk = socket->read(cap);
        if (chunk.isEmpty())
            break;
        m_service->received(id, chunk);
        const auto again = m_links.find(id);
        if (again == m_links.end() || again->second->closing)
            return;
    }
}

void VtServer::send(int connection, const QByteArray &bytes, bool alone)
{
    const auto it = m_links.find(connection);
    if (it == m_links.end() || bytes.isEmpty())
        return;
    Link &link = *it->second;
    if (link.queued + link.socket->bytesToWrite() + bytes.size() > m_options.maxQueued) {
        if (!link.closing) {
            log(QStringLiteral("closing connection %1: the client does not read what it is sent").arg(connection));
            link.closing = true;
            link.queue.clear();
            link.queued = 0;
            // Later, not inside the service's own call.
            QMetaObject::invokeMethod(link.socket, &QTcpSocket::abort, Qt::QueuedConnection);
        }
        return;
    }
    link.queue.append({bytes, alone});
    link.queued += bytes.size();
    pump(connection);
}

void VtServer::close(int connection)
{
    const auto it = m_links.find(connection);
    if (it == m_links.end())
        return;
    Link &link = *it->second;
    link.closing = true;
    // A client that does not take its last bytes is cut off after a while.
    QTimer::singleShot(3000, link.socket, [socket = link.socket] { socket->abort(); });
    pump(connection);
}

void VtServer::pump(int id)
{
    const auto it = m_links.find(id);
    if (it == m_links.end())
        return;
    Link &link = *it->second;
    QTcpSocket *socket = link.socket;
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    while (!link.queue.isEmpty()) {
        const bool alone = link.queue.constFirst().second;
        if (alone || link.lastAlone) {
            // Quiet before and after: the previous bytes must have left and
            // the client had time to read them on their own.
            if (socket->bytesToWrite() > 0)
                return;
            const qint64 wait = link.lastWrite + m_options.aloneGapMs - link.clock.elapsed();
            if (wait > 0) {
                if (!link.gapTimer->isActive())
                    link.gapTimer->start(int(wait));
                return;
            }
        }
        const QByteArray bytes = link.queue.takeFirst().first;
        link.queued -= bytes.size();
        socket->write(bytes);
        link.lastWrite = link.clock.elapsed();
        link.lastAlone = alone;
    }
    if (link.closing)
        socket->disconnectFromHost();
}

void VtServer::linkGone(int id)
{
    const auto it = m_links.find(id);
    if (it == m_links.end())
        return;
    std::unique_ptr<Link> link = std::move(it->second);
    m_links.erase(it);
    link->socket->disconnect(this);
    link->socket->deleteLater();
    if (m_service)
        m_service->closed(id);
}

void VtServer::acceptHttp()
{
    while (QTcpSocket *socket = m_http->nextPendingConnection()) {
        if (m_httpOpen >= 32 || m_stopping) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_httpOpen;
        auto *request = new QByteArray;
        auto *timer = new QTimer(socket);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->abort(); });
        timer->start(10000);
        connect(socket, &QObject::destroyed, this, [this, request] {
            --m_httpOpen;
            delete request;
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, [socket] { socket->deleteLater(); });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            if (request->size() > Http::MaxRequest)
                return;
            request->append(socket->read(Http::MaxRequest + 1 - request->size()));
            Http::Response response;
            if (request->size() > Http::MaxRequest) {
                response = Http::Respond("BAD", {}, {});
            } else if (Http::RequestComplete(*request)) {
                response = Http::Respond(*request, m_soundFolders, [this] {
                    return m_service ? m_service->gamesPage() : QByteArray();
                });
            } else {
                return;
            }
            log(QStringLiteral("web %1 %2 -> %3")
                    .arg(socket->peerAddress().toString(), QString::fromLatin1(response.path))
                    .arg(response.status));
            request->resize(Http::MaxRequest + 1);   // nothing more is read
            socket->write(response.bytes());
            socket->disconnectFromHost();
        });
    }
}
