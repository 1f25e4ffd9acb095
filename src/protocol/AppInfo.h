#pragma once

// Facts about the running program that several parts of the suite need.

#include <QString>
#include <QStringList>

// The program's title, as the desktop shows it for the task ("Vantora Lobby",
// "Vantora Games", ...). Window captions are separate and set by each window.
void SetApplicationTitle(const QString &title);
QString ApplicationTitle();

// The program's command line after the program name, as it was given.
// The application object is built from the program name alone, so that no
// argument can act as one of Qt's own options; the windows read host, port,
// name and password from here.
void SetProgramArguments(const QStringList &arguments);
QStringList ProgramArguments();

// The host the service runs on when nothing else is configured.
QString DefaultServiceHost();

// The port of the named service "Chat": from the system's services database
// when it lists one, otherwise 1024.
int ChatServicePort();

// The settings value 1024 stands for the named service "Chat".
int ResolveServicePort(int port);
