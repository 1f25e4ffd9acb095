#include "WhereIsReply.h"

#include "ByteText.h"

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// Window classes of the suite's programs and of the other chat and game
// clients a seeker may want to know about.
const char *const KnownClasses[] = {"TLobby", "Tfrm", "TParloras", "ZoneLobbyWindow", "ATL:600D"};

} // namespace

WhereIsReply WhereIsReply::Build(const QString &information, const QByteArray &userName,
                                 const QString &timeText, bool hideWhereabouts,
                                 const QList<TopLevelWindow> &windows)
{
    WhereIsReply reply;
    QByteArray &text = reply.text;
    for (const QString &line : information.split(QLatin1Char('\n')))
        text += ProtocolBytes(line) + LineEnd;
    text += userName + "'s Time is " + ProtocolBytes(timeText) + LineEnd;
    text += "Vantora Chat Version 6.11" + LineEnd;
    if (hideWhereabouts)
        return reply;

    for (const TopLevelWindow &window : windows) {
        const QString title = window.title.left(MaxNameLength);
        const QString className = window.className.left(MaxNameLength);
        // A title is listed once for every test it passes.
        int matches = title.contains(QLatin1String("ZoneFriends")) ? 1 : 0;
        for (const char *known : KnownClasses)
            matches += className.contains(QLatin1String(known)) ? 1 : 0;
        for (int i = 0; i < matches; ++i)
            text += ProtocolBytes(title) + LineEnd;
        if (!reply.gameWindowFound && title.contains(QLatin1String("Age of Empires"))
            && className.contains(QLatin1String("Age of Empires")))
            reply.gameWindowFound = true;
    }
    if (reply.gameWindowFound)
        text += "I'm Playing a Game. (AOE Running)" + LineEnd;
    return reply;
}
