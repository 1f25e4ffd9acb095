#include "LobbyChannel.h"

#include <algorithm>

#include "ClientMessages.h"
#include "ProtocolMarkers.h"
#include "RoomChannel.h"
#include "ServerBytes.h"
#include "_Globals.h"

using namespace ClientMessages;

namespace {

const QByteArray kLobbyWhere = "the lobby";

// The name a typed command names: its first word.
QByteArray TypedName(const QByteArray &rest)
{
    return TextBefore(TrimControls(rest), ' ');
}

} // namespace

LobbyChannel::LobbyChannel(ServiceContext &context)
    : ServicePart(context)
{
}

void LobbyChannel::join(Conn &c, bool created)
{
    // One lobby per account: a new login replaces the old one.
    for (const int other : lobbyIds()) {
        Conn *old = conn(other);
        if (old && old->id != c.id && old->key == c.key) {
            send(*old, ServerBytes::ServiceLine('4', "You have logged in from another place."));
            drop(other, QStringLiteral("logged in again"));
        }
    }

    c.stage = Stage::Active;
    c.stageAt = now();
    log(QStringLiteral("%1 %2 the lobby from %3 (rank %4)")
            .arg(QString::fromLatin1(c.name),
                 created ? QStringLiteral("created an account and joined") : QStringLiteral("joined"),
                 c.peer)
            .arg(c.rank));
    send(c, Marker::ReadyMarker);
    QByteArray welcome = ServerBytes::ServiceLine('5', "Welcome to Vantora, " + c.name + '.');
    if (created)
        welcome += ServerBytes::ServiceLine('9', "Your account has been created; keep your password.");
    if (c.rank >= AccountStore::SysopRank && created)
        welcome += ServerBytes::ServiceLine('8', "You are the first user: you are the sysop.");
    welcome += ServerBytes::ServiceLine('9', "Type /help for the commands.");
    send(c, welcome);
    broadcastLobby(ServerBytes::EnterLine(c.name, kLobbyWhere), c.id);
    sendLobbyList();
    m_ctx.rooms->refreshRoomsOf(c.key);
}

void LobbyChannel::left(const Conn &c)
{
    broadcastLobby(ServerBytes::ExitLine(c.name, kLobbyWhere));
    sendLobbyList();
    m_ctx.rooms->refreshRoomsOf(c.key);
}

void LobbyChannel::tick(qint64 t)
{
    if (m_lobbyListDue && t - m_lobbyListAt >= m_config.userListMs)
        writeLobbyList();
    m_whereIs.erase(std::remove_if(m_whereIs.begin(), m_whereIs.end(),
                                   [&](const WhereIs &w) { return t - w.at >= m_config.whereIsTimeoutMs; }),
                    m_whereIs.end());
}

void LobbyChannel::forgetAsker(int id)
{
    m_whereIs.erase(std::remove_if(m_whereIs.begin(), m_whereIs.end(),
                                   [id](const WhereIs &w) { return w.asker == id; }),
                    m_whereIs.end());
}

void LobbyChannel::ratingChanged(const QString &key, int rating)
{
    bool inLobby = false;
    for (auto &[id, c] : m_conns) {
        if (c.key == key) {
            c.rating = rating;
            inLobby = inLobby || c.channel == Channel::Lobby;
        }
    }
    if (inLobby)
        sendLobbyList();
}

QList<int> LobbyChannel::lobbyIds() const
{
    QList<int> ids;
    for (const auto &[id, c] : m_conns) {
        if (c.channel == Channel::Lobby && c.stage == Stage::Active)
            ids.append(id);
    }
    return ids;
}

Conn *LobbyChannel::lobbyOf(const QString &key)
{
    for (auto &[id, c] : m_conns) {
        if (c.channel == Channel::Lobby && c.stage == Stage::Active && c.key == key)
            return &c;
    }
    return nullptr;
}

QList<QByteArray> LobbyChannel::lobbyNames() const
{
    QList<QByteArray> names;
    for (const int id : lobbyIds())
        names.append(conn(id)->name);
    return names;
}

void LobbyChannel::broadcastLobby(const QByteArray &bytes, int except)
{
    for (const int id : lobbyIds()) {
        const Conn *c = conn(id);
        if (c && id != except)
            send(*c, bytes);
    }
}

void LobbyChannel::sendLobbyList()
{
    // Every login, logout and change of presence changes the list, and the
    // clients only take it whole: sent at every change, a crowd logging in
    // would cost the square of its size in rows.
    if (m_config.userListMs > 0 && m_lobbyListSent && now() - m_lobbyListAt < m_config.userListMs) {
        m_lobbyListDue = true;
        return;
    }
    writeLobbyList();
}

void LobbyChannel::writeLobbyList()
{
    m_lobbyListDue = false;
    m_lobbyListSent = true;
    m_lobbyListAt = now();
    QList<const Conn *> users;
    for (const int id : lobbyIds())
        users.append(conn(id));
    // Highest rank first, then in order of arrival.
    std::stable_sort(users.begin(), users.end(),
                     [](const Conn *a, const Conn *b) { return a->rank > b->rank; });
    QList<ServerBytes::ListRow> rows;
    for (const Conn *u : users)
        rows.append({ServerBytes::RankMark(u->rank) + u->name, u->icon, u->away ? 1 : 0, u->rating});
    broadcastLobby(ServerBytes::UserListBlock(rows));
}

void LobbyChannel::message(Conn &c, const QByteArray &message)
{
    // Commands typed into the chat box come behind the user's codes.
    const Typed typed = TypedText(message);
    const QByteArray &command = typed.text;
    if (message.startsWith(Marker::PresenceMarker)) {
        setPresence(c, message.mid(Marker::PresenceMarker.size()) == "5");
    } else if (message.startsWith(Marker::IconMarker)) {
        setIcon(c, message.mid(Marker::IconMarker.size()));
    } else if (message.startsWith(Marker::WhereIsRequest)) {
        whereIs(c, message.mid(Marker::WhereIsRequest.size()));
    } else if (message.startsWith("\x1b]/boot ")) {
        bootFromLobby(c, message.mid(8));
    } else if (command.startsWith("/boot ")) {
        bootFromLobby(c, TypedName(command.mid(6)));
    } else if (command.startsWith("/msg ")) {
        whisper(c, command.mid(5), typed.codes);
    } else if (command.startsWith("/Gmsg ")) {
        greyNote(c, command.mid(6), 6);
    } else if (command.startsWith("/invite ")) {
        m_ctx.rooms->invite(c, command.mid(8));
    } else if (TrimControls(command) == "/help") {
        helpText(c);
    } else if (message.startsWith("/Version ")) {
        log(QStringLiteral("%1 runs version %2").arg(QString::fromLatin1(c.name),
                                                      QString::fromLatin1(SafeChatText(message.mid(9).left(40)))));
    } else if (message.startsWith("/Email ")) {
        m_accounts.setEmail(c.name, SafeChatText(message.mid(7)).trimmed());
    } else if (message == "\\SpawnMenu") {
        send(c, ServerBytes::SpawnMenu(m_config.gamesMenuPort), true);
    } else if (message == "\\SpawnCMenu") {
        send(c, ServerBytes::SpawnChatMenu(m_config.roomsMenuPort), true);
    } else if (message.startsWith('\\') || message == Marker::ClientReady
               || message.startsWith(Marker::ButtonPress) || message.startsWith(Marker::PasswordMarker)
               || message.startsWith(Marker::IdentifyOpen)) {
        // Commands of other channels mean nothing here.
    } else {
        lobbyChat(c, message);
    }
}

void LobbyChannel::lobbyChat(Conn &c, const QByteArray &text)
{
    if (answerWhereIs(c, text))
        return;
    const QByteArray safe = SafeChatText(text);
    if (StripCodes(safe).isEmpty())
        return;
    broadcastLobby(ServerBytes::ChatLine(c.name, c.rank, safe));
}

void LobbyChannel::setPresence(Conn &c, bool away)
{
    if (c.away == away)
        return;
    c.away = away;
    sendLobbyList();
    m_ctx.rooms->refreshRoomsOf(c.key);
}

void LobbyChannel::setIcon(Conn &c, const QByteArray &digits)
{
    bool ok = false;
    const int icon = digits.toInt(&ok);
    if (!ok || icon < 0 || icon > 99 || icon == c.icon)
        return;
    c.icon = icon;
    m_accounts.setIcon(c.name, icon);
    sendLobbyList();
}

void LobbyChannel::whisper(Conn &c, const QByteArray &rest, const QByteArray &codes)
{
    const QByteArray caption = TextBefore(rest, ' ');
    const QByteArray text = SafeChatText(codes + (rest.size() > caption.size() ? rest.mid(caption.size() + 1) : QByteArray()));
    const QString key = AccountStore::keyOf(NameOfCaption(caption));
    if (StripCodes(text).isEmpty())
        return;
    Conn *target = nullptr;
    if (c.channel == Channel::Room) {
        if (Conn *member = m_ctx.rooms->memberOf(c.room, caption))
            target = member;
    } else if (c.channel == Channel::Table) {
        for (auto &[id, other] : m_conns) {
            if (other.channel == Channel::Table && other.stage == Stage::Active && other.node == c.node
                && other.key == key && !other.light)
                target = &other;
        }
    }
    if (!target)
        target = lobbyOf(key);
    if (!target) {
        tell(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(caption)) + " is not on line."));
        return;
    }
    tell(*target, ServerBytes::WhisperIn(c.name, text));
    tell(c, ServerBytes::WhisperOut(target->name, text));
}

void LobbyChannel::greyNote(Conn &c, const QByteArray &rest, int minimumRank)
{
    if (c.rank < minimumRank) {
        tell(c, ServerBytes::ServiceLine('4', "Only the staff may send grey notes."));
        return;
    }
    const QByteArray name = TextBefore(rest, ' ');
    QByteArray text = rest.size() > name.size() ? rest.mid(name.size() + 1) : QByteArray();
    text = StripCodes(SafeChatText(text));
    const QString key = AccountStore::keyOf(NameOfCaption(name));
    Conn *target = nullptr;
    if (c.channel == Channel::Room)
        target = m_ctx.rooms->memberOf(c.room, name);
    if (!target)
        target = lobbyOf(key);
    if (!target) {
        tell(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(name)) + " is not on line."));
        return;
    }
    // The caption ends at the first ">", so the sender's name must not hold one (it cannot).
    send(*target, ServerBytes::Notice("Note from " + c.name, text), true);
    tell(c, ServerBytes::ServiceLine('6', "Grey note sent to " + target->name + '.'));
    log(QStringLiteral("%1 sent a grey note to %2").arg(QString::fromLatin1(c.name),
                                                          QString::fromLatin1(target->name)));
}

void LobbyChannel::bootFromLobby(Conn &c, const QByteArray &caption)
{
    Conn *target = lobbyOf(AccountStore::keyOf(NameOfCaption(caption)));
    if (!target) {
        send(c, ServerBytes::ServiceLine('4', SafeChatText(NameOfCaption(caption)) + " is not on line."));
        return;
    }
    if (c.rank < 5 || target->rank >= c.rank) {
        send(c, ServerBytes::ServiceLine('4', "You may not boot " + target->name + '.'));
        return;
    }
    const QByteArray name = target->name;
    send(*target, ServerBytes::ServiceLine('4', "You have been booted by " + c.name + '.'));
    drop(target->id, QStringLiteral("booted by %1").arg(QString::fromLatin1(c.name)));
    broadcastLobby(ServerBytes::ServiceLine('4', name + " was booted by " + c.name + '.'));
}

void LobbyChannel::whereIs(Conn &c, const QByteArray &caption)
{
    const QByteArray name = NameOfCaption(caption);
    Conn *target = lobbyOf(AccountStore::keyOf(name));
    if (!target) {
        tell(c, ServerBytes::ServiceLine('4', SafeChatText(name) + " is not on line."));
        return;
    }
    m_whereIs.append({c.id, target->key, now()});
    send(*target, ServerBytes::WhereIsQuery(c.name, target->name), true);
}

bool LobbyChannel::answerWhereIs(Conn &c, const QByteArray &text)
{
    // The lobby's answer always carries its user's time line.
    if (!text.contains(c.name + "'s Time is "))
        return false;
    QList<int> askers;
    for (const WhereIs &w : std::as_const(m_whereIs)) {
        if (w.target == c.key && !askers.contains(w.asker))
            askers.append(w.asker);
    }
    if (askers.isEmpty())
        return false;
    m_whereIs.erase(std::remove_if(m_whereIs.begin(), m_whereIs.end(),
                                   [&](const WhereIs &w) { return w.target == c.key; }),
                    m_whereIs.end());
    QByteArray answer = SafeChatText(text);
    if (!answer.endsWith("\r\n"))
        answer += "\r\n";
    const QByteArray reply = ServerBytes::ServiceLine('7', "\x1b[BWhere is " + c.name + ":\x1b[b") + answer;
    for (const int id : askers) {
        if (Conn *asker = conn(id))
            tell(*asker, reply);
    }
    return true;
}

void LobbyChannel::helpText(Conn &c)
{
    QByteArray help;
    help += ServerBytes::ServiceLine('8', "\x1b[BCommands");
    help += ServerBytes::ServiceLine('9', "/msg name text - a private line to one user");
    help += ServerBytes::ServiceLine('9', "/invite name - ask a user into your chat room");
    if (c.rank >= 6)
        help += ServerBytes::ServiceLine('9', "/Gmsg name text - a grey note on the user's screen");
    send(c, help);
}
