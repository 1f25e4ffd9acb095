#include "ChatComposer.h"

#include "ByteText.h"
#include "Cp1252.h"
#include "ProtocolMarkers.h"

namespace ChatComposer {

QByteArray Prefix(const QByteArray &atColor, const QByteArray &atStyle, bool withFont,
                  const QByteArray &fontName)
{
    QByteArray prefix = atColor + atStyle;
    if (withFont)
        prefix += "\033[F{" + fontName + '}';
    return prefix;
}

QByteArray PrivateText(const QByteArray &name, const QByteArray &prefix, const QByteArray &text)
{
    return "/msg " + name + ' ' + prefix + text + "\r\n";
}

QByteArray Presence(bool away)
{
    return Marker::PresenceMarker + (away ? "5" : "0");
}

QByteArray PresenceText(bool away)
{
    return away ? QByteArrayLiteral("I'm Away!") : QByteArrayLiteral("I'm Here!");
}

QByteArray IconChoice(int index)
{
    return Marker::IconMarker + QByteArray::number(index);
}

QByteArray ToggleStyle(const QByteArray &atStyle, const QByteArray &code, bool down)
{
    if (down)
        return atStyle + code;
    QByteArray style = atStyle;
    style.replace(code, QByteArray());
    return style;
}

QString WithoutLeadingEmptyLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.constFirst().isEmpty()) {
        lines.removeFirst();
        // The last line gone: the box is empty.
        if (lines.isEmpty())
            return QString();
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray MessageBytes(const QString &text)
{
    return ChatBytes(text).replace("\r\n", "\n").replace('\n', "\r\n");
}

const std::array<int, 22> &OnlineIcons()
{
    static const std::array<int, 22> icons = {13, 6,  7,  23, 24, 21, 22, 25, 8,  32, 33,
                                              34, 11, 12, 14, 15, 16, 17, 18, 19, 10, 20};
    return icons;
}

QStringList InsertMenuItems(const QList<QByteArray> &captions)
{
    QStringList items{QStringLiteral("\033[")};
    for (const QByteArray &caption : captions)
        items << DisplayText(caption) + QLatin1Char(' ');
    items << QStringLiteral("Hi ") << QStringLiteral("Bye ") << QStringLiteral("/msg ")
          << QStringLiteral("`Laugh3.wav ");
    return items;
}

} // namespace ChatComposer
