#pragma once

// A client of the service on the loopback address, speaking raw bytes as the
// programs write them: it connects to 127.0.0.1, collects what arrives (every
// read on its own as well as all of them joined) and identifies the way the
// lobby, the menus and the nodes do.
//
// For many clients at once it can keep only the tail of what came; then the
// reads are not kept either, and what it waits for is noticed as it arrives
// (loggedIn(), watch()/seen()).

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpSocket>

class ServiceClient : public QObject
{
public:
    // Connects to `port` on 127.0.0.1, from `from` when it is given (one of
    // the 127.x.y.z addresses, to look like another machine).
    explicit ServiceClient(int port, const QHostAddress &from = QHostAddress());
    ~ServiceClient() override;
    ServiceClient(const ServiceClient &) = delete;
    ServiceClient &operator=(const ServiceClient &) = delete;

    // Keeps only the last `bytes` of what came, and no reads.
    void keepTail(qsizetype bytes) { m_tail = bytes; }

    // Waits until connected; false when the connection failed or did not
    // come within `ms`.
    bool waitConnected(int ms = 5000);
    // Waits until `bytes` are somewhere in what came.
    bool waitFor(const QByteArray &bytes, int ms = 5000);
    // Waits until the connection has ended.
    bool waitGone(int ms = 5000);

    void write(const QByteArray &bytes);

    // As the programs do: waits until connected, then sends the user name
    // and the password. False when no connection came.
    bool identify(const QByteArray &name, const QByteArray &password);
    // The same, without waiting: identifies as soon as the connection is made.
    void identifyWhenConnected(const QByteArray &name, const QByteArray &password);
    // Identifies and waits until the lobby says the user is in.
    bool logIn(const QByteArray &name, const QByteArray &password, int ms = 5000);
    // The lobby has said the user is in.
    bool loggedIn() const { return m_loggedIn; }

    // From the next read on, notes when `bytes` are in what came (checked as
    // each read arrives, before the tail is cut); seen() says whether they were.
    void watch(const QByteArray &bytes);
    void stopWatching() { m_watched.clear(); }
    bool seen() const { return m_seen; }

    // What came, joined (or its tail).
    const QByteArray &received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    // What came, one read at a time.
    const QList<QByteArray> &reads() const { return m_reads; }
    void clearReads() { m_reads.clear(); }
    // The connection has ended.
    bool gone() const { return m_gone; }

    QTcpSocket &socket() { return m_socket; }

private:
    void take();
    static QByteArray identification(const QByteArray &name, const QByteArray &password);

    QTcpSocket m_socket;
    QByteArray m_received;
    QList<QByteArray> m_reads;
    qsizetype m_tail = 0;   // 0: everything is kept
    QByteArray m_watched;
    bool m_seen = false;
    bool m_loggedIn = false;
    bool m_failed = false;
    bool m_gone = false;
};
