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
                                    const QString &workingDir, const QStringList &environment,
                                    qint64 *pid)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &entry : environment) {
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            if (equals > 0)
                env.insert(entry.left(equals), entry.mid(equals + 1));
        }
        process.setProcessEnvironment(env);
    }
    return process.startDetached(pid);
}

bool ProcessLauncher::isRunning(qint64 pid) const
{
    // A detached program is no child of ours: ask whether the id still lives.
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}
