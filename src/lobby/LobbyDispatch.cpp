#include "LobbyDispatch.h"

#include "ChatAnsi.h"
#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace {

const QByteArray VersionLine = QByteArrayLiteral("/Version 6.11\r\n");

} // namespace

LobbyDispatcher::LobbyDispatcher(LobbyDispatchHost &host)
    : m_host(host)
{
}

void LobbyDispatcher::Received(QByteArray chunk)
{
    // A chunk of exactly one 00 byte is the server's keep-alive.
    if (chunk == Marker::KeepAlive) {
        m_host.blink();
        return;
    }
    const qsizetype ready = chunk.indexOf(Marker::ReadyMarker);
    if (ready >= 0) {
        m_host.blink();
        chunk.remove(ready, Marker::ReadyMarker.size());
        if (!IntroSent)
            SendIntro();
    }
    m_host.receiveLamps();
    PendingText = chunk;
    Dispatch();
}

void LobbyDispatcher::Dispatch()
{
    if (m_host.soundOn())
        m_host.playEventSound("ChatTick");
    // Taken and emptied first: a dispatch started from inside this one (a
    // read during a dialog) never sees the same chunk again.
    const QByteArray text = PendingText;
    PendingText.clear();

    qsizetype from = 0;
    do
        from = dispatchPiece(text, from);
    while (from < text.size());
}

qsizetype LobbyDispatcher::dispatchPiece(const QByteArray &text, qsizetype from)
{
    const QByteArrayView rest = QByteArrayView(text).sliced(from);
    const auto all = [&] { return from == 0 ? text : text.mid(from); };
    if (rest.startsWith(LobbyMenuCommand::Games))
        openMenu(LobbyMenu::Games, all());
    else if (rest.startsWith(LobbyMenuCommand::Rooms))
        openMenu(LobbyMenu::Rooms, all());
    else if (rest.startsWith(Marker::NoticeMarker))
        notice(all());
    else {
        const qsizetype at = text.indexOf(Marker::InviteMarker, from);
        if (at < 0) {
            render(all());
            return text.size();
        }
        if (at > from)
            render(text.mid(from, at - from));
        qsizetype next = 0;
        const qsizetype end = InvitationEnd(text, at, &next);
        invitation(text.mid(at, end - at));
        return next;
    }
    return text.size();
}

void LobbyDispatcher::openMenu(LobbyMenu menu, const QByteArray &text)
{
    m_host.setStatus(QStringLiteral("Connecting..."));
    // A port of 0 (none given, or unreadable) opens nothing.
    const int port = SpawnPort(text);
    if (port > 0)
        m_host.openMenu(menu, port);
    m_host.sendLamps();
}

void LobbyDispatcher::notice(const QByteArray &text)
{
    // The marker and the byte after it.
    const QByteArray rest = text.mid(Marker::NoticeMarker.size() + 1);
    m_host.playEventSound("Look");
    if (!m_host.away())
        m_host.showNotice(NoticeCaption(rest), NoticeText(rest));
}

void LobbyDispatcher::render(const QByteArray &text)
{
    m_host.renderChunkThen(text, [this](int code) { rendered(code); });
}

void LobbyDispatcher::rendered(int code)
{
    switch (code) {
    case TDispAnsi::UserListBlock:
        m_host.selectOwnRow();
        break;
    case TDispAnsi::WhereIsShown:
        m_host.sendWhereIsReply();
        break;
    case TDispAnsi::ServerReady:
        if (!IntroSent)
            SendIntro();
        break;
    default:
        break;
    }
}

void LobbyDispatcher::invitation(const QByteArray &text)
{
    const int port = InvitationPort(text);
    m_host.acceptInvitationThen(Inviter(text), [this, port](bool yes) {
        if (yes && port > 0)
            m_host.startChatRoom(port);
    });
}

void LobbyDispatcher::SendIntro()
{
    IntroSent = true;
    while (!PendingText.isEmpty())
        Dispatch();
    for (const QByteArray &piece : Introduction(m_host.email()))
        m_host.sendRaw(piece);
}

QByteArray LobbyDispatcher::Identification(const QByteArray &userName, const QByteArray &password)
{
    return Marker::IdentifyOpen + userName + Marker::IdentifyClose + password;
}

QList<QByteArray> LobbyDispatcher::Introduction(const QByteArray &email)
{
    return {VersionLine, "/Email " + email + "\r\n", Marker::KeepAlive};
}

int LobbyDispatcher::SpawnPort(const QByteArray &text)
{
    if (!text.contains(':'))
        return 0;
    return LenientNumber(TextBefore(TextAfter(text, ':'), ':'));
}

int LobbyDispatcher::InvitationPort(const QByteArray &text)
{
    if (!text.contains(':'))
        return 0;
    return LenientNumber(TextBefore(TextAfter(text, ':'), '['));
}

QByteArray LobbyDispatcher::Inviter(const QByteArray &text)
{
    return TextAfter(text, '[');
}

qsizetype LobbyDispatcher::InvitationEnd(const QByteArray &text, qsizetype at, qsizetype *next)
{
    const qsizetype start = at + Marker::InviteMarker.size();
    qsizetype limit = text.indexOf(Marker::InviteMarker, start);
    if (limit < 0)
        limit = text.size();
    qsizetype end = start;
    while (end < limit && text[end] != '\r' && text[end] != '\n' && text[end] != '\x1b')
        ++end;
    qsizetype after = end;
    if (after < limit && text[after] == '\r')
        ++after;
    if (after < limit && text[after] == '\n')
        ++after;
    *next = after;
    return end;
}

QByteArray LobbyDispatcher::NoticeCaption(const QByteArray &text)
{
    return TextBefore(text, '>');
}

QByteArray LobbyDispatcher::NoticeText(const QByteArray &text)
{
    return TextAfter(text, '>');
}
