#pragma once

// A VtService with an in-memory account store, a recording outbox and a
// hand-moved clock, plus the client side of the identification.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <functional>

#include "AccountStore.h"
#include "ProtocolMarkers.h"
#include "VtService.h"

class RecordingOutbox : public Outbox
{
public:
    struct Sent {
        int connection;
        QByteArray bytes;
        bool alone;
    };
    void send(int connection, const QByteArray &bytes, bool alone) override
    {
        sent.append({connection, bytes, alone});
    }
    void close(int connection) override { closed.insert(connection); }

    // Everything sent to one connection, glued together.
    QByteArray to(int connection) const
    {
        QByteArray all;
        for (const Sent &s : sent) {
            if (s.connection == connection)
                all += s.bytes;
        }
        return all;
    }
    QList<Sent> messagesTo(int connection) const
    {
        QList<Sent> list;
        for (const Sent &s : sent) {
            if (s.connection == connection)
                list.append(s);
        }
        return list;
    }
    void clear() { sent.clear(); }

    QList<Sent> sent;
    QSet<int> closed;
};

struct Harness {
    static constexpr int GamesPort = 1030;
    static constexpr int RoomsPort = 1031;
    static constexpr int PublicPort = 5100;
    static constexpr int ForumPort = 5101;
    static constexpr int SysopPort = 5102;

    explicit Harness(const std::function<void(ServiceConfig &)> &tune = {})
        : accounts(QStringLiteral(":memory:"), 1)
        , service(accounts, outbox, configured(tune), [this] { return clock; })
    {
        accounts.open();
    }

    static ServiceConfig configured(const std::function<void(ServiceConfig &)> &tune)
    {
        ServiceConfig config = ServiceConfig::standard(PublicPort, 5001, {QStringLiteral("door-program")}, "Bridge");
        config.seed = 7;
        // The cases read the lobby's user list right after each change;
        // the coalescing of the lists has cases of its own.
        config.userListMs = 0;
        if (tune)
            tune(config);
        return config;
    }

    // A node client of games-menu entry `game`: identification, then ClientReady.
    int table(int game, const QByteArray &name, const QByteArray &password = "pw")
    {
        const int id = nextId++;
        service.opened(id, Channel::Table, game, QStringLiteral("127.0.0.1"));
        service.received(id, identification(name, password));
        service.received(id, Marker::ClientReady);
        return id;
    }

    static QByteArray identification(const QByteArray &name, const QByteArray &password)
    {
        return Marker::IdentifyOpen + name + Marker::IdentifyClose + password;
    }

    // Opens a lobby connection and logs in; returns its id.
    int lobby(const QByteArray &name, const QByteArray &password = "pw")
    {
        const int id = nextId++;
        service.opened(id, Channel::Lobby, -1, QStringLiteral("127.0.0.1"));
        service.received(id, identification(name, password));
        return id;
    }

    // A chat-room client: identification, then (later) ClientReady.
    int room(int room, const QByteArray &name, const QByteArray &password = "pw", bool ready = true)
    {
        const int id = nextId++;
        service.opened(id, Channel::Room, room, QStringLiteral("127.0.0.1"));
        service.received(id, identification(name, password));
        if (ready)
            service.received(id, Marker::ClientReady);
        return id;
    }

    int menu(Channel channel, const QByteArray &name, const QByteArray &password = "pw")
    {
        const int id = nextId++;
        service.opened(id, channel, -1, QStringLiteral("127.0.0.1"));
        service.received(id, identification(name, password));
        return id;
    }

    // A message from a client, a moment after the last one.
    void say(int id, const QByteArray &bytes)
    {
        clock += 200;
        service.received(id, bytes);
    }

    void advance(qint64 ms)
    {
        clock += ms;
        service.tick();
    }

    qint64 clock = 1000000;
    int nextId = 1;
    AccountStore accounts;
    RecordingOutbox outbox;
    VtService service;
};
