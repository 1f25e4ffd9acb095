#include "ChatPanelRules.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

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

namespace {

// A parameter that names a file for the mail program to attach or read.
bool NamesAFile(const QString &key)
{
    const QString k = key.toLower();
    return k.contains(QLatin1String("attach")) || k.contains(QLatin1String("file"))
        || k.contains(QLatin1String("path"));
}

bool HasDotDotSegment(const QString &text)
{
    const QString decoded = QUrl::fromPercentEncoding(text.toLatin1());
    for (const QString &segment : decoded.split(QRegularExpression(QStringLiteral("[/\\\\]"))))
        if (segment == QLatin1String(".."))
            return true;
    return false;
}

} // namespace

QUrl SafeLinkUrl(const QByteArray &link)
{
    if (!IsSafeLink(link))
        return {};
    QUrl url(DisplayText(link), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto")) {
        QUrlQuery query(url);
        QUrlQuery kept;
        for (const auto &item : query.queryItems(QUrl::FullyEncoded))
            if (!NamesAFile(QUrl::fromPercentEncoding(item.first.toLatin1())))
                kept.addQueryItem(item.first, item.second);
        url.setQuery(kept.isEmpty() ? QString() : kept.query(QUrl::FullyEncoded),
                     QUrl::StrictMode);
        return url;
    }
    if (scheme == QLatin1String("ftp") || scheme == QLatin1String("news")) {
        const QString raw = url.toString(QUrl::FullyEncoded);
        if (HasDotDotSegment(url.path(QUrl::FullyEncoded)) || HasDotDotSegment(raw))
            return {};
        // A local path: an ftp address without a host, or a news address
        // that names a path instead of a group.
        if (scheme == QLatin1String("ftp") && url.host().isEmpty())
            return {};
        if (scheme == QLatin1String("news") && url.host().isEmpty()
            && url.path().startsWith(QLatin1Char('/')))
            return {};
    }
    return url;
}

QString LinkFailureText(const QByteArray &link)
{
    return QStringLiteral("Sorry !  Unable to Execute ") + DisplayText(link);
}

} // namespace ChatPanel
