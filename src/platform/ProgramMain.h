#pragma once

// Start-up shared by the six programs: the application object, its names,
// clean shutdown on SIGINT/SIGTERM (the main windows are closed as if the
// user had closed them, so settings are written), the main window, the loop.

#include <QString>

#include <functional>

class QWidget;

struct ProgramInfo
{
    QString program;  // file name: "VTLobby", "Cardamo", ...
    QString title;    // the task title: "Vantora Lobby", "Vantora Games", ...
};

int RunProgram(int argc, char **argv, const ProgramInfo &info,
               const std::function<QWidget *()> &createMainWindow);

// Closes every top-level window on SIGINT and SIGTERM. Safe to call once the
// application object exists.
void InstallTerminationHandler();
