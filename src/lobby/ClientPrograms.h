#pragma once

// Starting the client programs from the lobby: the program file lies in the
// lobby's folder, which is also the working folder; the arguments go as a
// list, never through a shell.

#include <QString>
#include <QStringList>

class QWidget;

// host, port, user name, password (StartClientProgram moves the password
// into the started program's environment).
QStringList FullCommandLine(const QString &host, int port, const QString &userName,
                            const QString &password);

// Starts `program` (a file name such as "Parlora") from `lobbyDir` (ending
// in "/"). When the file is missing or does not start, false is returned
// and, with `reportFailure`, the user is told "Unable to load " + program.
bool StartClientProgram(QWidget *parent, const QString &lobbyDir, const QString &program,
                        const QStringList &arguments, bool reportFailure = true);
