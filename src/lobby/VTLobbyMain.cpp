#include "LobbyMain.h"

#include "ProgramMain.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, {QStringLiteral("VTLobby"), QStringLiteral("Vantora Lobby")},
                      [] { return new TLobbyMainForm; });
}
