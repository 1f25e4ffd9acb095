// vtserve: the suite's local reference service.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include "AccountStore.h"
#include "SoundSynth.h"
#include "VtServer.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool portOption(const QCommandLineParser &parser, const QString &name, int *port, bool allowOff = false)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value > 65535 || value < (allowOff ? -1 : 0)) {
        std::fprintf(stderr, "vtserve: --%s needs a port number from 0 to 65535%s\n",
                     qPrintable(name), allowOff ? " (or -1 for none)" : "");
        return false;
    }
    *port = value;
    return true;
}

bool countOption(const QCommandLineParser &parser, const QString &name, int least, int *value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int n = parser.value(name).toInt(&ok);
    if (!ok || n < least || n > 100000) {
        std::fprintf(stderr, "vtserve: --%s needs a number from %d to 100000\n", qPrintable(name), least);
        return false;
    }
    *value = n;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vtserve"));
    QCoreApplication::setApplicationVersion(QStringLiteral("6.11"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Vantora suite's local reference service: the lobby, the games and chat-room menus,\n"
        "the chat rooms, the game tables (Hearts, the race deck, sketch and guess, the Minefield\n"
        "door and an optional bridged door) and the sound files, so that VTLobby and its programs\n"
        "can be used on one machine. The first account that logs in becomes the sysop."));
    parser.addHelpOption();
    parser.addVersionOption();
    const ServerOptions defaults;
    parser.addOptions({
        {QStringLiteral("bind"), QStringLiteral("Address to listen on (default 127.0.0.1; 0.0.0.0 for every interface)."),
         QStringLiteral("address")},
        {QStringLiteral("port"), QStringLiteral("Lobby port (default %1).").arg(defaults.lobbyPort), QStringLiteral("port")},
        {QStringLiteral("games-port"), QStringLiteral("Games menu port (default %1).").arg(defaults.gamesMenuPort),
         QStringLiteral("port")},
        {QStringLiteral("rooms-port"), QStringLiteral("Chat-room menu port (default %1).").arg(defaults.roomsMenuPort),
         QStringLiteral("port")},
        {QStringLiteral("room-base-port"),
         QStringLiteral("First chat-room port; the rooms use consecutive ports (default %1).").arg(defaults.roomBasePort),
         QStringLiteral("port")},
        {QStringLiteral("table-base-port"),
         QStringLiteral("First game-table port; the tables listen on it and up to 23 above it (default %1).").arg(defaults.tableBasePort),
         QStringLiteral("port")},
        {QStringLiteral("http-port"),
         QStringLiteral("Port of the web side serving /Sound/, /Sounds/ and /games.htm (default %1, -1 for none).")
             .arg(defaults.httpPort),
         QStringLiteral("port")},
        {QStringLiteral("data"),
         QStringLiteral("Data folder with the accounts and the Sounds folder (default %1).")
             .arg(ServerOptions::defaultDataFolder()),
         QStringLiteral("folder")},
        {QStringLiteral("set-rank"),
         QStringLiteral("Give an existing account a rank (2 plain, 5 moderator \"+\", 9 sysop \"$\") and exit."),
         QStringLiteral("name=rank")},
        {QStringLiteral("make-sounds"), QStringLiteral("Write the service's own sounds into a folder and exit."),
         QStringLiteral("folder")},
        {QStringLiteral("door-command"),
         QStringLiteral("A text-mode program to offer as a door on the games menu (program and arguments, no shell;\n"
                        "each caller gets a run of it on a terminal of its own). Example: --door-command \"nethack\"."),
         QStringLiteral("command")},
        {QStringLiteral("door-title"), QStringLiteral("The bridged door's name on the games menu (default Terminal Door)."),
         QStringLiteral("title")},
        {QStringLiteral("max-connections"),
         QStringLiteral("Connections the service holds at once (default %1).").arg(defaults.maxConnections),
         QStringLiteral("count")},
        {QStringLiteral("max-per-address"),
         QStringLiteral("Connections from one address at once (default %1).").arg(defaults.maxPerAddress),
         QStringLiteral("count")},
        {QStringLiteral("listen-backlog"),
         QStringLiteral("Connections waiting to be taken that each port holds (default --max-connections)."),
         QStringLiteral("count")},
        {QStringLiteral("password-iterations"),
         QStringLiteral("PBKDF2 iterations for the passwords of new accounts (default %1).").arg(defaults.passwordIterations),
         QStringLiteral("count")},
        {QStringLiteral("hash-threads"),
         QStringLiteral("Threads that check passwords (default one per core; 0 checks them on the main thread)."),
         QStringLiteral("count")},
        {QStringLiteral("user-list-ms"),
         QStringLiteral("Least time between two user lists to the lobby; the changes in between go out together\n"
                        "(default %1; 0 sends every change at once).").arg(ServiceConfig().userListMs),
         QStringLiteral("ms")},
        {QStringLiteral("art-folder"), QStringLiteral("A folder of ANSI art (.ans files) to offer as the Art Gallery door."),
         QStringLiteral("folder")},
        {QStringLiteral("words"),
         QStringLiteral("Word list of the sketch tables: lines word;points (default: the list shipped with vtserve)."),
         QStringLiteral("file")},
    });
    parser.process(app);

    if (parser.isSet(QStringLiteral("make-sounds"))) {
        const int written = SoundSynth::WriteMissing(parser.value(QStringLiteral("make-sounds")));
        if (written < 0) {
            std::fprintf(stderr, "vtserve: cannot write into %s\n", qPrintable(parser.value(QStringLiteral("make-sounds"))));
            return 1;
        }
        return 0;
    }

    ServerOptions options;
    if (parser.isSet(QStringLiteral("bind"))) {
        const QString text = parser.value(QStringLiteral("bind"));
        if (text == QLatin1String("localhost"))
            options.bind = QHostAddress::LocalHost;
        else if (!options.bind.setAddress(text)) {
            std::fprintf(stderr, "vtserve: --bind needs an IP address, not \"%s\"\n", qPrintable(text));
            return 2;
        }
    }
    if (!portOption(parser, QStringLiteral("port"), &options.lobbyPort)
        || !portOption(parser, QStringLiteral("games-port"), &options.gamesMenuPort)
        || !portOption(parser, QStringLiteral("rooms-port"), &options.roomsMenuPort)
        || !portOption(parser, QStringLiteral("room-base-port"), &options.roomBasePort)
        || !portOption(parser, QStringLiteral("table-base-port"), &options.tableBasePort)
        || !portOption(parser, QStringLiteral("http-port"), &options.httpPort, true))
        return 2;
    if (!countOption(parser, QStringLiteral("max-connections"), 1, &options.maxConnections)
        || !countOption(parser, QStringLiteral("max-per-address"), 1, &options.maxPerAddress)
        || !countOption(parser, QStringLiteral("listen-backlog"), 1, &options.listenBacklog)
        || !countOption(parser, QStringLiteral("password-iterations"), 1000, &options.passwordIterations)
        || !countOption(parser, QStringLiteral("hash-threads"), 0, &options.hashThreads))
        return 2;
    int userListMs = ServiceConfig().userListMs;
    if (!countOption(parser, QStringLiteral("user-list-ms"), 0, &userListMs))
        return 2;
    options.tune = [userListMs](ServiceConfig &config) { config.userListMs = userListMs; };
    options.dataFolder = parser.value(QStringLiteral("data"));
    if (parser.isSet(QStringLiteral("door-command"))) {
        options.doorCommand = QProcess::splitCommand(parser.value(QStringLiteral("door-command")));
        if (options.doorCommand.isEmpty()) {
            std::fprintf(stderr, "vtserve: --door-command needs a program\n");
            return 2;
        }
    }
    options.doorTitle = parser.value(QStringLiteral("door-title")).toLatin1().left(30);
    options.wordsFile = parser.value(QStringLiteral("words"));
    options.artFolder = parser.value(QStringLiteral("art-folder"));

    if (parser.isSet(QStringLiteral("set-rank"))) {
        const QString assignment = parser.value(QStringLiteral("set-rank"));
        const QString name = assignment.section(QLatin1Char('='), 0, 0);
        bool ok = false;
        const int rank = assignment.section(QLatin1Char('='), 1).toInt(&ok);
        if (!ok || rank < 2 || rank > 13) {
            std::fprintf(stderr, "vtserve: --set-rank needs name=rank with a rank from 2 to 13\n");
            return 2;
        }
        const QString folder = options.dataFolder.isEmpty() ? ServerOptions::defaultDataFolder() : options.dataFolder;
        AccountStore accounts(folder + QStringLiteral("/accounts.sqlite"));
        if (!accounts.open() || !accounts.setRank(name.toLatin1(), rank)) {
            std::fprintf(stderr, "vtserve: no account \"%s\" in %s\n", qPrintable(name), qPrintable(folder));
            return 1;
        }
        std::printf("%s now has rank %d\n", qPrintable(name), rank);
        return 0;
    }

    VtServer server(options);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "vtserve: %s\n", qPrintable(error));
        return 1;
    }

    // SIGINT and SIGTERM reach the event loop through a socket pair.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&server, notifier] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            notifier->setEnabled(false);
            server.stop();
            // Let the goodbye lines leave before the process ends.
            QTimer::singleShot(300, QCoreApplication::instance(), &QCoreApplication::quit);
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    return app.exec();
}
