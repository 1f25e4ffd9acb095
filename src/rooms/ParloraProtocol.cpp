#include "ParloraProtocol.h"

#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace Parlora {

namespace {

RoomMessage titleMessage(const QByteArray &chunk)
{
    RoomMessage message;
    message.kind = RoomMessage::RoomTitle;
    QByteArray rest = chunk.mid(Marker::TitleMarker.size());
    const qsizetype lock = rest.indexOf(Marker::LockOffer);
    if (lock >= 0) {
        rest.remove(lock, Marker::LockOffer.size());
        message.lockInTitle = true;
    }
    message.text = rest;
    return message;
}

RoomMessage noticeMessage(const QByteArray &chunk)
{
    // The marker and the one byte after it.
    const QByteArray rest = chunk.mid(Marker::NoticeMarker.size() + 1);
    RoomMessage message;
    message.kind = RoomMessage::Notice;
    message.caption = TextBefore(rest, '>');
    message.text = TextAfter(rest, '>');
    return message;
}

} // namespace

RoomMessage Decode(const QByteArray &chunk)
{
    RoomMessage message;
    if (chunk == Marker::KeepAlive) {
        message.kind = RoomMessage::KeepAlive;
    } else if (chunk.startsWith(Marker::PasswordMarker)) {
        message.kind = RoomMessage::PasswordRequest;
    } else if (chunk.startsWith(Marker::LockOffer)) {
        message.kind = RoomMessage::LockOffer;
    } else if (chunk.startsWith(Marker::TitleMarker)) {
        message = titleMessage(chunk);
    } else if (chunk.startsWith(Marker::NoticeMarker)) {
        message = noticeMessage(chunk);
    } else {
        message.kind = RoomMessage::Chat;
        message.marked = chunk.startsWith(Marker::ChatMarker);
        message.text = message.marked ? chunk.mid(Marker::ChatMarker.size()) : chunk;
    }
    return message;
}

QByteArray WelcomeText(const QByteArray &title)
{
    return "\r\n Welcome to " + title + "\r\n";
}

TColor RoomColour(const QByteArray &title)
{
    if (title.contains("Public"))
        return RGBToTColor(118, 4, 155);
    if (title.contains("Sysop"))
        return RGBToTColor(141, 58, 18);
    if (title.contains("MPA"))
        return RGBToTColor(16, 95, 12);
    return RGBToTColor(0, 0, 128);
}

} // namespace Parlora
