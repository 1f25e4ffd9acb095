#include "LoopbackServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTest>

#include "Printable.h"

struct LoopbackServer::Client
{
    QPointer<QTcpSocket> socket;
    QByteArray received;   // every piece, joined
    QList<Piece> pieces;
    bool closed = false;
};

LoopbackServer::LoopbackServer(Clients clients)
    : m_accepts(clients)
{
    m_clock.start();
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

LoopbackServer::~LoopbackServer()
{
    // The sockets go before the records their signals write to.
    for (const auto &client : m_clients) {
        if (client->socket) {
            client->socket->disconnect(this);
            delete client->socket;
        }
    }
}

bool LoopbackServer::listen(quint16 port, const QHostAddress &address)
{
    m_server.close();
    return m_server.listen(address, port);
}

quint16 LoopbackServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void LoopbackServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_accepts == OneClient && !m_clients.empty()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int index = int(m_clients.size());
        auto client = std::make_unique<Client>();
        client->socket = socket;
        Client *record = client.get();
        m_clients.push_back(std::move(client));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, record, index] {
            const QByteArray bytes = socket->readAll();
            if (bytes.isEmpty())
                return;
            record->received += bytes;
            record->pieces.append({m_clock.elapsed(), bytes});
            if (m_script)
                m_script(*this, index);
        });
        connect(socket, &QTcpSocket::disconnected, this, [record] { record->closed = true; });
    }
}

LoopbackServer::Client *LoopbackServer::find(int client) const
{
    if (client == Latest)
        client = connections() - 1;
    if (client < 0 || client >= connections())
        return nullptr;
    return m_clients[size_t(client)].get();
}

bool LoopbackServer::waitForClient(int count, int ms)
{
    return QTest::qWaitFor([&] { return connections() >= count; }, ms);
}

QByteArray LoopbackServer::received(int client) const
{
    const Client *record = find(client);
    return record ? record->received : QByteArray();
}

QString LoopbackServer::printableReceived(int client) const
{
    return printable(received(client));
}

QList<LoopbackServer::Piece> LoopbackServer::pieces(int client) const
{
    const Client *record = find(client);
    return record ? record->pieces : QList<Piece>();
}

void LoopbackServer::clearReceived(int client)
{
    if (Client *record = find(client)) {
        record->received.clear();
        record->pieces.clear();
    }
}

QByteArray LoopbackServer::takeReceived(int client)
{
    const QByteArray bytes = received(client);
    clearReceived(client);
    return bytes;
}

bool LoopbackServer::waitForBytes(const QByteArray &bytes, int ms, int client)
{
    return QTest::qWaitFor([&] { return received(client).contains(bytes); }, ms);
}

qint64 LoopbackServer::timeOf(const QByteArray &bytes, int client) const
{
    const Client *record = find(client);
    if (!record)
        return -1;
    QByteArray seen;
    for (const Piece &piece : record->pieces) {
        seen += piece.bytes;
        if (seen.contains(bytes))
            return piece.at;
    }
    return -1;
}

void LoopbackServer::send(const QByteArray &bytes, int client)
{
    QTcpSocket *peer = socket(client);
    if (!peer) {
        qWarning("LoopbackServer: no client %d to send to", client);
        return;
    }
    peer->write(bytes);
    peer->flush();
}

void LoopbackServer::hangUp(int client)
{
    if (QTcpSocket *peer = socket(client))
        peer->disconnectFromHost();
}

bool LoopbackServer::closed(int client) const
{
    const Client *record = find(client);
    if (!record)
        return false;
    return record->closed || !record->socket
        || record->socket->state() == QAbstractSocket::UnconnectedState;
}

qint64 LoopbackServer::bytesToWrite(int client) const
{
    QTcpSocket *peer = socket(client);
    return peer ? peer->bytesToWrite() : 0;
}

QTcpSocket *LoopbackServer::socket(int client) const
{
    const Client *record = find(client);
    return record ? record->socket.data() : nullptr;
}
