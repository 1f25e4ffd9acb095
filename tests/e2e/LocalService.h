#pragma once

// The local service as the end-to-end tests start it: in-process, every
// listener on a free port, no web side, quiet, cheap passwords; and a login
// through its lobby, which makes the account the game nodes then accept.

#include "ServiceClient.h"
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
    ServiceClient lobby(server.lobbyPort());
    return lobby.logIn(name, password);
}

} // namespace LocalService
