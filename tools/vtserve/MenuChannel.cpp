#include "MenuChannel.h"

#include "GameNode.h"
#include "HttpResponder.h"
#include "LobbyChannel.h"
#include "ProtocolMarkers.h"
#include "RoomChannel.h"
#include "TableChannel.h"
#include "_Globals.h"

MenuChannel::MenuChannel(ServiceContext &context)
    : ServicePart(context)
{
}

QList<MenuEntry> MenuChannel::menuEntries(Channel channel) const
{
    QList<MenuEntry> entries;
    if (channel == Channel::GamesMenu) {
        for (qsizetype i = 0; i < m_config.games.size(); ++i) {
            const GameNode *node = m_ctx.tables->nodeOfGame(int(i));
            const QByteArray detail = node ? node->detail() : QByteArray("closed");
            entries.append({m_config.games.at(i).title, m_ctx.tables->tableLocked(int(i)) ? "(locked) " + detail : detail, "Play"});
        }
        return entries;
    }
    for (int i = 0; i < m_ctx.rooms->count(); ++i) {
        const RoomChannel::Room &room = m_ctx.rooms->room(i);
        QByteArray detail;
        if (room.members.isEmpty()) {
            detail = "empty";
        } else {
            detail = QByteArray::number(room.members.size()) + " here:";
            for (const int id : room.members)
                detail += (detail.endsWith(':') ? " " : ", ") + conn(id)->name;
        }
        if (!room.password.isEmpty())
            detail = "(locked) " + detail;
        entries.append({room.config.title, detail, "Join"});
    }
    return entries;
}

void MenuChannel::paintMenu(Conn &c)
{
    const bool games = c.channel == Channel::GamesMenu;
    const MenuScreen screen = MenuPainter::Paint(
        games ? QByteArray("Vantora Games") : QByteArray("Vantora Chat Rooms"),
        games ? QByteArray("Pick a table or a door game.") : QByteArray("Pick a room to chat in."),
        menuEntries(c.channel), c.menuButtons);
    c.menuRows = screen.rowToEntry;
    c.menuButtons = screen.buttons;
    send(c, screen.bytes);
}

void MenuChannel::repaintMenus(Channel channel)
{
    for (auto &[id, c] : m_conns) {
        if (c.channel == channel && c.stage == Stage::Active)
            paintMenu(c);
    }
}

void MenuChannel::message(Conn &c, const QByteArray &message)
{
    int column = 0;
    int row = 0;
    if (message.startsWith(Marker::ButtonPress)) {
        const int entry = MenuPainter::EntryOfButton(message.mid(Marker::ButtonPress.size()));
        if (entry >= 0)
            chooseEntry(c, entry);
    } else if (message.startsWith('>')) {
        // Quick launch: ">" and the entry's number.
        bool ok = false;
        const int number = message.mid(1).toInt(&ok);
        if (ok)
            chooseEntry(c, number - 1);
    } else if (MenuPainter::ParsePress(message, &column, &row)) {
        if (c.menuRows.contains(row))
            chooseEntry(c, c.menuRows.value(row));
    }
}

void MenuChannel::chooseEntry(Conn &c, int entry)
{
    if (c.channel == Channel::GamesMenu) {
        if (entry < 0 || entry >= m_config.games.size())
            return;
        const GameConfig &game = m_config.games.at(entry);
        log(QStringLiteral("%1 chose %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(game.title)));
        send(c, game.command + ':' + QByteArray::number(game.port), true);
        return;
    }
    if (entry < 0 || entry >= m_ctx.rooms->count())
        return;
    const RoomChannel::Room &room = m_ctx.rooms->room(entry);
    log(QStringLiteral("%1 chose the room %2").arg(QString::fromLatin1(c.name),
                                                     QString::fromLatin1(room.config.title)));
    // On the menu connection the whole text after the colon is the port.
    send(c, Marker::InviteMarker + ':' + QByteArray::number(room.config.port), true);
}

QByteArray MenuChannel::gamesPage() const
{
    return Http::GamesPage(menuEntries(Channel::GamesMenu), menuEntries(Channel::RoomsMenu), m_ctx.lobby->lobbyNames());
}

void MenuChannel::open(Conn &c)
{
    c.stage = Stage::Active;
    log(QStringLiteral("%1 opened the %2 menu").arg(QString::fromLatin1(c.name),
                                                     c.channel == Channel::GamesMenu ? QStringLiteral("games")
                                                                                     : QStringLiteral("rooms")));
    paintMenu(c);
}
