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

QByteArray escaped(const QByteArray &text)
{
    return QString::fromLatin1(text).toHtmlEscaped().toLatin1();
}

// The lobby sends only the last character of a quick launch link, so only
// the first nine entries can be reached by one.
constexpr int MostQuickLaunches = 9;

const char *const PageStyle =
    "body{font-family:sans-serif;background:#0c1424;color:#e6e6e6;margin:1.2em 2em}"
    "h1{color:#ffd24a;margin-bottom:.2em}h2{color:#8ec8ff;margin:1.2em 0 .4em}"
    "table{border-collapse:collapse;min-width:32em}"
    "th,td{padding:.35em .9em;text-align:left;border-bottom:1px solid #2c3a55}"
    "th{color:#9fb3d1;font-weight:normal}td.who{color:#b8b8b8}"
    "a{color:#7fe07f;font-weight:bold;text-decoration:none}a:hover{text-decoration:underline}"
    "p.hint{color:#9fb3d1}";

} // namespace

QByteArray GamesPage(const QList<MenuEntry> &tables, const QList<MenuEntry> &rooms,
                     const QList<QByteArray> &inLobby)
{
    QByteArray page = "<!DOCTYPE html>\n<html><head><meta charset=\"iso-8859-1\">"
                      "<title>Vantora Games</title><style>";
    page += PageStyle;
    page += "</style></head><body>\n<h1>Vantora Games</h1>\n"
            "<p class=\"hint\">Press a table to start it beside the lobby.</p>\n";
    page += "<h2>Tables</h2>\n<table><tr><th>Table</th><th>Who is there</th><th></th></tr>\n";
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const MenuEntry &table = tables.at(i);
        const QByteArray title = escaped(table.label);
        page += "<tr><td>";
        if (i < MostQuickLaunches) {
            const QByteArray link = "<a href=\"\\QuickLaunch" + QByteArray::number(i + 1) + "\">";
            page += link + title + "</a></td><td class=\"who\">" + escaped(table.detail) + "</td><td>"
                    + link + escaped(table.button) + "</a>";
        } else {
            page += title + "</td><td class=\"who\">" + escaped(table.detail) + "</td><td>games menu";
        }
        page += "</td></tr>\n";
    }
    page += "</table>\n<h2>Chat rooms</h2>\n<table><tr><th>Room</th><th>Who is there</th></tr>\n";
    for (const MenuEntry &room : rooms)
        page += "<tr><td>" + escaped(room.label) + "</td><td class=\"who\">" + escaped(room.detail) + "</td></tr>\n";
    page += "</table>\n<p class=\"hint\">\"Parloras\" in the lobby opens the rooms.</p>\n"
            "<h2>In the lobby</h2>\n<p>";
    for (qsizetype i = 0; i < inLobby.size(); ++i)
        page += (i ? ", " : "") + escaped(inLobby.at(i));
    if (inLobby.isEmpty())
        page += "nobody";
    page += "</p>\n</body></html>\n";
    return page;
}

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
