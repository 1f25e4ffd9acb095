#include "ClientPrograms.h"

#include "AppInfo.h"
#include "Platform.h"
#include "ProgramLauncher.h"
#include "UserDialogs.h"

QStringList FullCommandLine(const QString &host, int port, const QString &userName,
                            const QString &password)
{
    return {host, QString::number(port), userName, password};
}

bool StartClientProgram(QWidget *parent, const QString &lobbyDir, const QString &program,
                        const QStringList &arguments, bool reportFailure)
{
    const QString path = lobbyDir + program;
    ProgramLauncher &launcher = Platform::launcher();
    if (launcher.fileExists(path) && StartWithPassword(launcher, path, arguments, lobbyDir))
        return true;
    if (reportFailure)
        UserDialogs::current().message(parent, ApplicationTitle(),
                                       QStringLiteral("Unable to load ") + program);
    return false;
}
