#include "ProgramMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <memory>

#include "AppInfo.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

void InstallTerminationHandler()
{
    if (g_signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        // A modal dialog first, so that the windows behind it can close.
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        QApplication::closeAllWindows();
        QApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int RunProgram(int argc, char **argv, const ProgramInfo &info,
               const std::function<QWidget *()> &createMainWindow)
{
    // Qt reads options ("-platform", "-stylesheet", ...) from the arguments
    // it is given: it gets the program name alone, and the windows read the
    // original arguments.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    SetProgramArguments(arguments);
    QByteArray name = info.program.toLocal8Bit();
    int qtArgc = 1;
    char *qtArgv[] = {name.data(), nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(info.program);
    QApplication::setOrganizationName(QStringLiteral("Vantora"));
    SetApplicationTitle(info.title);
    InstallTerminationHandler();

    std::unique_ptr<QWidget> window(createMainWindow());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    const int rc = app.exec();
    window.reset();
    return rc;
}
