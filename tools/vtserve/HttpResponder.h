#pragma once

// The small web side of the service: sound files for the lobby ("/Sound/")
// and the client programs ("/Sounds/"), and the page "/games.htm". A plain
// function of the request bytes, so it is tested without sockets.

#include <QByteArray>
#include <QStringList>

#include <functional>

#include "MenuPainter.h"

namespace Http {

constexpr qsizetype MaxRequest = 8 * 1024;

// True once the request head is complete (an empty line was received).
bool RequestComplete(const QByteArray &received);

struct Response {
    int status = 200;
    QByteArray body;
    QByteArray contentType;
    QByteArray path;        // what was asked for, for the log
    QByteArray bytes() const;
    bool headOnly = false;
};

// `soundFolders` are searched in order; `gamesPage` makes "/games.htm".
Response Respond(const QByteArray &request, const QStringList &soundFolders,
                 const std::function<QByteArray()> &gamesPage);

// The page "/games.htm": the games menu's tables and the chat rooms with who
// is at each, and who is in the lobby. A table's links are the lobby's quick
// launch commands ("\QuickLaunch3" picks the third entry of the games menu),
// so a click on the page in the lobby starts the table's program.
QByteArray GamesPage(const QList<MenuEntry> &tables, const QList<MenuEntry> &rooms,
                     const QList<QByteArray> &inLobby);

// A sound name is used only when plain: no separator, no "..", not hidden,
// not absolute, no control bytes.
bool PlainFileName(const QByteArray &name);

} // namespace Http
