#pragma once

// Starts the suite's other programs. Arguments always travel as a list,
// never through a shell.

#include <QMap>
#include <QString>
#include <QStringList>

// The client programs take host, port, user name and password; the password
// does not go on the command line, which every local user can read, but in
// this variable of the started program's environment.
inline constexpr char PasswordVariable[] = "VANTORA_PASSWORD";

// Variables set for a started program, on top of this program's own
// environment. PasswordVariable is never inherited: a program gets it only
// when it is named here.
using LaunchEnvironment = QMap<QString, QString>;

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    virtual bool fileExists(const QString &path) const = 0;
    // Starts `program` detached from this one, in `workingDir`, with
    // `environment` added to this program's own. `pid`, when given, receives
    // the new process's id.
    virtual bool startDetached(const QString &program, const QStringList &arguments,
                               const QString &workingDir,
                               const LaunchEnvironment &environment = {},
                               qint64 *pid = nullptr) = 0;
    // A program this one started is still running.
    virtual bool isRunning(qint64 pid) const = 0;
};

// Starts a client program with its full command line (host, port, user name,
// password): the password, when there is one, leaves the list and travels in
// PasswordVariable instead.
bool StartWithPassword(ProgramLauncher &launcher, const QString &program,
                       const QStringList &fullArguments, const QString &workingDir,
                       LaunchEnvironment environment = {}, qint64 *pid = nullptr);

class ProcessLauncher : public ProgramLauncher
{
public:
    bool fileExists(const QString &path) const override;
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDir, const LaunchEnvironment &environment,
                       qint64 *pid) override;
    bool isRunning(qint64 pid) const override;
};
