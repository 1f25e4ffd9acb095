#include "DoorSession.h"

#include <algorithm>

#include "ClientMessages.h"
#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace DoorInput {

namespace {

// The screen engine answers a report request with ESC "[" and the
// request's own parameters.
bool isReport(const QByteArray &bytes)
{
    return bytes.size() >= 2 && bytes.startsWith("\x1b[")
        && std::all_of(bytes.begin() + 2, bytes.end(), [](char c) { return (c >= '0' && c <= '9') || c == ';' || c == '.'; });
}

void screenPart(const QByteArray &bytes, QList<Event> *events)
{
    if (bytes.isEmpty() || isReport(bytes) || bytes.startsWith(Marker::IdentifyOpen))
        return;
    int column = 0;
    int row = 0;
    if (ClientMessages::ParseCellText(bytes, &column, &row)) {
        events->append({Event::Press, {}, column, row});
    } else if (bytes.startsWith(Marker::ButtonPress)) {
        events->append({Event::Button, TextBeforeText(bytes.mid(Marker::ButtonPress.size()), "\r\n"), 0, 0});
    } else {
        events->append({Event::Keys, bytes, 0, 0});
    }
}

} // namespace

QList<Event> Parse(const QByteArray &chunk)
{
    QList<Event> events;
    const QByteArray rest = ReplaceAll(chunk, Marker::ClientReady, QByteArray(), true);
    const qsizetype chat = rest.indexOf(Marker::ChatMarker);
    screenPart(chat < 0 ? rest : rest.left(chat), &events);
    if (chat >= 0)
        events.append({Event::Chat, rest.mid(chat + Marker::ChatMarker.size()), 0, 0});
    return events;
}

} // namespace DoorInput
