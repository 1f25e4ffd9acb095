#include "GateletDispatcher.h"

#include "ProtocolMarkers.h"

namespace {

// Where a marker stands next at or after a position that only moves on: a
// marker not found stays not found, so each is looked for once per stretch.
class NextAt
{
public:
    NextAt(const QByteArray &text, const QByteArray &marker)
        : m_text(text)
        , m_marker(marker)
    {
    }
    qsizetype at(qsizetype pos)
    {
        if (m_at == Unknown || (m_at >= 0 && m_at < pos))
            m_at = m_text.indexOf(m_marker, pos);
        return m_at;
    }

private:
    static constexpr qsizetype Unknown = -2;
    const QByteArray &m_text;
    const QByteArray m_marker;
    qsizetype m_at = Unknown;
};

} // namespace

QByteArray GateletDispatcher::WithoutLockOffers(const QByteArray &text)
{
    const QByteArray &marker = Marker::LockOffer;
    if (!text.contains(marker))
        return text;
    QByteArray kept;
    kept.reserve(text.size());
    for (const char byte : text) {
        kept.append(byte);
        if (kept.endsWith(marker))
            kept.chop(marker.size());
    }
    return kept;
}

void GateletDispatcher::dispatch(const QByteArray &chunk)
{
    const QByteArray text = WithoutLockOffers(chunk);
    NextAt title(text, Marker::TitleMarker);
    NextAt chat(text, Marker::ChatMarker);
    NextAt lineEnd(text, QByteArrayLiteral("\r\n"));
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QByteArrayView rest = QByteArrayView(text).sliced(pos);
        if (rest.startsWith(Marker::PasswordMarker)) {
            m_target.passwordRequested();
            return;
        }

        const qsizetype titleAt = title.at(pos);
        if (titleAt >= 0) {
            pos = titleAt + Marker::TitleMarker.size();
            const qsizetype end = lineEnd.at(pos);
            if (end < 0) {
                m_target.captionReceived(text.mid(pos));
                return;
            }
            m_target.captionReceived(text.mid(pos, end - pos));
            pos = end + 2;
            continue;
        }

        const qsizetype chatAt = chat.at(pos);
        if (chatAt < 0) {
            m_target.screenData(pos == 0 ? text : text.mid(pos));
            return;
        }
        if (chatAt > pos)
            m_target.screenData(text.mid(pos, chatAt - pos));
        pos = chatAt + Marker::ChatMarker.size();
    }
}
