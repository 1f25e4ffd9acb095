#include "RoomChannel.h"

#include "ClientMessages.h"
#include "LobbyChannel.h"
#include "ProtocolMarkers.h"
#include "ServerBytes.h"
#include "_Globals.h"

using namespace ClientMessages;

namespace {

const QByteArray kGuestHeading = "-- Guest --";
const QByteArray kAudienceHeading = "-- Audience --";
const QByteArray kSpeakerHeading = "-- Speakers --";

// The name a typed command names: its first word.
QByteArray TypedName(const QByteArray &rest)
{
    return TextBefore(TrimControls(rest), ' ');
}

QByteArray roleWord(RoomRole role)
{
    switch (role) {
    case RoomRole::Speaker: return "the speakers";
    case RoomRole::Guest: return "the guests";
    case RoomRole::Audience: return "the audience";
    }
    return {};
}

} // namespace

RoomChannel::RoomChannel(ServiceContext &context)
    : ServicePart(context)
{
    for (const RoomConfig &room : m_config.rooms)
        m_rooms.append(Room{room, {}, {}, {}, {}, {}, {}, {}});
}

void RoomChannel::setPort(int index, int port)
{
    m_rooms[index].config.port = port;
}

void RoomChannel::admit(Conn &c)
{
    Room &room = m_rooms[c.room];
    const qint64 t = now();
    if (room.banned.value(c.key, 0) > t && c.rank < 5) {
        reject(c, QStringLiteral("banned from %1").arg(QString::fromLatin1(room.config.title)),
               "You may not come into " + room.config.title + " for a while.");
        return;
    }
    const bool invited = room.invited.value(c.key, 0) > t;
    if (!room.password.isEmpty() && c.rank < 5 && !invited) {
        c.stage = Stage::RoomPassword;
        send(c, Marker::PasswordMarker, true);
        return;
    }
    c.stage = Stage::Ready;
}

void RoomChannel::left(const Conn &c)
{
    const int id = c.id;
    Room &room = m_rooms[c.room];
    room.members.removeAll(id);
    if (room.members.isEmpty()) {
        room.host.clear();
        room.password.clear();
        room.lockedBy.clear();
    } else if (room.host == c.key) {
        Conn *next = conn(room.members.first());
        room.host = next->key;
        send(*next, ServerBytes::ServiceLine('8', "You now run " + room.config.title + '.'));
        send(*next, Marker::LockOffer, true);
    }
    broadcastRoom(c.room, ServerBytes::ExitLine(c.name, room.config.title));
    sendRoomList(c.room);
    repaintMenus(Channel::RoomsMenu);
}

void RoomChannel::tick(qint64 t)
{
    for (Room &room : m_rooms) {
        for (auto it = room.invited.begin(); it != room.invited.end();)
            it = it.value() <= t ? room.invited.erase(it) : std::next(it);
        for (auto it = room.banned.begin(); it != room.banned.end();)
            it = it.value() <= t ? room.banned.erase(it) : std::next(it);
    }
}

bool RoomChannel::isModerator(const Conn &c) const
{
    return power(c) >= 4;
}

int RoomChannel::power(const Conn &c) const
{
    int p = c.rank;
    if (c.channel == Channel::Room && c.room >= 0 && m_rooms.at(c.room).host == c.key)
        p = qMax(p, 4);
    return p;
}

Conn *RoomChannel::memberOf(int room, const QByteArray &caption)
{
    const QString key = AccountStore::keyOf(NameOfCaption(caption));
    for (const int id : m_rooms.at(room).members) {
        Conn *member = conn(id);
        if (member && member->key == key)
            return member;
    }
    return nullptr;
}

QByteArray RoomChannel::roomCaption(const Conn &c) const
{
    // Away users keep their plain caption (the state icon shows it): the
    // chat-room client finds its own row by the plain name, and a suffix
    // would hide it.
    return ServerBytes::RankMark(c.rank) + c.name;
}

QList<QByteArray> RoomChannel::roomMembers(int room) const
{
    QList<QByteArray> names;
    if (room < 0 || room >= m_rooms.size())
        return names;
    for (const int id : m_rooms.at(room).members)
        names.append(conn(id)->name);
    return names;
}

void RoomChannel::refreshRoomsOf(const QString &key)
{
    for (auto &[id, c] : m_conns) {
        if (c.channel == Channel::Room && c.stage == Stage::Active && c.key == key) {
            const Conn *lobby = m_ctx.lobby->lobbyOf(key);
            const bool away = lobby && lobby->away;
            if (c.away != away) {
                c.away = away;
                sendRoomList(c.room);
            }
        }
    }
}

void RoomChannel::broadcastRoom(int room, const QByteArray &bytes, int except)
{
    const QList<int> members = m_rooms.at(room).members;
    for (const int id : members) {
        const Conn *c = conn(id);
        if (c && id != except)
            send(*c, bytes);
    }
}

void RoomChannel::remember(int room, const QByteArray &line)
{
    QList<QByteArray> &history = m_rooms[room].history;
    history.append(line);
    while (history.size() > m_config.historyLines)
        history.removeFirst();
}

void RoomChannel::sendRoomList(int roomIndex)
{
    const Room &room = m_rooms.at(roomIndex);
    QList<ServerBytes::ListRow> rows;
    const auto rowOf = [&](const Conn &m) {
        return ServerBytes::ListRow{roomCaption(m), m.icon, m.away ? 1 : 0, qMax(1, m.rating)};
    };
    if (!room.config.moderated) {
        for (const int id : room.members)
            rows.append(rowOf(*conn(id)));
    } else {
        // Speakers, then the guests and the audience under their heading
        // rows (data 0 marks a heading).
        rows.append({kSpeakerHeading, 0, 0, 0});
        for (const RoomRole role : {RoomRole::Speaker, RoomRole::Guest, RoomRole::Audience}) {
            if (role == RoomRole::Guest)
                rows.append({kGuestHeading, 0, 0, 0});
            if (role == RoomRole::Audience)
                rows.append({kAudienceHeading, 0, 0, 0});
            for (const int id : room.members) {
                const Conn &m = *conn(id);
                if (m.role == role)
                    rows.append(rowOf(m));
            }
        }
    }
    broadcastRoom(roomIndex, ServerBytes::UserListBlock(rows));
}

void RoomChannel::checkRoomPassword(Conn &c, const QByteArray &password)
{
    const Room &room = m_rooms.at(c.room);
    if (room.password.isEmpty() || password == room.password) {
        c.stage = Stage::Ready;
        c.stageAt = now();
        if (c.readySeen)
            joinRoom(c);
        return;
    }
    reject(c, QStringLiteral("wrong room password for %1").arg(QString::fromLatin1(room.config.title)),
           "Wrong password for " + room.config.title + '.');
}

void RoomChannel::joinRoom(Conn &c)
{
    Room &room = m_rooms[c.room];
    // One seat per account in a room: a new arrival replaces the old one.
    for (const int id : QList<int>(room.members)) {
        const Conn *old = conn(id);
        if (old && old->key == c.key) {
            send(*old, ServerBytes::ServiceLine('4', "You came into this room again from another window."));
            drop(id, QStringLiteral("joined the room again"));
        }
    }
    if (room.members.isEmpty())
        room.host = c.key;
    c.stage = Stage::Active;
    c.stageAt = c.keptAliveAt = now();
    c.role = (!room.config.moderated || isModerator(c)) ? RoomRole::Speaker : room.config.joinAs;
    room.members.append(c.id);
    room.invited.remove(c.key);
    log(QStringLiteral("%1 came into %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(room.config.title)));

    send(c, ServerBytes::RoomTitle(room.config.title), true);
    if (isModerator(c))
        send(c, Marker::LockOffer, true);
    broadcastRoom(c.room, ServerBytes::EnterLine(c.name, room.config.title), c.id);
    sendRoomList(c.room);
    repaintMenus(Channel::RoomsMenu);
}

void RoomChannel::message(Conn &c, const QByteArray &message)
{
    const Typed typed = TypedText(message);
    const QByteArray &command = typed.text;
    if (message == Marker::ClientReady || message.startsWith(Marker::IdentifyOpen)) {
        return;
    } else if (message == "/Buff") {
        // The room's recent lines and its member list, for a window that
        // has just named the room.
        QByteArray buffer;
        for (const QByteArray &line : m_rooms.at(c.room).history)
            buffer += line;
        if (m_rooms.at(c.room).history.isEmpty())
            buffer = ServerBytes::ServiceLine('9', "Nothing has been said here yet.");
        send(c, buffer);
        sendRoomList(c.room);
    } else if (message.startsWith(Marker::PasswordMarker)) {
        lockRoom(c, message.mid(Marker::PasswordMarker.size()));
    } else if (message.startsWith(Marker::ButtonPress)) {
        roomCommand(c, message.mid(Marker::ButtonPress.size()));
    } else if (message.startsWith("\x1b]/boot ") || command.startsWith("/boot ")) {
        const QByteArray caption = message.startsWith("\x1b]/boot ") ? message.mid(8) : TypedName(command.mid(6));
        Conn *target = memberOf(c.room, caption);
        if (target)
            bootFromRoom(c, *target);
        else
            send(c, ServerBytes::ServiceLine('4', "Nobody of that name is in this room."));
    } else if (message.startsWith(Marker::WhereIsRequest)) {
        m_ctx.lobby->whereIs(c, message.mid(Marker::WhereIsRequest.size()));
    } else if (command.startsWith("/msg ")) {
        m_ctx.lobby->whisper(c, command.mid(5), typed.codes);
    } else if (command.startsWith("/Gmsg ")) {
        m_ctx.lobby->greyNote(c, command.mid(6), 5);
    } else if (command.startsWith("/invite ")) {
        invite(c, command.mid(8));
    } else if (TrimControls(command) == "/help") {
        m_ctx.lobby->helpText(c);
    } else if (message.startsWith(Marker::PresenceMarker) || message.startsWith(Marker::IconMarker)
               || message.startsWith('\\')) {
        return;
    } else {
        roomChat(c, message);
    }
}

void RoomChannel::roomChat(Conn &c, const QByteArray &text)
{
    const Room &room = m_rooms.at(c.room);
    if (room.config.moderated && c.role == RoomRole::Audience && !isModerator(c)) {
        send(c, ServerBytes::ServiceLine('4', "You are in the audience; a moderator can let you speak."));
        return;
    }
    const QByteArray safe = SafeChatText(text);
    if (StripCodes(safe).isEmpty())
        return;
    const QByteArray line = ServerBytes::ChatLine(c.name, c.rank, safe);
    remember(c.room, line);
    broadcastRoom(c.room, line);
}

void RoomChannel::roomCommand(Conn &c, const QByteArray &rest)
{
    // The digit, ">" and the member's caption.
    if (rest.size() < 3 || rest.at(1) != '>')
        return;
    const char digit = rest.at(0);
    Conn *target = memberOf(c.room, rest.mid(2));
    if (!target) {
        send(c, ServerBytes::ServiceLine('4', "Nobody of that name is in this room."));
        return;
    }
    const Room &room = m_rooms.at(c.room);
    if (!room.config.moderated && digit != '5') {
        send(c, ServerBytes::ServiceLine('4', room.config.title + " has no speakers or audience."));
        return;
    }
    switch (digit) {
    case '1': moveMember(c, *target, RoomRole::Speaker); break;
    case '2': moveMember(c, *target, RoomRole::Guest); break;
    case '3': moveMember(c, *target, RoomRole::Audience); break;
    case '5': bootFromRoom(c, *target); break;
    default: break;
    }
}

void RoomChannel::moveMember(Conn &c, Conn &target, RoomRole role)
{
    if (!isModerator(c) || (target.id != c.id && power(target) >= power(c))) {
        send(c, ServerBytes::ServiceLine('4', "Only a moderator above " + target.name + " may move them."));
        return;
    }
    if (target.role == role)
        return;
    target.role = role;
    const Room &room = m_rooms.at(c.room);
    broadcastRoom(c.room, ServerBytes::ServiceLine('5', c.name + " moved " + target.name + " to " + roleWord(role) + '.'));
    if (target.id != c.id) {
        const QByteArray note = role == RoomRole::Audience ? "You are in the audience now."
                                                           : "You may speak now.";
        send(target, ServerBytes::Notice(room.config.title, note), true);
    }
    sendRoomList(c.room);
}

void RoomChannel::bootFromRoom(Conn &c, Conn &target)
{
    Room &room = m_rooms[c.room];
    if (!isModerator(c) || target.id == c.id || power(target) >= power(c)) {
        send(c, ServerBytes::ServiceLine('4', "You may not boot " + target.name + '.'));
        return;
    }
    const QByteArray name = target.name;
    room.banned.insert(target.key, now() + m_config.roomBanMs);
    send(target, ServerBytes::ServiceLine('4', c.name + " asked you to leave " + room.config.title + '.'));
    drop(target.id, QStringLiteral("booted from %1 by %2").arg(QString::fromLatin1(room.config.title),
                                                                 QString::fromLatin1(c.name)));
    broadcastRoom(c.room, ServerBytes::ServiceLine('4', name + " was asked to leave by " + c.name + '.'));
}

void RoomChannel::lockRoom(Conn &c, const QByteArray &password)
{
    Room &room = m_rooms[c.room];
    if (!isModerator(c)) {
        send(c, ServerBytes::ServiceLine('4', "Only a moderator may lock the room."));
        return;
    }
    const QByteArray clean = cleanPassword(password);
    if (clean.isEmpty()) {
        if (room.password.isEmpty())
            return;
        room.password.clear();
        room.lockedBy.clear();
        broadcastRoom(c.room, ServerBytes::ServiceLine('8', c.name + " unlocked the room."));
        log(QStringLiteral("%1 unlocked %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(room.config.title)));
    } else {
        room.password = clean;
        room.lockedBy = c.name;
        broadcastRoom(c.room, ServerBytes::ServiceLine('8', c.name + " locked the room; newcomers are asked for its password."));
        log(QStringLiteral("%1 locked %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(room.config.title)));
    }
    repaintMenus(Channel::RoomsMenu);
}

void RoomChannel::invite(Conn &c, const QByteArray &rest)
{
    const QByteArray caption = TypedName(rest);
    Conn *target = m_ctx.lobby->lobbyOf(AccountStore::keyOf(NameOfCaption(caption)));
    if (!target) {
        send(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(caption)) + " is not on line."));
        return;
    }
    int roomIndex = c.channel == Channel::Room ? c.room : -1;
    if (roomIndex < 0) {
        // From the lobby: the room the inviter is in, else the public one.
        for (const auto &[id, other] : m_conns) {
            if (other.channel == Channel::Room && other.stage == Stage::Active && other.key == c.key) {
                roomIndex = other.room;
                break;
            }
        }
    }
    if (roomIndex < 0)
        roomIndex = 0;
    if (roomIndex >= m_rooms.size())
        return;
    Room &room = m_rooms[roomIndex];
    room.invited.insert(target->key, now() + 10 * 60 * 1000);
    send(*target, ServerBytes::Invitation(room.config.port, c.name), true);
    send(c, ServerBytes::ServiceLine('6', "You invited " + target->name + " into " + room.config.title + '.'));
}
