#include "LobbyConnection.h"

#include <QTcpSocket>

#include "AppInfo.h"
#include "LobbyDispatch.h"
#include "Shape.h"
#include "Waits.h"
#include "WorkQueue.h"

namespace {

const QColor LampGreen(0, 128, 0);
const QColor LampLime(0, 255, 0);
const QColor LampYellow(255, 255, 0);
const QColor LampRed(255, 0, 0);

} // namespace

LobbyConnection::LobbyConnection(LobbyDispatchHost &host, Lamps lamps, QObject *parent)
    : QObject(parent)
    , m_dispatcher(std::make_unique<LobbyDispatcher>(host))
    , m_socket(new QTcpSocket(this))
    , m_work(new WorkQueue(this))
    , m_lamps(lamps)
{
    m_socket->setObjectName(QStringLiteral("ClientSocket"));
    ReadPause::limitSocket(*m_socket);
    connect(m_socket, &QTcpSocket::readyRead, this, &LobbyConnection::read);
    connect(m_work, &WorkQueue::drained, this, [this] {
        if (m_readPause.resume())
            read();
    });
}

LobbyConnection::~LobbyConnection()
{
    stop();
}

void LobbyConnection::setAddress(const QString &host, int port)
{
    m_host = host;
    m_port = port;
    m_chatService = port == 1024;
}

void LobbyConnection::setHostAndPort(const QString &host, int port)
{
    m_host = host;
    m_port = port;
}

void LobbyConnection::open()
{
    ++m_number;
    const int port = m_chatService ? ChatServicePort() : m_port;
    m_socket->connectToHost(m_host, quint16(port));
}

bool LobbyConnection::active() const
{
    return m_socket->state() != QAbstractSocket::UnconnectedState;
}

void LobbyConnection::deactivate()
{
    if (active())
        m_socket->abort();
}

void LobbyConnection::closeThen(int ms, std::function<void()> next)
{
    if (!active()) {
        next();
        return;
    }
    deactivate();
    m_socket->close();
    Waits::after(ms, this, std::move(next));
}

void LobbyConnection::reconnect(std::function<void()> reopen)
{
    Waits::after(1000, this, [this, reopen = std::move(reopen)]() mutable {
        closeThen(2000, std::move(reopen));
    });
}

void LobbyConnection::hangUp(std::function<void()> done)
{
    Waits::after(500, this, [this, done = std::move(done)]() mutable {
        closeThen(1500, std::move(done));
    });
}

void LobbyConnection::send(const QByteArray &bytes)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(bytes);
}

void LobbyConnection::takeTheRest()
{
    m_readPause.resume();
    while (m_socket->bytesAvailable() > 0)
        takeChunk();
}

void LobbyConnection::stop()
{
    m_work->stop();
    m_socket->disconnect();
    deactivate();
    m_socket->close();
}

void LobbyConnection::read()
{
    // Behind with what came (also while a dialog is open): the rest waits
    // in the connection, and so does the server.
    if (!m_readPause.mayRead(m_work->aboveHighWater()))
        return;
    takeChunk();
}

void LobbyConnection::takeChunk()
{
    const QByteArray chunk = m_socket->readAll();
    if (!chunk.isEmpty())
        m_work->enqueue([this, chunk] { m_dispatcher->Received(chunk); }, chunk.size());
}

void LobbyConnection::receiveLamps()
{
    m_lamps.receive->setBrushColor(LampYellow);
    m_lamps.send->setBrushColor(LampRed);
}

void LobbyConnection::sendLamps()
{
    m_lamps.send->setBrushColor(m_lamps.receive->brushColor());
    m_lamps.receive->setBrushColor(LampLime);
}

void LobbyConnection::statusLamp()
{
    m_lamps.receive->setBrushColor(LampGreen);
}

void LobbyConnection::blink()
{
    m_lamps.alive->setBrushColor(m_lamps.alive->brushColor() == LampGreen ? LampLime : LampGreen);
}
