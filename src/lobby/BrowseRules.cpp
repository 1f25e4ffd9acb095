#include "BrowseRules.h"

#include "ByteText.h"
#include "ChatAnsi.h"

namespace BrowseRules {

QString HomeAddress(const QString &host, int httpPort)
{
    QString address = QStringLiteral("http://") + host;
    if (httpPort != 80)
        address += QLatin1Char(':') + QString::number(httpPort);
    return address + QStringLiteral("/games.htm");
}

bool IsWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool IsLobbyCommand(const QString &href)
{
    return href.trimmed().startsWith(QLatin1Char('\\'));
}

QUrl TypedAddress(const QString &text)
{
    // A bare path becomes a file: address, which the view then refuses.
    return QUrl::fromUserInput(text.trimmed());
}

Navigation Judge(const QUrl &url, bool mainFrame, bool userAction)
{
    if (IsWebAddress(url))
        return Navigation::Load;
    // A frame without an address of its own shows an empty document.
    if (!mainFrame && url.scheme() == QLatin1String("about")
        && (url.path() == QLatin1String("blank") || url.path() == QLatin1String("srcdoc")))
        return Navigation::Load;
    return mainFrame && userAction ? Navigation::Refuse : Navigation::RefuseQuietly;
}

QString DownloadName(const QString &suggested)
{
    const QByteArray name = ProtocolBytes(suggested);
    // Names that do not survive as Latin-1 are refused with the rest.
    if (DisplayText(name) != suggested || name.startsWith('.') || !TDispAnsi::IsPlainFileName(name))
        return {};
    for (const char c : name) {
        if (quint8(c) < 0x20 || c == 0x7f)
            return {};
    }
    return suggested;
}

} // namespace BrowseRules
