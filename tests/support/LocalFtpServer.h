#pragma once

// An FTP server on the loopback address for transfer tests: Python's
// pyftpdlib, run as a child process over a folder.

#include <QByteArray>
#include <QProcess>
#include <QString>

class LocalFtpServer
{
public:
    LocalFtpServer() = default;
    ~LocalFtpServer();

    // Empty when a Python with pyftpdlib is at hand; otherwise why not.
    static QString unavailableReason();

    // Serves `root` to anonymous users with write access (or, with `user`
    // set, to that user only, password "secret"); a positive `bytesPerSecond`
    // slows the data connections. False when the server did not come up.
    bool start(const QString &root, const QString &user = QString(), int bytesPerSecond = 0);
    void stop();
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
};
