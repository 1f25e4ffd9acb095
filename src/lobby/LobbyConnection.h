#pragma once

// The lobby's connection to its server: the socket and the address it goes
// to, what is read handed in order to the lobby dispatcher through the work
// queue (reading pauses while the queue is behind, so the server waits too),
// what goes out, the three lamps of the players header, and the closing
// waits that "Re-Connect" and "Hang-Up" are made of. What the dispatcher
// decides reaches the window through its LobbyDispatchHost.

#include <QAbstractSocket>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "ReadPause.h"

class LobbyDispatchHost;
class LobbyDispatcher;
class QTcpSocket;
class TShape;
class WorkQueue;

class LobbyConnection : public QObject
{
    Q_OBJECT
public:
    struct Lamps
    {
        TShape *receive = nullptr;   // Shape1
        TShape *send = nullptr;      // Shape2
        TShape *alive = nullptr;     // Shape3, blinks with the keep-alive
    };

    LobbyConnection(LobbyDispatchHost &host, Lamps lamps, QObject *parent = nullptr);
    ~LobbyConnection() override;

    QTcpSocket *socket() const { return m_socket; }
    WorkQueue *workQueue() const { return m_work; }
    LobbyDispatcher &dispatcher() const { return *m_dispatcher; }

    // Where the next open goes; port 1024 names the service "Chat", whose
    // port the system's services list decides.
    void setAddress(const QString &host, int port);
    // The host again, the port again; the named service stays as it was.
    void setHostAndPort(const QString &host, int port);
    void open();
    // Counts the opens: an answer that arrives late can tell it is stale.
    int number() const { return m_number; }
    bool active() const;
    // Drops an active connection at once.
    void deactivate();
    // Drops an active connection and runs `next` `ms` later; at once when
    // the connection is not up.
    void closeThen(int ms, std::function<void()> next);
    // "Re-Connect": a second's wait, the connection closed, two more;
    // then `reopen`.
    void reconnect(std::function<void()> reopen);
    // "Hang-Up": half a second's wait, the connection closed, one and a half
    // more; then `done`.
    void hangUp(std::function<void()> done);
    // Nothing goes out while the connection is not up.
    void send(const QByteArray &bytes);
    // What came with the server's goodbye, read and queued before it.
    void takeTheRest();
    // The window is going: nothing queued runs any more, nothing is reported.
    void stop();

    void receiveLamps();
    void sendLamps();
    void statusLamp();
    void blink();

private:
    void read();
    void takeChunk();

    std::unique_ptr<LobbyDispatcher> m_dispatcher;
    QTcpSocket *m_socket;
    WorkQueue *m_work;
    ReadPause m_readPause;
    Lamps m_lamps;
    QString m_host;
    int m_port = 0;
    bool m_chatService = false;
    int m_number = 0;
};
