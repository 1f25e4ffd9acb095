#include "NodeDispatcher.h"

#include "ProtocolMarkers.h"

namespace {

struct DepthGuard
{
    explicit DepthGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    int &m_depth;
};

// Where a marker occurs next at or after the reading position. Not found
// stays not found as the position moves on (the rest is a suffix), so each
// marker is searched for once per stretch of text.
class NextMarker
{
public:
    explicit NextMarker(const QByteArray &marker)
        : m_marker(marker)
    {
    }
    qsizetype at(const QByteArray &text, qsizetype pos)
    {
        if (m_at == Unknown || (m_at >= 0 && m_at < pos))
            m_at = text.indexOf(m_marker, pos);
        return m_at;
    }
    void forget() { m_at = Unknown; }

private:
    static constexpr qsizetype Unknown = -2;
    const QByteArray &m_marker;
    qsizetype m_at = Unknown;
};

// The line at `pos` up to the first CR LF (removed too), or the rest.
QByteArray takeLine(const QByteArray &text, qsizetype &pos)
{
    const qsizetype end = text.indexOf("\r\n", pos);
    if (end < 0) {
        const QByteArray line = text.mid(pos);
        pos = text.size();
        return line;
    }
    const QByteArray line = text.mid(pos, end - pos);
    pos = end + 2;
    return line;
}

} // namespace

void NodeDispatcher::dispatch(QByteArray text)
{
    if (m_depth >= MaxDepth)
        return;
    DepthGuard guard(m_depth);

    NextMarker lock(Marker::LockOffer);
    NextMarker title(Marker::TitleMarker);
    NextMarker chat(Marker::ChatMarker);
    qsizetype pos = 0;

    while (pos < text.size()) {
        const QByteArrayView rest = QByteArrayView(text).sliced(pos);
        if (rest.startsWith(Marker::PasswordMarker)) {
            m_target.passwordRequested();
            return;
        }

        const qsizetype lockAt = lock.at(text, pos);
        if (lockAt >= 0) {
            text.remove(lockAt, Marker::LockOffer.size());
            lock.forget();
            title.forget();
            chat.forget();
            m_target.lockOffered();
            continue;
        }

        const qsizetype titleAt = title.at(text, pos);
        if (titleAt >= 0) {
            pos = titleAt + Marker::TitleMarker.size();
            m_target.captionReceived(takeLine(text, pos));
            continue;
        }

        if (m_target.screenCommand(rest))
            return;

        const qsizetype chatAt = chat.at(text, pos);
        if (chatAt < 0) {
            m_target.screenData(pos == 0 ? text : text.mid(pos));
            return;
        }
        if (chatAt > pos) {
            // The part in front holds no chat marker, so this nests one level only.
            dispatch(text.mid(pos, chatAt - pos));
        }
        pos = chatAt + Marker::ChatMarker.size();

        const QByteArrayView chatText = QByteArrayView(text).sliced(pos);
        if (chatText.startsWith(Marker::PlayerListLine)) {
            m_target.playerList(text.mid(pos));
            return;
        }

        if (m_target.chatCommand(chatText))
            return;

        m_target.chatLine(takeLine(text, pos) + "\r\n");
    }
}
