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
    // Starts `program` detached from this one, in `workingDir`.
    virtual bool startDetached(const QString &program, const QStringList &arguments,
                               const QString &workingDir) = 0;
};

class ProcessLauncher : public ProgramLauncher
{
public:
    bool fileExists(const QString &path) const override;
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDir) override;
};
