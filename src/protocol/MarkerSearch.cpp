#include "MarkerSearch.h"

#include <cstring>

#include "ProtocolMarkers.h"

qsizetype MarkerSearch::at(const QByteArray &marker, qsizetype pos)
{
    Known *known = nullptr;
    for (Known &k : m_known) {
        if (k.marker.constData() == marker.constData() || k.marker == marker) {
            known = &k;
            break;
        }
    }
    if (!known) {
        m_known.append(Known{marker, 0, -1});
        known = &m_known.back();
        known->from = pos;
        known->at = m_text.indexOf(marker, pos);
        return known->at;
    }
    if (pos >= known->from && (known->at < 0 || known->at >= pos))
        return known->at;
    known->from = pos;
    known->at = m_text.indexOf(marker, pos);
    return known->at;
}

qsizetype MarkerSearch::in(QByteArrayView rest, const QByteArray &marker)
{
    const qsizetype pos = rest.data() - m_text.data();
    if (rest.data() < m_text.data() || pos > m_text.size() || pos + rest.size() != m_text.size())
        return rest.indexOf(marker);
    const qsizetype found = at(marker, pos);
    return found < 0 ? -1 : found - pos;
}

namespace LockOffers {

Taken Take(const QByteArray &text, bool stopAtPassword)
{
    const QByteArray &marker = Marker::LockOffer;
    Taken taken;
    if (!text.contains(marker)) {
        taken.text = text;
        return taken;
    }
    QByteArray &kept = taken.text;
    kept.reserve(text.size());
    // Whether what is kept followed by the bytes from `next` on begins with
    // the password request.
    const auto passwordFirst = [&](qsizetype next) {
        const QByteArray &password = Marker::PasswordMarker;
        char head[8];
        qsizetype n = 0;
        for (qsizetype i = 0; i < kept.size() && n < password.size(); ++i)
            head[n++] = kept.at(i);
        for (qsizetype i = next; i < text.size() && n < password.size(); ++i)
            head[n++] = text.at(i);
        return n == password.size() && std::memcmp(head, password.constData(), size_t(n)) == 0;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        kept.append(text.at(i));
        if (!kept.endsWith(marker))
            continue;
        kept.chop(marker.size());
        ++taken.count;
        if (stopAtPassword && passwordFirst(i + 1)) {
            taken.passwordFirst = true;
            kept += QByteArrayView(text).sliced(i + 1);
            return taken;
        }
    }
    return taken;
}

} // namespace LockOffers
