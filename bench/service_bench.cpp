// service-bench: how many users vtserve holds. Starts build/bin/vtserve
// three times on its own ports - checking passwords on its main thread and
// sending the lobby's user list at every change; on worker threads with a
// list at every change and Qt's listening queue of 50 (the baseline); on
// worker threads as it runs by default (the lists coalesced, a listening
// queue as long as the connection limit) - and each time logs N new users in
// at once from distinct loopback addresses (127.0.x.y), while one of the
// first users keeps sending chat lines; then one line to everybody. Prints
// the login rate, the chat fan-out latency during and after the logins and
// the service's memory, and the ratios against the baseline.
//
//   service-bench [--users N] [--base-port P] [--iterations I] [--skip-main-thread]

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPasswordDigestor>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <openssl/evp.h>

#include "AccountStore.h"
#include "ServiceClient.h"

namespace {

// A client keeps only the tail of what came: enough to find a marker or a
// line cut between two reads.
constexpr qsizetype ClientTail = 256;

struct Figures {
    double loginPerSecond = 0;
    double fanoutDuringMs = 0;   // the slowest line sent while logins went on
    double fanoutMs = 0;         // one line to all N, after
    qint64 rssKb = 0;
    bool ok = false;
};

void waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

qint64 rssOf(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QHostAddress addressOf(int i)
{
    return QHostAddress(QStringLiteral("127.0.%1.%2").arg(1 + i / 200).arg(1 + i % 200));
}

Figures run(const QString &program, int users, int basePort, int iterations, const QStringList &extra)
{
    Figures f;
    QTemporaryDir data;
    QProcess service;
    service.setStandardErrorFile(QProcess::nullDevice());   // its log lines
    const int lobbyPort = basePort;
    QStringList arguments = {QStringLiteral("--port"), QString::number(lobbyPort), QStringLiteral("--games-port"),
                             QString::number(basePort + 1), QStringLiteral("--rooms-port"), QString::number(basePort + 2),
                             QStringLiteral("--room-base-port"), QString::number(basePort + 10),
                             QStringLiteral("--table-base-port"), QString::number(basePort + 20),
                             QStringLiteral("--http-port"), QStringLiteral("-1"), QStringLiteral("--data"), data.path(),
                             QStringLiteral("--max-connections"), QString::number(users + 50),
                             QStringLiteral("--password-iterations"), QString::number(iterations)};
    arguments += extra;
    service.start(program, arguments);
    if (!service.waitForStarted(5000)) {
        std::fprintf(stderr, "service-bench: cannot start %s\n", qPrintable(program));
        return f;
    }
    // Wait for the lobby to listen.
    bool listening = false;
    for (int k = 0; k < 100 && !listening; ++k) {
        ServiceClient probe(lobbyPort);
        listening = probe.waitConnected(100);
        if (!listening)
            QThread::msleep(50);
    }
    if (!listening) {
        std::fprintf(stderr, "service-bench: the service does not listen on %d\n", lobbyPort);
        service.kill();
        service.waitForFinished();
        return f;
    }

    std::vector<std::unique_ptr<ServiceClient>> clients(users);
    const auto login = [&](int i) {
        clients[i] = std::make_unique<ServiceClient>(lobbyPort, addressOf(i));
        clients[i]->keepTail(ClientTail);
        clients[i]->identifyWhenConnected("User" + QByteArray::number(i), "pw");
    };
    const auto readyCount = [&] {
        return int(std::count_if(clients.begin(), clients.end(),
                                 [](const std::unique_ptr<ServiceClient> &c) { return c && c->loggedIn(); }));
    };
    // One line from user 0 to everybody who is in: milliseconds until all have it.
    int lineNumber = 0;
    const auto fanout = [&](int timeoutMs) {
        const QByteArray text = "bench line " + QByteArray::number(++lineNumber) + " end";
        QList<int> in;
        for (int i = 1; i < users; ++i) {
            if (clients[i]->loggedIn()) {
                in.append(i);
                clients[i]->watch(text);
            }
        }
        QElapsedTimer timer;
        timer.start();
        clients[0]->write(text + "\r\n");
        qsizetype k = 0;   // the clients before it have the line
        waitUntil([&] {
            while (k < in.size() && clients[in[k]]->seen())
                ++k;
            return k == in.size();
        }, timeoutMs);
        for (const int i : in)
            clients[i]->stopWatching();
        return double(timer.nsecsElapsed()) / 1e6;
    };

    // User 0 first, to speak; then everybody else at once.
    login(0);
    waitUntil([&] { return clients[0]->loggedIn(); }, 10000);
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i < users; ++i)
        login(i);
    QElapsedTimer sinceLine;
    sinceLine.start();
    while (readyCount() < users && timer.elapsed() < 120000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (sinceLine.elapsed() >= 250 && readyCount() > 1 && readyCount() < users) {
            f.fanoutDuringMs = qMax(f.fanoutDuringMs, fanout(10000));
            sinceLine.restart();
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const int ready = readyCount();
    f.loginPerSecond = (ready - 1) / seconds;
    // Let the last user-list updates pass, then one line to everybody.
    waitUntil([] { return false; }, 800);
    f.fanoutMs = fanout(10000);
    f.rssKb = rssOf(service.processId());
    f.ok = ready == users;
    if (!f.ok)
        std::fprintf(stderr, "service-bench: only %d of %d users logged in\n", ready, users);
    clients.clear();
    service.terminate();
    if (!service.waitForFinished(5000))
        service.kill();
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("users"), QStringLiteral("Users to log in (default 250)."), QStringLiteral("n"), QStringLiteral("250")},
        {QStringLiteral("base-port"), QStringLiteral("First of the ports the service uses (default 17000)."),
         QStringLiteral("port"), QStringLiteral("17000")},
        {QStringLiteral("iterations"),
         QStringLiteral("PBKDF2 iterations per password (default the service's, %1).").arg(AccountStore::DefaultIterations),
         QStringLiteral("n"), QString::number(AccountStore::DefaultIterations)},
        {QStringLiteral("skip-main-thread"), QStringLiteral("Leave out the run that checks passwords on the main thread.")},
    });
    parser.addHelpOption();
    parser.process(app);
    const int users = qMax(2, parser.value(QStringLiteral("users")).toInt());
    const int basePort = parser.value(QStringLiteral("base-port")).toInt();
    const int iterations = parser.value(QStringLiteral("iterations")).toInt();
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/vtserve");

    // The digest itself: Qt's PBKDF2 (what the service used) against the service's.
    QElapsedTimer timer;
    timer.start();
    for (int k = 0; k < 5; ++k)
        QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, "pw", "0123456789abcdef", iterations, 32);
    const double qtMs = double(timer.nsecsElapsed()) / 5e6;
    timer.restart();
    for (int k = 0; k < 5; ++k)
        AccountStore::digest("pw", "0123456789abcdef", iterations);
    const double ownMs = double(timer.nsecsElapsed()) / 5e6;
    timer.restart();
    for (int k = 0; k < 5; ++k) {
        unsigned char out[32];
        PKCS5_PBKDF2_HMAC("pw", 2, reinterpret_cast<const unsigned char *>("0123456789abcdef"), 16, iterations,
                          EVP_sha256(), 32, out);
    }
    const double opensslMs = double(timer.nsecsElapsed()) / 5e6;
    std::printf("digest: Qt %.1f ms, OpenSSL's PKCS5_PBKDF2_HMAC %.1f ms, service %.1f ms (%d iterations)\n", qtMs,
                opensslMs, ownMs, iterations);
    std::printf("ratio digest_speed %.2f\n", qtMs / ownMs);
    std::printf("ratio digest_vs_openssl_pbkdf2 %.2f\n", opensslMs / ownMs);
    // Every new account costs one digest; no pool logs them in faster than
    // the cores derive them.
    const int cores = qMax(1, QThread::idealThreadCount());
    std::printf("digests alone: %d logins need %.2f s of %d cores (at most %.1f logins/s)\n", users - 1,
                (users - 1) * ownMs / 1000.0 / cores, cores, 1000.0 * cores / qMax(0.001, ownMs));

    const auto print = [](const char *what, const Figures &f) {
        std::printf("%s: login_per_s %.1f fanout_during_ms %.1f fanout_ms %.1f rss_kb %lld\n", what, f.loginPerSecond,
                    f.fanoutDuringMs, f.fanoutMs, static_cast<long long>(f.rssKb));
    };
    // As the service was: a user list at every change, and the listening
    // queue Qt gives by default.
    const QStringList listsAtOnce = {QStringLiteral("--user-list-ms"), QStringLiteral("0"), QStringLiteral("--listen-backlog"),
                                     QStringLiteral("50")};
    Figures mainThread;
    mainThread.ok = true;
    if (!parser.isSet(QStringLiteral("skip-main-thread"))) {
        mainThread = run(program, users, basePort, iterations, QStringList{QStringLiteral("--hash-threads"), QStringLiteral("0")} + listsAtOnce);
        print("passwords on the main thread, a user list at every change, a listening queue of 50", mainThread);
    }
    const Figures base = run(program, users, basePort + 100, iterations, listsAtOnce);
    std::printf("(worker threads: %d)\n", QThread::idealThreadCount());
    print("baseline: passwords on worker threads, a user list at every change, a listening queue of 50", base);
    const Figures now = run(program, users, basePort + 200, iterations, {});
    print("now: passwords on worker threads, the user lists coalesced, a listening queue of --max-connections", now);
    std::printf("%d logins in %.2f s\n", users - 1, (users - 1) / qMax(0.001, now.loginPerSecond));
    // Against the baseline of this run: above 1 is better for logins, below 1 for latency.
    std::printf("ratio login_per_s %.2f\n", now.loginPerSecond / qMax(0.001, base.loginPerSecond));
    std::printf("ratio fanout_ms %.2f\n", now.fanoutDuringMs / qMax(0.001, base.fanoutDuringMs));
    std::printf("ratio fanout_after_ms %.2f\n", now.fanoutMs / qMax(0.001, base.fanoutMs));
    std::printf("ratio rss %.2f\n", double(now.rssKb) / qMax<qint64>(1, base.rssKb));
    if (mainThread.loginPerSecond > 0)
        std::printf("ratio login_per_s_against_main_thread %.2f\n",
                    now.loginPerSecond / qMax(0.001, mainThread.loginPerSecond));
    return mainThread.ok && base.ok && now.ok ? 0 : 1;
}
