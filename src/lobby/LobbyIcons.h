#pragma once

// The lobby's icon lists, drawn by code: the online icons a user can pick
// (their numbers select a row's icon in the user list) and the state icons
// the server gives a row (1: away).

#include <QIcon>
#include <QList>

// Icons 0 to 35.
const QList<QIcon> &LobbyIcons();
// 0 none, 1 away, 2 busy.
const QList<QIcon> &LobbyStateIcons();
