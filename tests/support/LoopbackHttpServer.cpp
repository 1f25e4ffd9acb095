#include "LoopbackHttpServer.h"

#include <QFile>
#include <QFileInfo>

namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(const QString &root)
    : m_root(root)
{
    m_server.setScript([this](LoopbackServer &, int client) { answer(client); });
}

void LoopbackHttpServer::answerEvery(int status, const QByteArray &body)
{
    m_fixed = true;
    m_status = status;
    m_body = body;
}

QUrl LoopbackHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void LoopbackHttpServer::answer(int client)
{
    const QByteArray head = m_server.received(client);
    if (!head.contains("\r\n\r\n"))
        return;
    m_server.clearReceived(client);
    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = words.size() > 1
        ? QString::fromUtf8(QByteArray::fromPercentEncoding(words[1]))
        : QString();
    requests << path;

    int status = m_status;
    QByteArray body = m_body;
    QByteArray type = "application/octet-stream";
    if (!m_fixed) {
        QFile file(m_root + path);
        if (m_root.isEmpty() || path.contains(QLatin1String("..")) || !QFileInfo(file).isFile()
            || !file.open(QIODevice::ReadOnly)) {
            status = 404;
            body.clear();
        } else {
            status = 200;
            body = file.readAll();
            if (path.endsWith(QLatin1String(".htm")) || path.endsWith(QLatin1String(".html")))
                type = "text/html; charset=utf-8";
        }
    }
    m_server.send("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status)
                      + "\r\nContent-Type: " + type
                      + "\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n\r\n",
                  client);
    if (stallAfterBytes >= 0) {
        m_server.send(body.left(stallAfterBytes), client);
        return;
    }
    m_server.send(cutAfterBytes >= 0 ? body.left(cutAfterBytes) : body, client);
    m_server.hangUp(client);
}
