#include "HttpResponder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace Http {

namespace {

constexpr qint64 MaxSoundFile = 16 * 1024 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    default: return "Error";
    }
}

Response error(int status, const QByteArray &path)
{
    Response r;
    r.status = status;
    r.path = path;
    r.contentType = "text/plain; charset=us-ascii";
    r.body = QByteArray::number(status) + ' ' + reason(status) + '\n';
    return r;
}

QByteArray typeOf(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    if (lower.endsWith(".wav"))
        return "audio/wav";
    if (lower.endsWith(".mid") || lower.endsWith(".midi"))
        return "audio/midi";
    if (lower.endsWith(".mp3"))
        return "audio/mpeg";
    return "application/octet-stream";
}

} // namespace

bool RequestComplete(const QByteArray &received)
{
    return received.contains("\r\n\r\n") || received.contains("\n\n");
}

bool PlainFileName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 255 || name.startsWith('.'))
        return false;
    if (name.contains('/') || name.contains('\\') || name.contains(".."))
        return false;
    for (const char c : name) {
        if (quint8(c) < 0x20 || c == 0x7f)
            return false;
    }
    return true;
}

QByteArray Response::bytes() const
{
    QByteArray out = "HTTP/1.0 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    out += "Connection: close\r\nServer: vtserve\r\n\r\n";
    if (!headOnly)
        out += body;
    return out;
}

Response Respond(const QByteArray &request, const QStringList &soundFolders,
                 const std::function<QByteArray()> &gamesPage)
{
    const qsizetype lineEnd = request.indexOf('\n');
    const QByteArray line = (lineEnd < 0 ? request : request.left(lineEnd)).trimmed();
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() < 2 || parts.size() > 3)
        return error(400, QByteArray());
    const QByteArray method = parts.at(0);
    QByteArray target = parts.at(1);
    if (method != "GET" && method != "HEAD")
        return error(405, target);
    const qsizetype query = target.indexOf('?');
    if (query >= 0)
        target.truncate(query);
    const QByteArray path = QByteArray::fromPercentEncoding(target);

    Response r;
    r.path = path;
    r.headOnly = method == "HEAD";
    if (path == "/games.htm") {
        r.contentType = "text/html; charset=iso-8859-1";
        r.body = gamesPage ? gamesPage() : QByteArray();
        return r;
    }
    QByteArray name;
    if (path.startsWith("/Sound/"))
        name = path.mid(7);
    else if (path.startsWith("/Sounds/"))
        name = path.mid(8);
    else
        return error(404, path);
    if (!PlainFileName(name))
        return error(404, path);
    for (const QString &folder : soundFolders) {
        // Names are looked up as given, then without regard to case (the
        // clients ask for "Laugh3.wav" and "Poll.Wav" alike).
        const QDir dir(folder);
        QString file = dir.filePath(QString::fromLatin1(name));
        if (!QFileInfo(file).isFile()) {
            const QStringList entries = dir.entryList(QDir::Files);
            file.clear();
            for (const QString &entry : entries) {
                if (entry.compare(QString::fromLatin1(name), Qt::CaseInsensitive) == 0) {
                    file = dir.filePath(entry);
                    break;
                }
            }
            if (file.isEmpty())
                continue;
        }
        QFile f(file);
        if (f.size() > MaxSoundFile || !f.open(QIODevice::ReadOnly))
            continue;
        r.body = f.readAll();
        r.contentType = typeOf(name);
        return r;
    }
    return error(404, path);
}

} // namespace Http
