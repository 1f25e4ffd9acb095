#include "GameNode.h"

#include "AccountStore.h"
#include "ClientMessages.h"
#include "ProtocolMarkers.h"
#include "ServerBytes.h"
#include "_Globals.h"

namespace {

constexpr qint64 BootBanMs = 5 * 60 * 1000;

} // namespace

GameNode::GameNode(NodeHost &host, QByteArray title, quint32 seed)
    : m_host(host)
    , m_title(std::move(title))
    , m_random(seed)
{
}

GameNode::~GameNode() = default;

NodePlayer *GameNode::member(int id)
{
    for (NodePlayer &p : m_members) {
        if (p.id == id)
            return &p;
    }
    return nullptr;
}

const NodePlayer *GameNode::member(int id) const
{
    for (const NodePlayer &p : m_members) {
        if (p.id == id)
            return &p;
    }
    return nullptr;
}

QList<QByteArray> GameNode::names() const
{
    QList<QByteArray> list;
    for (const NodePlayer &p : m_members)
        list.append(p.name);
    return list;
}

QByteArray GameNode::detail() const
{
    if (m_members.isEmpty())
        return "nobody here";
    QByteArray text = QByteArray::number(m_members.size()) + " here:";
    for (const NodePlayer &p : m_members)
        text += (text.endsWith(':') ? " " : ", ") + p.name;
    return text;
}

bool GameNode::mayJoin(const NodePlayer &player, QByteArray *why) const
{
    if (player.guest)
        return true;
    const qint64 until = m_banned.value(AccountStore::keyOf(player.name), 0);
    if (until > m_host.now()) {
        if (why)
            *why = "The players of " + m_title + " voted you off; try again later.";
        return false;
    }
    return true;
}

void GameNode::join(const NodePlayer &player)
{
    if (m_index.contains(player.id))
        return;
    m_members.append(player);
    m_index.insert(player.id);
    m_host.log(QStringLiteral("%1 came to %2").arg(QString::fromLatin1(player.name), QString::fromLatin1(m_title)));
    sendTitle(player.id);
    arrived(player);
    tellAll(ServerBytes::EnterLine(player.name, m_title), player.id);
    sendPlayerList();
    m_host.membersChanged();
}

void GameNode::leave(int id)
{
    if (!m_index.contains(id))
        return;
    const NodePlayer gone = *member(id);
    m_members.removeIf([id](const NodePlayer &p) { return p.id == id; });
    m_index.remove(id);
    const QString key = AccountStore::keyOf(gone.name);
    m_bootVotes.remove(key);
    for (auto &voters : m_bootVotes)
        voters.remove(key);
    m_host.log(QStringLiteral("%1 left %2").arg(QString::fromLatin1(gone.name), QString::fromLatin1(m_title)));
    departed(gone);
    tellAll(ServerBytes::ExitLine(gone.name, m_title));
    sendPlayerList();
    m_host.membersChanged();
}

void GameNode::identified(int id, const NodePlayer &player)
{
    NodePlayer *p = member(id);
    if (!p)
        return;
    const NodePlayer old = *p;
    *p = player;
    p->id = id;
    p->light = old.light;
    tellAll(ServerBytes::ServiceLine('5', old.name + " is " + player.name + '.'));
    sendTitle(id);
    renamed(*p);
    sendPlayerList();
    m_host.membersChanged();
}

void GameNode::received(int id, const QByteArray &chunk)
{
    if (!m_index.contains(id) || chunk.isEmpty())
        return;
    input(id, chunk);
}

void GameNode::shutdown()
{
    tellAll(ServerBytes::ServiceLine('4', "The service is shutting down."));
}

void GameNode::sendTo(int id, const QByteArray &bytes, bool alone)
{
    if (!bytes.isEmpty())
        m_host.send(id, bytes, alone);
}

QByteArray GameNode::ChatMarked(const QByteArray &lines)
{
    QByteArray out;
    qsizetype at = 0;
    while (at < lines.size()) {
        qsizetype end = lines.indexOf("\r\n", at);
        if (end < 0)
            end = lines.size();
        if (end > at)
            out += Marker::ChatMarker + lines.mid(at, end - at) + "\r\n";
        at = end + 2;
    }
    return out;
}

void GameNode::tell(int id, const QByteArray &lines)
{
    const NodePlayer *p = member(id);
    if (p && !p->light)
        sendTo(id, ChatMarked(lines));
}

void GameNode::tellAll(const QByteArray &lines, int except)
{
    const QByteArray marked = ChatMarked(lines);
    for (const NodePlayer &p : std::as_const(m_members)) {
        if (p.id != except && !p.light)
            sendTo(p.id, marked);
    }
}

void GameNode::sendTitle(int id)
{
    const NodePlayer *p = member(id);
    if (!p)
        return;
    // Entries that share a node ("Door Game", "Door Game (light)") each
    // caption their windows with their own name.
    QByteArray caption = captionFor(*p);
    if (!p->entry.isEmpty() && caption.startsWith(m_title))
        caption = p->entry + caption.mid(m_title.size());
    sendTo(id, Marker::TitleMarker + caption + "\r\n", true);
}

void GameNode::sendPlayerList()
{
    QList<ServerBytes::ListRow> rows;
    for (const NodePlayer &p : std::as_const(m_members))
        rows.append({ServerBytes::RankMark(p.rank) + p.name, p.icon, p.away ? 1 : 0, p.rating});
    // Everything after a list block in the same read goes to the list, so
    // the block travels alone.
    const QByteArray block = Marker::ChatMarker + ServerBytes::UserListBlock(rows);
    for (const NodePlayer &p : std::as_const(m_members)) {
        if (!p.light)
            sendTo(p.id, block, true);
    }
}

QByteArray GameNode::NodeSafeText(const QByteArray &text)
{
    static const QList<QPair<QByteArray, QByteArray>> words = {
        {"\\Spawn", "\\ Spawn"},        {"\\SwitchServer", "\\ SwitchServer"},
        {"EndScore", "End Score"},      {"EndRound#", "End Round#"},
        {"Guess?:", "Guess? :"},        {"Score:", "Score :"},
        {"Round#:", "Round# :"},        {"Word Value is ", "Word Value  is "},
    };
    QByteArray safe = ClientMessages::SafeChatText(text);
    bool changed = true;
    while (changed) {
        changed = false;
        for (const auto &[word, broken] : words) {
            const QByteArray next = ReplaceAll(safe, word, broken, false);
            if (next != safe) {
                safe = next;
                changed = true;
            }
        }
    }
    return safe;
}

void GameNode::chatFrom(int id, const QByteArray &text)
{
    const NodePlayer *p = member(id);
    if (!p)
        return;
    const QByteArray safe = NodeSafeText(text);
    if (StripCodes(safe).isEmpty())
        return;
    tellAll(ServerBytes::ChatLine(p->name, p->rank, safe));
}

bool GameNode::commonMessage(int id, const QByteArray &message)
{
    if (message == Marker::ClientReady || message == Marker::KeepAlive || message.startsWith(Marker::IdentifyOpen)
        || message.startsWith(Marker::PasswordMarker))
        return true;
    if (message.startsWith(Marker::WhereIsRequest)) {
        m_host.whereIs(id, message.mid(Marker::WhereIsRequest.size()));
        return true;
    }
    if (message.startsWith(Marker::ButtonPress))
        return true;   // a button this node did not make
    typedLine(id, message);
    return true;
}

void GameNode::typedLine(int id, const QByteArray &text)
{
    const ClientMessages::Typed typed = ClientMessages::TypedText(text);
    if (typed.text.startsWith("/msg ")) {
        m_host.whisper(id, typed.text.mid(5), typed.codes);
        return;
    }
    const QByteArray plain = StripCodes(typed.text);
    if (plain.startsWith("Votes to ")) {
        countVote(id, plain.mid(9));
        return;
    }
    chatFrom(id, text);
}

void GameNode::voteNotRated(int id)
{
    tell(id, ServerBytes::ServiceLine('4', "Games at " + m_title + " are not rated."));
}

void GameNode::countVote(int id, const QByteArray &what)
{
    const NodePlayer *voter = member(id);
    if (!voter)
        return;
    if (what == "Not Rate The Game") {
        voteNotRated(id);
        return;
    }
    if (!what.startsWith("Boot "))
        return;
    const QString targetKey = AccountStore::keyOf(ClientMessages::NameOfCaption(what.mid(5)));
    const NodePlayer *target = nullptr;
    for (const NodePlayer &p : std::as_const(m_members)) {
        if (AccountStore::keyOf(p.name) == targetKey)
            target = &p;
    }
    if (!target) {
        tell(id, ServerBytes::ServiceLine('4', "Nobody of that name is here."));
        return;
    }
    if (target->id == id)
        return;
    QSet<QString> others;
    for (const NodePlayer &p : std::as_const(m_members)) {
        if (AccountStore::keyOf(p.name) != targetKey)
            others.insert(AccountStore::keyOf(p.name));
    }
    const int needed = qMax(2, int(others.size()) / 2 + 1);
    if (int(others.size()) < needed) {
        tell(id, ServerBytes::ServiceLine('4', "Booting needs the votes of at least two other players."));
        return;
    }
    QSet<QString> &votes = m_bootVotes[targetKey];
    votes.insert(AccountStore::keyOf(voter->name));
    const QByteArray name = target->name;
    if (int(votes.size()) < needed) {
        tellAll(ServerBytes::ServiceLine('8', voter->name + " votes to boot " + name + " ("
                                                  + QByteArray::number(votes.size()) + " of "
                                                  + QByteArray::number(needed) + " votes)."));
        return;
    }
    m_bootVotes.remove(targetKey);
    m_banned.insert(targetKey, m_host.now() + BootBanMs);
    const int targetId = target->id;
    tell(targetId, ServerBytes::ServiceLine('4', "The players voted you off " + m_title + '.'));
    m_host.log(QStringLiteral("%1 was voted off %2").arg(QString::fromLatin1(name), QString::fromLatin1(m_title)));
    m_host.close(targetId);
    leave(targetId);
    tellAll(ServerBytes::ServiceLine('4', name + " was voted off the table."));
}
