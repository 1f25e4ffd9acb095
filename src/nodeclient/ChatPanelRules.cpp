#include "ChatPanelRules.h"

#include <QUrl>

#include "ByteText.h"
#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace ChatPanel {

QByteArray ChatText(const QString &input)
{
    QByteArray text = ProtocolBytes(input);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    while (text.startsWith('\n'))
        text.remove(0, 1);
    text.replace("\n", "\r\n");
    return text;
}

PlayerMenu PlayerMenuFor(const QList<QByteArray> &selected, bool inputEmpty,
                         const PlayerMenu &previous)
{
    PlayerMenu menu = previous;
    if (selected.isEmpty()) {
        menu.whereEnabled = false;
        menu.whisperEnabled = false;
        return menu;
    }
    menu.whereEnabled = true;
    menu.whisperEnabled = !inputEmpty;
    menu.whereCaption = "Where is " + selected.first() + " ?";
    menu.whisperCaption = selected.size() == 1 ? "Whisper to " + selected.first()
                                               : QByteArray("Whisper to Selected");
    return menu;
}

QByteArray WhereIsMessage(const QByteArray &caption)
{
    return Marker::WhereIsRequest + caption;
}

QList<QByteArray> WhisperMessages(const QList<QByteArray> &selected, const QByteArray &colorPrefix,
                                  const QByteArray &stylePrefix, const QByteArray &text)
{
    QList<QByteArray> messages;
    messages.reserve(selected.size());
    for (const QByteArray &caption : selected)
        messages.append("/msg " + caption + " " + colorPrefix + stylePrefix + text + "\r\n");
    return messages;
}

std::optional<QList<QByteArray>> VoteEntries(const QList<QByteArray> &rowCaptions,
                                             const QByteArray &userName,
                                             const QString &windowCaption)
{
    if (rowCaptions.isEmpty())
        return std::nullopt;
    QList<QByteArray> entries;
    if (windowCaption.contains(QLatin1String("Table")))
        entries.append("Not Rate The Game");
    for (const QByteArray &caption : rowCaptions) {
        if (PlainUserName(caption) == userName)
            continue;
        entries.append("Boot " + caption);
    }
    return entries;
}

QByteArray VoteMessage(const QByteArray &colorPrefix, const QByteArray &stylePrefix,
                       const QByteArray &entry)
{
    QByteArray caption = entry;
    caption.replace("&", "");
    return colorPrefix + stylePrefix + "Votes to " + caption;
}

QString RatingTip(int rating)
{
    return QStringLiteral("Rating = ") + QString::number(rating);
}

QString PlayerCountCaption(int rows)
{
    return QString::number(rows) + QStringLiteral(" Player(s)");
}

bool IsSafeLink(const QByteArray &link)
{
    const QUrl url(DisplayText(link), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    static const QStringList safe = {QStringLiteral("http"), QStringLiteral("https"),
                                     QStringLiteral("ftp"), QStringLiteral("mailto"),
                                     QStringLiteral("news")};
    return safe.contains(url.scheme().toLower());
}

QString LinkFailureText(const QByteArray &link)
{
    return QStringLiteral("Sorry !  Unable to Execute ") + DisplayText(link);
}

} // namespace ChatPanel
