#include "ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>

bool ProcessLauncher::fileExists(const QString &path) const
{
    return QFileInfo(path).isFile();
}

bool ProcessLauncher::startDetached(const QString &program, const QStringList &arguments,
                                    const QString &workingDir)
{
    return QProcess::startDetached(program, arguments, workingDir);
}
