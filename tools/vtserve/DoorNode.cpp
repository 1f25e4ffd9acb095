#include "DoorNode.h"

#include "ArtGallery.h"
#include "BridgeSession.h"
#include "ServerBytes.h"

DoorNode::DoorNode(NodeHost &host, QByteArray title, quint32 seed, Kind kind, QStringList command, int maxSessions)
    : GameNode(host, std::move(title), seed)
    , m_kind(kind)
    , m_command(std::move(command))
    , m_maxSessions(maxSessions)
{
}

DoorSession *DoorNode::session(int id) const
{
    const auto it = m_sessions.find(id);
    return it == m_sessions.end() ? nullptr : it->second.get();
}

QByteArray DoorNode::detail() const
{
    const QByteArray what = m_kind == Kind::Minefield    ? QByteArray("Minefield")
                            : m_kind == Kind::ArtGallery ? QByteArray("ANSI art")
                                                         : m_command.value(0).toLocal8Bit();
    if (memberCount() == 0)
        return what + "; nobody here";
    QByteArray text = what + ':';
    for (const QByteArray &name : names())
        text += (text.endsWith(':') ? " " : ", ") + name;
    return text;
}

void DoorNode::arrived(const NodePlayer &player)
{
    const int id = player.id;
    const auto output = [this, id](const QByteArray &bytes) { sendTo(id, bytes); };
    std::unique_ptr<DoorSession> session;
    if (m_kind == Kind::Minefield) {
        session = std::make_unique<MinefieldDoor>(player.name, quint32(random()()), [this] { return host().now(); },
                                                  output, &m_bests);
    } else if (m_kind == Kind::ArtGallery) {
        session = std::make_unique<ArtGallery>(m_command.value(0), output);
    } else if (int(m_sessions.size()) >= m_maxSessions) {
        sendTo(id, "\x1b[0m\x1b[J\x1b[1;31mThis door is full; come back in a while.\r\n");
        m_refused.insert(id);
        return;
    } else {
        auto bridge = std::make_unique<BridgeSession>(m_launcher, m_command, player.name, output,
                                                      [this, id] { return host().pending(id); });
        bridge->setClock([this] { return host().now(); });
        bridge->setLogger([this](const QString &text) { host().log(text); });
        session = std::move(bridge);
    }
    DoorSession *s = session.get();
    m_sessions[id] = std::move(session);
    s->start();
    if (!player.light)
        tell(id, ServerBytes::ServiceLine('9', "Welcome to " + title() + ". Chat here with the others in this door."));
    // A session that could not start is closed at the next tick, not in
    // the middle of the arrival.
}

void DoorNode::departed(const NodePlayer &player)
{
    // Ends the program of a bridged session.
    m_sessions.erase(player.id);
    m_refused.remove(player.id);
}

QByteArray DoorNode::captionFor(const NodePlayer &) const
{
    return m_kind == Kind::Minefield ? title() + " - Minefield" : title();
}

void DoorNode::renamed(const NodePlayer &player)
{
    if (DoorSession *s = session(player.id))
        s->renamed(player.name);
}

void DoorNode::input(int id, const QByteArray &chunk)
{
    DoorSession *s = session(id);
    if (!s)
        return;
    for (const DoorInput::Event &event : DoorInput::Parse(chunk)) {
        switch (event.kind) {
        case DoorInput::Event::Keys:
            s->keys(event.bytes);
            break;
        case DoorInput::Event::Press:
            s->press(event.column, event.row);
            break;
        case DoorInput::Event::Chat:
            typedLine(id, event.bytes);
            break;
        case DoorInput::Event::Button:
            break;
        }
        if (s->ended())
            break;
    }
    if (s->ended())
        host().close(id);
}

void DoorNode::closeEnded()
{
    QList<int> ended = m_refused.values();
    for (const auto &[id, s] : m_sessions) {
        if (s->ended())
            ended.append(id);
    }
    for (const int id : ended)
        host().close(id);
}

void DoorNode::tick()
{
    for (const auto &[id, s] : m_sessions)
        s->tick();
    closeEnded();
}

void DoorNode::shutdown()
{
    GameNode::shutdown();
    m_sessions.clear();
}
