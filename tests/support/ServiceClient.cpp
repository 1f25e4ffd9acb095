#include "ServiceClient.h"

#include <QTest>

#include "ProtocolMarkers.h"

ServiceClient::ServiceClient(int port, const QHostAddress &from)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &ServiceClient::take);
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { m_gone = true; });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            m_failed = true;
    });
    if (!from.isNull())
        m_socket.bind(from);
    m_socket.connectToHost(QHostAddress::LocalHost, quint16(port));
}

ServiceClient::~ServiceClient()
{
    // Nothing is recorded while the socket goes.
    m_socket.disconnect(this);
}

void ServiceClient::take()
{
    const QByteArray chunk = m_socket.readAll();
    m_received += chunk;
    if (!m_loggedIn && m_received.contains(Marker::ReadyMarker))
        m_loggedIn = true;
    if (!m_watched.isEmpty() && !m_seen && m_received.contains(m_watched))
        m_seen = true;
    if (m_tail > 0) {
        if (m_received.size() > m_tail)
            m_received = m_received.right(m_tail);
    } else {
        m_reads.append(chunk);
    }
}

bool ServiceClient::waitConnected(int ms)
{
    const auto connected = [&] { return m_socket.state() == QAbstractSocket::ConnectedState; };
    return QTest::qWaitFor([&] { return connected() || m_failed; }, ms) && connected();
}

bool ServiceClient::waitFor(const QByteArray &bytes, int ms)
{
    return QTest::qWaitFor([&] { return m_received.contains(bytes); }, ms);
}

bool ServiceClient::waitGone(int ms)
{
    return QTest::qWaitFor([&] { return m_gone; }, ms);
}

void ServiceClient::write(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

QByteArray ServiceClient::identification(const QByteArray &name, const QByteArray &password)
{
    return Marker::IdentifyOpen + name + Marker::IdentifyClose + password;
}

bool ServiceClient::identify(const QByteArray &name, const QByteArray &password)
{
    if (!waitConnected())
        return false;
    write(identification(name, password));
    return true;
}

void ServiceClient::identifyWhenConnected(const QByteArray &name, const QByteArray &password)
{
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        write(identification(name, password));
        return;
    }
    const QByteArray bytes = identification(name, password);
    connect(&m_socket, &QTcpSocket::connected, this, [this, bytes] { write(bytes); }, Qt::SingleShotConnection);
}

bool ServiceClient::logIn(const QByteArray &name, const QByteArray &password, int ms)
{
    return identify(name, password) && QTest::qWaitFor([&] { return m_loggedIn; }, ms);
}

void ServiceClient::watch(const QByteArray &bytes)
{
    m_watched = bytes;
    m_seen = false;
}
