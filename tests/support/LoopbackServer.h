#pragma once

// A server on the loopback address that stands in for the lobby, a node, a
// games menu or a web server in the programs' tests. It accepts clients,
// records what each one sent (with the time each piece arrived), sends what
// the test tells it to, and can answer by script.
//
// Connections are counted from 0 in the order they came; every call that
// takes `client` means the latest connection unless told otherwise.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <vector>

class QTcpSocket;

class LoopbackServer : public QObject
{
public:
    enum Clients {
        ManyClients,   // every connection is taken
        OneClient,     // the first is taken; later ones are refused at once
    };
    static constexpr int Latest = -1;

    struct Piece
    {
        qint64 at = 0;      // milliseconds since the server was made
        QByteArray bytes;   // one read's worth
    };

    // Runs whenever bytes have arrived on `client`, after they are recorded.
    using Script = std::function<void(LoopbackServer &server, int client)>;

    // Listens on 127.0.0.1 on a free port.
    explicit LoopbackServer(Clients clients = ManyClients);
    ~LoopbackServer() override;
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    // Listens anew on `port` of `address`; false when it is taken.
    bool listen(quint16 port, const QHostAddress &address = QHostAddress::LocalHost);
    bool isListening() const { return m_server.isListening(); }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_server.serverPort(); }
    QString portText() const { return QString::number(port()); }

    // A port on 127.0.0.1 that nothing listens on.
    static quint16 unusedPort();

    // The connections taken so far, ended ones included.
    int connections() const { return int(m_clients.size()); }
    // Waits until at least `count` connections have been taken.
    bool waitForClient(int count = 1, int ms = 5000);

    QByteArray received(int client = Latest) const;
    // The same as printable() shows it, for comparisons that read well.
    QString printableReceived(int client = Latest) const;
    QList<Piece> pieces(int client = Latest) const;
    void clearReceived(int client = Latest);
    QByteArray takeReceived(int client = Latest);
    // Waits until `client` has sent `bytes` somewhere in what it sent.
    bool waitForBytes(const QByteArray &bytes, int ms = 5000, int client = Latest);
    // The time of the piece that completed `bytes`; -1 when they have not come.
    qint64 timeOf(const QByteArray &bytes, int client = Latest) const;

    void send(const QByteArray &bytes, int client = Latest);
    void hangUp(int client = Latest);
    // The connection has ended, from either side.
    bool closed(int client = Latest) const;
    // What was sent and has not gone out to the client yet.
    qint64 bytesToWrite(int client = Latest) const;
    QTcpSocket *socket(int client = Latest) const;

    void setScript(Script script) { m_script = std::move(script); }

private:
    struct Client;
    void accept();
    Client *find(int client) const;

    QTcpServer m_server;
    Clients m_accepts;
    std::vector<std::unique_ptr<Client>> m_clients;
    QElapsedTimer m_clock;
    Script m_script;
};
