#include "LobbyMain.h"

#include "WindowLister.h"

TLobbyMainForm::TLobbyMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TLobbyMainForm"));
    setWindowTitle(QStringLiteral("Vantora Console"));
    resize(640, 480);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));
}

TLobbyMainForm::~TLobbyMainForm() = default;
