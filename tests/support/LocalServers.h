#pragma once

// Servers on the loopback address for transfer tests: an anonymous FTP
// server (Python's pyftpdlib, run as a child process over a folder) and a
// small HTTP responder that serves the files of a folder.

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QString>
#include <QTcpServer>

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

class LocalHttpServer : public QTcpServer
{
public:
    // Serves GET requests from files under `root` (".htm" and ".html" as web
    // pages, the rest as plain bytes); other paths get 404.
    explicit LocalHttpServer(const QString &root);

    QStringList requests;          // the paths asked for
    int stallAfterBytes = -1;      // send only this much of a body, then hold on

private:
    void answer(class QTcpSocket *socket);
    QString m_root;
};

// A port on 127.0.0.1 that nothing listens on.
int unusedPort();
