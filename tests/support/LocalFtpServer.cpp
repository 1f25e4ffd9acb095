#include "LocalFtpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTcpSocket>
#include <QThread>

#include "LoopbackServer.h"

namespace {

QString python()
{
    // The system's Python carries the distribution's pyftpdlib.
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")});
        if (probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit
            && probe.exitCode() == 0)
            return candidate;
    }
    return {};
}

} // namespace

LocalFtpServer::~LocalFtpServer()
{
    stop();
}

QString LocalFtpServer::unavailableReason()
{
    if (python().isEmpty())
        return QStringLiteral("python3-pyftpdlib is not installed (apt-get install python3-pyftpdlib)");
    return {};
}

// pyftpdlib's own server, with the two knobs the tests need: a named user
// instead of anonymous access, and a slow data connection.
static const char *const ServerScript = R"PY(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer
port, root, user, rate = int(sys.argv[1]), sys.argv[2], sys.argv[3], int(sys.argv[4])
auth = DummyAuthorizer()
if user:
    auth.add_user(user, "secret", root, perm="elradfmw")
else:
    auth.add_anonymous(root, perm="elradfmw")
handler = FTPHandler
handler.authorizer = auth
if rate > 0:
    dtp = ThrottledDTPHandler
    dtp.read_limit = rate
    dtp.write_limit = rate
    handler.dtp_handler = dtp
server = FTPServer(("127.0.0.1", port), handler)
server.serve_forever()
)PY";

bool LocalFtpServer::start(const QString &root, const QString &user, int bytesPerSecond)
{
    const QString py = python();
    if (py.isEmpty())
        return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = LoopbackServer::unusedPort();
        const QStringList args = {QStringLiteral("-c"), QString::fromLatin1(ServerScript),
                                  QString::number(m_port), root, user,
                                  QString::number(bytesPerSecond)};
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(py, args);
        if (!m_process.waitForStarted(10000))
            return false;
        // Ready when it accepts a connection.
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (probe.waitForConnected(200)) {
                probe.abort();
                return true;
            }
            QThread::msleep(50);
        }
        stop();
    }
    return false;
}

void LocalFtpServer::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}
