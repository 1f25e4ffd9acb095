#include "GateletDispatcher.h"

#include "MarkerSearch.h"
#include "ProtocolMarkers.h"

QByteArray GateletDispatcher::WithoutLockOffers(const QByteArray &text)
{
    return LockOffers::Take(text).text;
}

void GateletDispatcher::dispatch(const QByteArray &chunk)
{
    const QByteArray text = WithoutLockOffers(chunk);
    static const QByteArray lineEnd = QByteArrayLiteral("\r\n");
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
            const qsizetype end = search.at(lineEnd, pos);
            if (end < 0) {
                m_target.captionReceived(text.mid(pos));
                return;
            }
            m_target.captionReceived(text.mid(pos, end - pos));
            pos = end + 2;
            continue;
        }

        const qsizetype chatAt = search.at(Marker::ChatMarker, pos);
        if (chatAt < 0) {
            m_target.screenData(pos == 0 ? text : text.mid(pos));
            return;
        }
        if (chatAt > pos)
            m_target.screenData(text.mid(pos, chatAt - pos));
        pos = chatAt + Marker::ChatMarker.size();
    }
}
