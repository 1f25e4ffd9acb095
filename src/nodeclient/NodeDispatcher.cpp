#include "NodeDispatcher.h"

#include "MarkerSearch.h"
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

void NodeDispatcher::dispatch(QByteArray text, int depth)
{
    const int outer = m_depth;
    m_depth = depth;
    dispatch(std::move(text));
    m_depth = outer;
}

void NodeDispatcher::dispatch(QByteArray text)
{
    if (m_depth >= MaxDepth)
        return;
    DepthGuard guard(m_depth);

    if (text.startsWith(Marker::PasswordMarker)) {
        m_target.passwordRequested();
        return;
    }
    // Test 2 takes the lock offers out one by one, each time from the start
    // again; all of them go before anything else of the text is looked at.
    const LockOffers::Taken locks = LockOffers::Take(text, true);
    if (locks.count > 0) {
        text = locks.text;
        for (int i = 0; i < locks.count; ++i)
            m_target.lockOffered();
        if (locks.passwordFirst) {
            m_target.passwordRequested();
            return;
        }
    }

    MarkerSearch search(text);
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QByteArrayView rest = QByteArrayView(text).sliced(pos);
        if (rest.startsWith(Marker::PasswordMarker)) {
            m_target.passwordRequested();
            return;
        }

        const qsizetype titleAt = search.at(Marker::TitleMarker, pos);
        if (titleAt >= 0) {
            pos = titleAt + Marker::TitleMarker.size();
            m_target.captionReceived(takeLine(text, pos));
            continue;
        }

        if (m_target.screenCommand(rest, search))
            return;

        const qsizetype chatAt = search.at(Marker::ChatMarker, pos);
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

        if (m_target.chatCommand(chatText, search))
            return;

        m_target.chatLine(takeLine(text, pos) + "\r\n");
    }
}
