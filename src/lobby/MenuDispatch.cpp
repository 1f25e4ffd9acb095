#include "MenuDispatch.h"

#include "ByteText.h"
#include "ClientPrograms.h"
#include "ProtocolMarkers.h"
#include "ServerNames.h"
#include "_Globals.h"

namespace {

const QByteArray SwitchServerCommand = QByteArrayLiteral("\\SwitchServer");
const QByteArray SpawnDoodlixCommand = QByteArrayLiteral("\\SpawnDoodlix");
const QByteArray SpawnNodeCommand = QByteArrayLiteral("\\SpawnNode");
const QByteArray SpawnDoorCommand = QByteArrayLiteral("\\SpawnDoor");
const QByteArray SpawnLightDoorCommand = QByteArrayLiteral("\\SpawnDoorX");

} // namespace

MenuDispatcher::MenuDispatcher(MenuDispatchHost &host)
    : m_host(host)
{
}

bool MenuDispatcher::Dispatch(const QByteArray &chunk)
{
    if (chunk.startsWith(Marker::PasswordMarker)) {
        answerPassword();
        return false;
    }
    if (chunk.contains(SwitchServerCommand))
        return switchServer(chunk);
    if (chunk.contains(SpawnDoodlixCommand))
        return startFull(ClientProgram::Doodlixf, chunk);
    if (chunk.contains(SpawnNodeCommand))
        return startFull(ClientProgram::Cardamo, chunk);
    if (chunk.contains(SpawnDoorCommand))
        return startDoor(chunk);
    if (chunk.contains(Marker::InviteMarker))
        return invitation(chunk);
    m_host.writeScreen(chunk);
    return false;
}

int MenuDispatcher::MenuPort(const QByteArray &text)
{
    const qsizetype colon = text.indexOf(':');
    return colon < 0 ? 0 : LenientNumber(text.mid(colon + 1));
}

bool MenuDispatcher::HasBracedHost(const QByteArray &text)
{
    return text.contains('{');
}

QByteArray MenuDispatcher::BracedHost(const QByteArray &text)
{
    return TextBefore(TextAfter(text, '{'), '}');
}

QString MenuDispatcher::hostOf(const QByteArray &text) const
{
    return HasBracedHost(text) ? DisplayText(BracedHost(text)) : m_host.serverName();
}

void MenuDispatcher::answerPassword()
{
    m_host.sendRaw(Marker::PasswordMarker + ProtocolBytes(m_host.askPassword()));
}

bool MenuDispatcher::switchServer(const QByteArray &text)
{
    const int port = MenuPort(text);
    // Beyond the last port number there is no server to switch to.
    if (port <= 0 || port > 65535)
        return false;
    const QString host = hostOf(text);
    if (!IsHostName(host)) {
        refuseHost(host);
        return false;
    }
    m_host.switchServer(host, port);
    return true;
}

bool MenuDispatcher::startFull(const QString &program, const QByteArray &text)
{
    const int port = MenuPort(text);
    if (port <= 0)
        return false;
    return m_host.startProgram(program,
                               FullCommandLine(m_host.serverName(), port, m_host.userName(),
                                               m_host.password()),
                               true);
}

bool MenuDispatcher::startDoor(const QByteArray &text)
{
    const int port = MenuPort(text);
    if (port <= 0) {
        m_host.showMessage(QStringLiteral("Unable to load ") + ClientProgram::Portalis);
        return false;
    }
    const QString host = hostOf(text);
    if (!IsHostName(host)) {
        refuseHost(host);
        return false;
    }
    const QString program = text.contains(SpawnLightDoorCommand)
                                    && m_host.programExists(ClientProgram::Gatelet)
                                ? ClientProgram::Gatelet
                                : ClientProgram::Portalis;
    // The name and password go only to a door on the lobby's own server.
    const QStringList arguments =
        host == m_host.serverName()
            ? FullCommandLine(host, port, m_host.userName(), m_host.password())
            : QStringList{host, QString::number(port)};
    return m_host.startProgram(program, arguments, false);
}

void MenuDispatcher::refuseHost(const QString &host)
{
    m_host.chatNote(QStringLiteral("The menu named a server that is no host name: ")
                    + DisplayText(InertChatText(ProtocolBytes(host.left(80)))));
}

bool MenuDispatcher::invitation(const QByteArray &text)
{
    const int port = MenuPort(text);
    if (port > 0)
        m_host.startProgram(ClientProgram::Parlora, FullCommandLine(m_host.serverName(), port,
                                                                    m_host.userName(),
                                                                    m_host.password()),
                            true);
    // The menu has done its part whether or not the room could be opened.
    return true;
}
