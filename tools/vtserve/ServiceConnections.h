#pragma once

// The connections themselves: opening and closing, the flood limits, the
// framing of a read into messages, and the identification up to the point
// where a channel takes the connection (password digests are derived
// through the hasher, off the event thread in the server).

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "ServiceContext.h"

class PasswordHasher;

class ServiceConnections : public ServicePart
{
public:
    explicit ServiceConnections(ServiceContext &context);
    ~ServiceConnections() override;

    // Where password digests are derived; null: at once, on the caller's thread.
    void setPasswordHasher(PasswordHasher *hasher);

    void opened(int connection, Channel channel, int room, const QString &peer);
    void closed(int connection);
    void drop(int id, const QString &reason);
    // `announce`: the connection's channel tells the others it went.
    void forget(int id, bool announce);

    // A read, within the flood limits, cut into the messages to route;
    // `whole`: a game's input, taken as it came. Nothing when the
    // connection was dropped for it.
    struct Input {
        QList<QByteArray> messages;
        bool whole = false;
    };
    Input take(int connection, const QByteArray &chunk);
    // False (and the connection dropped) for a message too long to be one.
    bool fits(const Conn &c, const QByteArray &message);
    // Holds a message that came while the password is checked.
    void hold(Conn &c, const QByteArray &message);
    // The identification, or a piece of it.
    void identify(Conn &c, const QByteArray &message);

    using Checked = std::function<void(Conn &, AccountStore::Check, const AccountStore::Account &)>;
    // Checks a password through the hasher; `then` runs when the result is
    // there and the connection is still open.
    void checkPassword(Conn &c, const QByteArray &name, const QByteArray &password, bool create, Checked then);
    bool throttled(const QString &peer);
    void noteFailure(const QString &peer);
    void reject(Conn &c, const QString &why, const QByteArray &line);
    void adopt(Conn &c, const QByteArray &name, const AccountStore::Account &account);

    // The connections a tick finds due; keep-alives go out meanwhile.
    struct Due {
        QList<int> late;     // no identification in time
        QList<int> ready;    // room joiners that never said they are ready
        QList<int> guests;   // door clients that did not identify
    };
    Due due(qint64 t);
    void shutdown();

private:
    bool withinLimits(Conn &c, qsizetype bytes, int messages);
    void identifyLobby(Conn &c, const QByteArray &name, const QByteArray &password);
    void lobbyChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account);
    void identifyNode(Conn &c, const QByteArray &name, const QByteArray &password);
    void nodeChecked(Conn &c, AccountStore::Check check, const AccountStore::Account &account);

    std::unique_ptr<PasswordHasher> m_inlineHasher;
    PasswordHasher *m_hasher = nullptr;
    quint64 m_serials = 0;
    QHash<QString, QList<qint64>> m_failures;   // peer address -> times of wrong passwords
};
