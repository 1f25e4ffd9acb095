#include "ClientPrograms.h"

#include <memory>

#include "AppInfo.h"
#include "Platform.h"
#include "ProgramLauncher.h"
#include "StartLimits.h"
#include "UserDialogs.h"

namespace {

StartLimits::Rules LobbyRules()
{
    StartLimits::Rules rules;
    rules.minIntervalMs = 1000;
    rules.maxRunning = 8;
    rules.what = QStringLiteral("client program");
    return rules;
}

std::unique_ptr<StartLimits> &Limits()
{
    static std::unique_ptr<StartLimits> limits = std::make_unique<StartLimits>(LobbyRules());
    return limits;
}

} // namespace

QStringList FullCommandLine(const QString &host, int port, const QString &userName,
                            const QString &password)
{
    return {host, QString::number(port), userName, password};
}

StartLimits &ClientProgramStarts()
{
    return *Limits();
}

void ResetClientProgramStarts()
{
    Limits() = std::make_unique<StartLimits>(LobbyRules());
}

bool StartClientProgram(QWidget *parent, const QString &lobbyDir, const QString &program,
                        const QStringList &arguments, bool reportFailure,
                        const std::function<void(const QString &)> &chatNote)
{
    const QString path = lobbyDir + program;
    ProgramLauncher &launcher = Platform::launcher();
    const QString refusal = ClientProgramStarts().refusal(launcher);
    if (!refusal.isEmpty()) {
        if (chatNote)
            chatNote(refusal);
        return false;
    }
    qint64 pid = 0;
    if (launcher.fileExists(path) && StartWithPassword(launcher, path, arguments, lobbyDir, {}, &pid)) {
        ClientProgramStarts().started(launcher, pid);
        return true;
    }
    if (reportFailure)
        UserDialogs::current().message(parent, ApplicationTitle(),
                                       QStringLiteral("Unable to load ") + program);
    return false;
}
