#include "ChatOutput.h"


void ChatOutput::SetLinkFormat(bool on)
{
    ChatStyle style = insertionStyle();
    style.link = on;
    style.underline = on;
    style.color = on ? TColors::Blue : fontColor();
    setInsertionStyle(style);
}

QByteArray UnifyLineBreaks(const QByteArray &text)
{
    if (!text.contains('\r'))
        return text;
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\r') {
            out.append(c);
            continue;
        }
        out.append('\n');
        if (i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;
    }
    return out;
}

QDebug operator<<(QDebug debug, const ChatStyle &style)
{
    QDebugStateSaver saver(debug);
    // Colours read as red, green, blue.
    debug.nospace().noquote()
        << "ChatStyle("
        << QString::asprintf("%02X %02X %02X", style.color & 0xFF, (style.color >> 8) & 0xFF,
                             (style.color >> 16) & 0xFF)
        << ' ' << QString::fromLatin1(style.fontName) << ' ' << style.fontSize
        << (style.bold ? " bold" : "") << (style.italic ? " italic" : "")
        << (style.underline ? " underline" : "") << (style.link ? " link" : "") << ')';
    return debug;
}

char *toString(const ChatStyle &style)
{
    QString text;
    QDebug(&text) << style;
    return qstrdup(text.toUtf8().constData());
}
