#pragma once

// Starting the client programs from the lobby: the program file lies in the
// lobby's folder, which is also the working folder; the arguments go as a
// list, never through a shell.
//
// Servers ask for these starts (menus, invitations), so they are bounded:
// at most one a second, and at most eight programs started by the lobby
// running at once. A refused start is told in one chat line.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class StartLimits;

// host, port, user name, password (StartClientProgram moves the password
// into the started program's environment).
QStringList FullCommandLine(const QString &host, int port, const QString &userName,
                            const QString &password);

// Starts `program` (a file name such as "Parlora") from `lobbyDir` (ending
// in "/"). When the file is missing or does not start, false is returned
// and, with `reportFailure`, the user is told "Unable to load " + program.
// A start the limits refuse returns false and hands the reason to `chatNote`.
bool StartClientProgram(QWidget *parent, const QString &lobbyDir, const QString &program,
                        const QStringList &arguments, bool reportFailure = true,
                        const std::function<void(const QString &)> &chatNote = {});

// The lobby's limits (one set for the whole program run).
StartLimits &ClientProgramStarts();
// Tests only: forgets the starts made so far.
void ResetClientProgramStarts();
