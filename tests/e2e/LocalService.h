#pragma once

// The local service as the end-to-end tests start it: in-process, every
// listener on a free port, no web side, quiet, cheap passwords; and a login
// through its lobby, which makes the account the game nodes then accept.

#include <QTcpSocket>
#include <QTest>

#include "ProtocolMarkers.h"
#include "VtServer.h"

namespace LocalService {

inline ServerOptions OnFreePorts(const QString &dataFolder, int passwordIterations = 10)
{
    ServerOptions options;
    options.lobbyPort = options.gamesMenuPort = options.roomsMenuPort = 0;
    options.roomBasePort = options.tableBasePort = 0;
    options.httpPort = -1;
    options.dataFolder = dataFolder;
    options.passwordIterations = passwordIterations;
    options.logger = [](const QString &) {};
    return options;
}

// Logs `name` in through the lobby and leaves; false when the lobby never
// said it was ready.
inline bool LogIn(const VtServer &server, const QByteArray &name, const QByteArray &password = "pw")
{
    QTcpSocket lobby;
    lobby.connectToHost(QHostAddress::LocalHost, quint16(server.lobbyPort()));
    if (!QTest::qWaitFor([&] { return lobby.state() == QAbstractSocket::ConnectedState; }, 5000))
        return false;
    lobby.write(Marker::IdentifyOpen + name + Marker::IdentifyClose + password);
    QByteArray got;
    return QTest::qWaitFor([&] {
        got += lobby.readAll();
        return got.contains(Marker::ReadyMarker);
    }, 5000);
}

} // namespace LocalService
