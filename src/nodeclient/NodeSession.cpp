#include "NodeSession.h"

#include <QCoreApplication>

#include "ChatPanelRules.h"
#include "NodeSettings.h"
#include "ProtocolMarkers.h"

void NodeSession::ReadStartup(const QStringList &arguments, const NodeSettings &settings)
{
    ChatColorPrefix = settings.atColor();
    ChatStylePrefix = settings.atStyle();
    MediaDir = NodeSettings::mediaDir(settings.mediaPath());
    ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    const NodeCommandLine line = NodeCommandLine::read(arguments);
    UserName = line.UserName;
    Password = line.Password;
    NodeHost = line.NodeHost;
    NodePort = line.NodePort;
    if (NodeHost.isEmpty())
        NodeHost = settings.server();
}

TColor NodeSession::ReadAppearance(const NodeSettings &settings)
{
    TextColour = settings.defColor();
    ChatFontName = settings.fontName();
    ChatFontSize = settings.fontSize();
    ChatColorPrefix = settings.atColor();
    ChatStylePrefix = settings.atStyle();
    return settings.winColor();
}

QByteArray NodeSession::Identification() const
{
    return Marker::IdentifyOpen + UserName + Marker::IdentifyClose + Password;
}

QByteArray NodeSession::ChatMessage(const QByteArray &text, const QByteArray &lead) const
{
    return lead + ChatColorPrefix + ChatStylePrefix + text;
}

QList<QByteArray> NodeSession::WhisperMessages(const QList<QByteArray> &selected,
                                               const QByteArray &text) const
{
    return ChatPanel::WhisperMessages(selected, ChatColorPrefix, ChatStylePrefix, text);
}

QByteArray NodeSession::VoteMessage(const QByteArray &entry) const
{
    return ChatPanel::VoteMessage(ChatColorPrefix, ChatStylePrefix, entry);
}
