#pragma once

// A small web server on the loopback address, over LoopbackServer: answers
// each GET once and closes. It serves the files of a folder (".htm" and
// ".html" as web pages, the rest as plain bytes; other paths get 404), or
// one fixed answer for every path.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "LoopbackServer.h"

class LoopbackHttpServer
{
public:
    explicit LoopbackHttpServer(const QString &root = QString());

    // Every GET gets `status` and `body` instead of the folder's files.
    void answerEvery(int status, const QByteArray &body);

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.port(); }
    // http://127.0.0.1:<port><path>
    QUrl url(const QString &path) const;

    QStringList requests;       // the paths asked for, in order
    int stallAfterBytes = -1;   // send only this much of a body, then hold on
    int cutAfterBytes = -1;     // send only this much of a body, then close

private:
    void answer(int client);

    LoopbackServer m_server;
    QString m_root;
    bool m_fixed = false;
    int m_status = 200;
    QByteArray m_body;
};
