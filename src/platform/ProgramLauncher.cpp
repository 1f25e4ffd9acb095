#include "ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

bool ProcessLauncher::fileExists(const QString &path) const
{
    return QFileInfo(path).isFile();
}

bool ProcessLauncher::startDetached(const QString &program, const QStringList &arguments,
                                    const QString &workingDir,
                                    const LaunchEnvironment &environment)
{
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QString::fromLatin1(PasswordVariable));
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        variables.insert(it.key(), it.value());
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    process.setProcessEnvironment(variables);
    return process.startDetached();
}

bool StartWithPassword(ProgramLauncher &launcher, const QString &program,
                       const QStringList &fullArguments, const QString &workingDir)
{
    if (fullArguments.size() < 4)
        return launcher.startDetached(program, fullArguments, workingDir);
    QStringList arguments = fullArguments;
    const QString password = arguments.takeAt(3);
    return launcher.startDetached(program, arguments, workingDir,
                                  {{QString::fromLatin1(PasswordVariable), password}});
}
