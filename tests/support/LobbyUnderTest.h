#pragma once

// A lobby window that logs in as Ann to a server on loopback, as a user
// would: shown, activated, "Connect" pressed. The caller waits for the
// identification on its own fake server.

#include <QStringList>

#include <memory>

#include "ChatSession.h"
#include "LobbyMain.h"

inline std::unique_ptr<TLobbyMainForm> ConnectLobbyAsAnn(SettingsStore &user,
                                                         const SettingsStore &machine,
                                                         const QString &port, const QString &host)
{
    LobbyStartup startup;
    startup.settings = &user;
    startup.machineSettings = &machine;
    startup.arguments = QStringList{port, host};
    startup.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    auto form = std::make_unique<TLobbyMainForm>(startup);
    form->Activated = true;
    form->show();
    form->chatSession().UserName = "Ann";
    form->chatSession().Password = "pw";
    form->FileConnectItemClick();
    return form;
}
