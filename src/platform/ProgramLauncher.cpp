#include "ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <cerrno>
#include <csignal>

bool ProcessLauncher::fileExists(const QString &path) const
{
    return QFileInfo(path).isFile();
}

bool ProcessLauncher::startDetached(const QString &program, const QStringList &arguments,
                                    const QString &workingDir,
                                    const LaunchEnvironment &environment, qint64 *pid)
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
    return process.startDetached(pid);
}

bool ProcessLauncher::isRunning(qint64 pid) const
{
    // A detached program is no child of ours: ask whether the id still lives.
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

bool StartWithPassword(ProgramLauncher &launcher, const QString &program,
                       const QStringList &fullArguments, const QString &workingDir,
                       LaunchEnvironment environment, qint64 *pid)
{
    if (fullArguments.size() < 4)
        return launcher.startDetached(program, fullArguments, workingDir, environment, pid);
    QStringList arguments = fullArguments;
    environment.insert(QString::fromLatin1(PasswordVariable), arguments.takeAt(3));
    return launcher.startDetached(program, arguments, workingDir, environment, pid);
}
