#pragma once

// A lobby (or menu) server on the loopback address for the lobby's tests:
// records what each connection sent and sends what the test asks for.

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <utility>

#include "ShownBytes.h"

class FakeLobbyServer : public QObject
{
public:
    FakeLobbyServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                const int index = int(m_clients.size());
                m_clients.append(socket);
                m_received.append(QByteArray());
                m_closed.append(false);
                connect(socket, &QTcpSocket::readyRead, this,
                        [this, socket, index] { m_received[index] += socket->readAll(); });
                connect(socket, &QTcpSocket::disconnected, this, [this, index] { m_closed[index] = true; });
            }
        });
    }

    ~FakeLobbyServer() override
    {
        // The sockets go before the lists their signals write to.
        for (QTcpSocket *socket : std::as_const(m_clients)) {
            socket->disconnect(this);
            delete socket;
        }
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    int port() const { return m_server.serverPort(); }
    int connections() const { return int(m_clients.size()); }
    QString received(int i) const { return Shown(m_received.value(i)); }
    void clearReceived(int i) { m_received[i].clear(); }
    bool closed(int i) const { return m_closed.value(i); }
    void send(int i, const QByteArray &bytes)
    {
        m_clients[i]->write(bytes);
        m_clients[i]->flush();
    }
    void hangUp(int i) { m_clients[i]->disconnectFromHost(); }

private:
    QTcpServer m_server;
    QList<QTcpSocket *> m_clients;
    QList<QByteArray> m_received;
    QList<bool> m_closed;
};

