#include "ServerBytes.h"

#include "ProtocolMarkers.h"

namespace ServerBytes {

QByteArray CursorTo(int row, int column)
{
    return "\x1b[" + QByteArray::number(row) + ';' + QByteArray::number(column) + 'H';
}

QByteArray BrightColours(int fore, int back)
{
    return "\x1b[1;" + QByteArray::number(fore) + ';' + QByteArray::number(back) + 'm';
}

QByteArray Fit(const QByteArray &text, int width)
{
    if (text.size() >= width)
        return text.left(width);
    return text + QByteArray(width - text.size(), ' ');
}

QByteArray UserListBlock(const QList<ListRow> &rows)
{
    QByteArray block = Marker::PlayerListLine;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ListRow &row = rows.at(i);
        if (i > 0)
            block += "\r\n";
        block += row.caption + '=' + QByteArray::number(row.icon) + ';'
            + QByteArray::number(row.state) + ';' + QByteArray::number(row.data);
    }
    block += "\x1b]";
    return block;
}

QByteArray RankMark(int rank)
{
    switch (rank) {
    case 3: return "!";
    case 4: return "*";
    case 5: return "+";
    case 6: return "\xb1";
    case 7: return "\xa4";
    case 8: return "^";
    case 9: return "$";
    case 10: return "\xa2";
    case 11: return "\x95";
    case 12: return "\xa5";
    case 13: return "\xbf";
    default: return QByteArray();
    }
}

QByteArray NameColour(int rank)
{
    if (rank >= 9)
        return "\x1b[8";   // yellow
    if (rank >= 6)
        return "\x1b[A";   // orange
    if (rank >= 3)
        return "\x1b[5";   // green
    return "\x1b[3";       // cyan
}

QByteArray ChatLine(const QByteArray &name, int rank, const QByteArray &text)
{
    return NameColour(rank) + "\x1b[B" + name + "\x1b[b> " + text + "\r\n";
}

QByteArray ServiceLine(char colour, const QByteArray &text)
{
    return QByteArray("\x1b[") + colour + text + "\r\n";
}

QByteArray EnterLine(const QByteArray &name, const QByteArray &where)
{
    return "\x1b[5" + name + " (Enter)>\x1b[9 has come into " + where + "\r\n";
}

QByteArray ExitLine(const QByteArray &name, const QByteArray &where)
{
    return "\x1b[5" + name + " (Exit)>\x1b[9 has left " + where + "\r\n";
}

QByteArray WhisperIn(const QByteArray &from, const QByteArray &text)
{
    return "\x1b[6\x1b[B" + from + " (private)\x1b[b> " + text + "\r\n";
}

QByteArray WhisperOut(const QByteArray &to, const QByteArray &text)
{
    return "\x1b[6\x1b[BTo " + to + "\x1b[b> " + text + "\r\n";
}

QByteArray Notice(const QByteArray &caption, const QByteArray &message)
{
    return Marker::NoticeMarker + ' ' + caption + '>' + message;
}

QByteArray Invitation(int port, const QByteArray &inviter)
{
    return Marker::InviteMarker + ':' + QByteArray::number(port) + '[' + inviter;
}

QByteArray SpawnMenu(int port)
{
    return "\\SpawnMenu:" + QByteArray::number(port);
}

QByteArray SpawnChatMenu(int port)
{
    return "\\SpawnCMenu:" + QByteArray::number(port);
}

QByteArray WhereIsQuery(const QByteArray &asker, const QByteArray &target)
{
    // After the asker's name the end code splits the line, so the part the
    // renderer inspects begins with the where-is bytes and the name.
    return "\x1b[7" + asker + ' ' + Marker::WhereIsRequest + target;
}

QByteArray RoomTitle(const QByteArray &title)
{
    return Marker::TitleMarker + title;
}

} // namespace ServerBytes

