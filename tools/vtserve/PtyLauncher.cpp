#include "PtyLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "TermFilter.h"

namespace {

constexpr qsizetype ReadChunk = 16 * 1024;
constexpr qsizetype MaxInput = 64 * 1024;

// Waits for an ended or abandoned program without blocking: a hang-up
// first, a kill after two seconds.
void reapLater(pid_t pid)
{
    if (::waitpid(pid, nullptr, WNOHANG) == pid)
        return;
    auto *timer = new QTimer(QCoreApplication::instance());
    auto *ticks = new int(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ticks, pid] {
        ++*ticks;
        if (*ticks == 10)
            ::kill(pid, SIGKILL);
        const pid_t got = ::waitpid(pid, nullptr, WNOHANG);
        if (got == pid || (got < 0 && errno == ECHILD) || *ticks > 50) {
            delete ticks;
            timer->deleteLater();
            timer->stop();
        }
    });
    timer->start(200);
}

class PtyProcess : public TerminalProcess
{
public:
    PtyProcess(pid_t pid, int fd, QByteArray term, Output output, Exited exited)
        : m_pid(pid)
        , m_fd(fd)
        , m_term(std::move(term))
        , m_output(std::move(output))
        , m_exited(std::move(exited))
        , m_reader(fd, QSocketNotifier::Read)
        , m_writer(fd, QSocketNotifier::Write)
    {
        m_writer.setEnabled(false);
        QObject::connect(&m_reader, &QSocketNotifier::activated, &m_reader, [this] { readable(); });
        QObject::connect(&m_writer, &QSocketNotifier::activated, &m_writer, [this] { flush(); });
    }

    ~PtyProcess() override
    {
        const bool running = m_fd >= 0;
        close();
        if (running) {
            ::kill(m_pid, SIGHUP);
            ::kill(m_pid, SIGTERM);
        }
        reapLater(m_pid);
    }

    void write(const QByteArray &bytes) override
    {
        if (m_fd < 0)
            return;
        m_input += bytes.left(MaxInput - m_input.size());
        flush();
    }

    void setPaused(bool paused) override
    {
        if (m_fd >= 0)
            m_reader.setEnabled(!paused);
    }

    QByteArray terminalType() const override { return m_term; }

private:
    void readable()
    {
        char buffer[ReadChunk];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_output(QByteArray(buffer, qsizetype(n)));
            return;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // End of output (EIO once the program and its children closed the terminal).
        close();
        int status = 0;
        int code = -1;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        if (m_exited)
            m_exited(code);
    }

    void flush()
    {
        while (!m_input.isEmpty() && m_fd >= 0) {
            const ssize_t n = ::write(m_fd, m_input.constData(), size_t(m_input.size()));
            if (n > 0) {
                m_input.remove(0, qsizetype(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        m_writer.setEnabled(m_fd >= 0 && !m_input.isEmpty());
    }

    void close()
    {
        if (m_fd < 0)
            return;
        m_reader.setEnabled(false);
        m_writer.setEnabled(false);
        ::close(m_fd);
        m_fd = -1;
    }

    pid_t m_pid;
    int m_fd;
    QByteArray m_term;
    Output m_output;
    Exited m_exited;
    QSocketNotifier m_reader;
    QSocketNotifier m_writer;
    QByteArray m_input;
};

QByteArray programPath(const QString &program)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? QFile::encodeName(info.absoluteFilePath()) : QByteArray();
    }
    return QFile::encodeName(QStandardPaths::findExecutable(program));
}

// A setuid or setgid program, or a script, which may well start one (as
// Debian's games do).
bool mayRunPrivileged(const QByteArray &path)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0)
        return false;
    if ((info.st_mode & (S_ISUID | S_ISGID)) != 0)
        return true;
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) && file.read(2) == "#!";
}

} // namespace

bool PtyLauncher::SystemHasDescription(const QByteArray &name)
{
    if (name.isEmpty())
        return false;
    // Where the C library's terminal databases are looked up without TERMINFO.
    const QString first = QString::fromLatin1(name.left(1));
    const QString hex = QString::number(uchar(name.at(0)), 16);
    for (const char *dir : {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo", "/usr/lib/terminfo"}) {
        for (const QString &sub : {first, hex}) {
            if (QFileInfo::exists(QStringLiteral("%1/%2/%3").arg(QLatin1String(dir), sub, QString::fromLatin1(name))))
                return true;
        }
    }
    return false;
}

PtyLauncher::TermChoice PtyLauncher::ChooseTerm(const QByteArray &configured, bool privileged, bool systemWide)
{
    if (configured != TermFilter::TermName || systemWide)
        return {configured, false, {}};
    if (privileged) {
        // A setuid or setgid program does not read TERMINFO.
        return {FallbackTerm, false,
                QStringLiteral("setuid, setgid or a script, and the %1 description is not installed system-wide")
                    .arg(QLatin1String(TermFilter::TermName))};
    }
    return {configured, true, {}};
}

PtyLauncher::PtyLauncher(QString workingDir, QString terminfoDir, QByteArray termName)
    : m_workingDir(std::move(workingDir))
    , m_terminfoDir(std::move(terminfoDir))
    , m_termName(std::move(termName))
{
}

QByteArray PtyLauncher::InstallTerminfo(const QString &dir, QString *error)
{
    const QString tic = QStandardPaths::findExecutable(QStringLiteral("tic"));
    if (tic.isEmpty() || !QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("tic is missing or %1 cannot be made; doors use TERM=ansi").arg(dir);
        return "ansi";
    }
    const QString source = dir + QStringLiteral("/vantora.src");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(TermFilter::TerminfoSource()) < 0) {
        if (error)
            *error = QStringLiteral("cannot write %1; doors use TERM=ansi").arg(source);
        return "ansi";
    }
    file.close();
    // Run once at start-up, before the service listens.
    QProcess process;
    process.start(tic, {QStringLiteral("-x"), QStringLiteral("-o"), dir, source});
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("tic failed (%1); doors use TERM=ansi")
                         .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
        return "ansi";
    }
    return TermFilter::TermName;
}

std::unique_ptr<TerminalProcess> PtyLauncher::start(const TerminalRequest &request, TerminalProcess::Output output,
                                                    TerminalProcess::Exited exited, QString *error)
{
    if (request.command.isEmpty()) {
        if (error)
            *error = QStringLiteral("no program is configured");
        return nullptr;
    }
    const QByteArray path = programPath(request.command.first());
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("cannot find the program %1").arg(request.command.first());
        return nullptr;
    }

    // Everything the child needs is made before the fork: after it, only
    // calls that are safe in a forked child are made.
    std::vector<QByteArray> args;
    for (const QString &arg : request.command)
        args.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    std::vector<QByteArray> env;
    for (const QString &name : {QStringLiteral("PATH"), QStringLiteral("HOME"), QStringLiteral("USER"),
                                QStringLiteral("LOGNAME"), QStringLiteral("TZ")}) {
        if (system.contains(name))
            env.push_back((name + QLatin1Char('=') + system.value(name)).toLocal8Bit());
    }
    const TermChoice term = ChooseTerm(m_termName, mayRunPrivileged(path), SystemHasDescription(m_termName));
    env.push_back("TERM=" + term.name);
    if (term.privateDescription && !m_terminfoDir.isEmpty())
        env.push_back("TERMINFO=" + QFile::encodeName(m_terminfoDir));
    env.push_back("LANG=C");
    env.push_back("LC_ALL=C");
    env.push_back("COLUMNS=" + QByteArray::number(request.columns));
    env.push_back("LINES=" + QByteArray::number(request.rows));
    env.push_back("DOOR_USER=" + request.user);
    std::vector<char *> envp;
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    QByteArray folder = QFile::encodeName(m_workingDir);

    struct termios modes = {};
    modes.c_iflag = ICRNL | IXON;
    modes.c_oflag = OPOST | ONLCR;
    modes.c_cflag = CS8 | CREAD;
    modes.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN | ECHOCTL | ECHOKE;
    modes.c_cc[VINTR] = 0x03;
    modes.c_cc[VQUIT] = 0x1c;
    modes.c_cc[VERASE] = 0x08;   // the clients send BS for Backspace
    modes.c_cc[VKILL] = 0x15;
    modes.c_cc[VEOF] = 0x04;
    modes.c_cc[VSTART] = 0x11;
    modes.c_cc[VSTOP] = 0x13;
    modes.c_cc[VSUSP] = 0x1a;
    modes.c_cc[VWERASE] = 0x17;
    modes.c_cc[VLNEXT] = 0x16;
    modes.c_cc[VREPRINT] = 0x12;
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    cfsetispeed(&modes, B38400);
    cfsetospeed(&modes, B38400);
    struct winsize size = {};
    size.ws_row = ushort(request.rows);
    size.ws_col = ushort(request.columns);

    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, &modes, &size);
    if (pid < 0) {
        if (error)
            *error = QStringLiteral("cannot make a terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    if (pid == 0) {
        ::close_range(3, ~0U, 0);
        if (!folder.isEmpty() && ::chdir(folder.constData()) != 0) {
            // stays in the service's folder
        }
        ::execve(path.constData(), argv.data(), envp.data());
        static const char failed[] = "The door program could not be started.\r\n";
        [[maybe_unused]] const ssize_t n = ::write(2, failed, sizeof failed - 1);
        ::_exit(127);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    QByteArray type = term.name;
    if (!term.why.isEmpty())
        type += " (" + term.why.toLocal8Bit() + ')';
    return std::make_unique<PtyProcess>(pid, master, type, std::move(output), std::move(exited));
}
