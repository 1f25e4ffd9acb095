#pragma once

// Starts the suite's other programs. Arguments always travel as a list,
// never through a shell.

#include <QString>
#include <QStringList>

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    virtual bool fileExists(const QString &path) const = 0;
    // Starts `program` detached from this one, in `workingDir`, with the
    // "NAME=value" entries of `environment` added to this program's
    // environment. `pid`, when given, receives the new process's id.
    virtual bool startDetached(const QString &program, const QStringList &arguments,
                               const QString &workingDir, const QStringList &environment = {},
                               qint64 *pid = nullptr) = 0;
    // A program this one started is still running.
    virtual bool isRunning(qint64 pid) const = 0;
};

class ProcessLauncher : public ProgramLauncher
{
public:
    bool fileExists(const QString &path) const override;
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDir, const QStringList &environment,
                       qint64 *pid) override;
    bool isRunning(qint64 pid) const override;
};
