#pragma once

// A node server on loopback for the client programs' tests: accepts one
// client, records everything it sends (with the time each piece arrived)
// and sends what the test tells it to.

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class FakeNodeServer : public QObject
{
public:
    FakeNodeServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        m_clock.start();
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            if (m_client) {
                socket->abort();
                return;
            }
            m_client = socket;
            connect(socket, &QTcpSocket::readyRead, this, [this] {
                const QByteArray bytes = m_client->readAll();
                received += bytes;
                pieces.append({m_clock.elapsed(), bytes});
            });
        });
    }

    QString host() const { return QStringLiteral("127.0.0.1"); }
    QString port() const { return QString::number(m_server.serverPort()); }

    bool waitForClient(int ms = 5000)
    {
        return QTest::qWaitFor([this] { return !m_client.isNull(); }, ms);
    }
    // Waits until the client has sent at least `bytes` in all.
    bool waitForBytes(const QByteArray &bytes, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return received.contains(bytes); }, ms);
    }

    void send(const QByteArray &bytes)
    {
        m_client->write(bytes);
        m_client->flush();
    }
    void hangUp() { m_client->disconnectFromHost(); }
    // What was sent and has not gone out to the client yet.
    qint64 bytesToWrite() const { return m_client ? m_client->bytesToWrite() : 0; }
    bool clientGone() const
    {
        return m_client.isNull() || m_client->state() == QAbstractSocket::UnconnectedState;
    }
    // Milliseconds since the server was made, at the piece that completed `bytes`.
    qint64 timeOf(const QByteArray &bytes) const
    {
        QByteArray seen;
        for (const auto &piece : pieces) {
            seen += piece.second;
            if (seen.contains(bytes))
                return piece.first;
        }
        return -1;
    }

    QByteArray received;
    QList<QPair<qint64, QByteArray>> pieces;

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QElapsedTimer m_clock;
};
