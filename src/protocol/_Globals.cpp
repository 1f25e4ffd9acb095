#include "_Globals.h"

#include <QDir>
#include <QStandardPaths>

#include <limits>
#include <utility>

namespace {

bool containsCodeStart(const QByteArray &text, qsizetype from, qsizetype *at)
{
    const qsizetype i = text.indexOf("\x1b[", from);
    if (i < 0)
        return false;
    *at = i;
    return true;
}

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

qsizetype findCaseless(const QByteArray &text, const QByteArray &search, qsizetype from)
{
    const qsizetype last = text.size() - search.size();
    for (qsizetype i = from; i <= last; ++i) {
        qsizetype j = 0;
        while (j < search.size() && upperAscii(text[i + j]) == upperAscii(search[j]))
            ++j;
        if (j == search.size())
            return i;
    }
    return -1;
}

} // namespace

QByteArray TextBefore(const QByteArray &text, char ch)
{
    const qsizetype i = text.indexOf(ch);
    return i < 0 ? text : text.left(i);
}

QByteArray TextAfter(const QByteArray &text, char ch)
{
    const qsizetype i = text.indexOf(ch);
    return i < 0 ? text : text.mid(i + 1);
}

QByteArray TextBeforeText(const QByteArray &text, const QByteArray &search)
{
    const qsizetype i = search.isEmpty() ? -1 : text.indexOf(search);
    return i < 0 ? text : text.left(i);
}

QByteArray TextAfterText(const QByteArray &text, const QByteArray &search)
{
    const qsizetype i = search.isEmpty() ? -1 : text.indexOf(search);
    return i < 0 ? text : text.mid(i + search.size());
}

QByteArray TakeTextBefore(QByteArray &text, const QByteArray &search)
{
    const QByteArray front = TextBeforeText(text, search);
    text.remove(0, front.size());
    return front;
}

QByteArray TakeLine(QByteArray &buffer)
{
    const qsizetype i = buffer.indexOf("\r\n");
    if (i < 0) {
        QByteArray all;
        all.swap(buffer);
        return all;
    }
    const QByteArray line = buffer.left(i);
    buffer.remove(0, i + 2);
    return line;
}

QByteArray ReplaceAll(const QByteArray &text, const QByteArray &search,
                      const QByteArray &replacement, bool caseSensitive)
{
    if (search.isEmpty())
        return text;
    QByteArray out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = caseSensitive ? text.indexOf(search, from)
                                           : findCaseless(text, search, from);
        if (at < 0)
            break;
        out.append(text.constData() + from, at - from);
        out.append(replacement);
        from = at + search.size();
    }
    out.append(text.constData() + from, text.size() - from);
    return out;
}

QByteArray PadLeft(const QByteArray &text, const QByteArray &pad, int width)
{
    if (pad.isEmpty() || text.size() >= width)
        return text;
    return QByteArray(width - text.size(), pad.at(0)) + text;
}

qint32 LenientNumber(const QByteArray &text)
{
    QByteArray kept;
    kept.reserve(text.size());
    for (const char c : text) {
        if (c == '-' || c == '.' || (c >= '0' && c <= '9'))
            kept.append(c);
    }
    const qsizetype dot = kept.indexOf('.');
    if (dot >= 0)
        kept.truncate(dot);
    if (kept.isEmpty())
        return 0;

    qsizetype i = 0;
    const bool negative = kept.at(0) == '-';
    if (negative)
        i = 1;
    if (i == kept.size())
        return 0;
    qint64 value = 0;
    for (; i < kept.size(); ++i) {
        const char c = kept.at(i);
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return 0;
    return qint32(value);
}

QByteArray TrimControls(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && quint8(text.at(begin)) <= 0x20)
        ++begin;
    while (end > begin && quint8(text.at(end - 1)) <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QByteArray StripLeadingCodes(const QByteArray &text)
{
    QByteArray t = text;
    while (t.startsWith("\x1b["))
        t.remove(0, 3);
    return TrimControls(t);
}

QByteArray LeadingPlainText(const QByteArray &text)
{
    QByteArray t = StripLeadingCodes(text);
    const qsizetype end = t.indexOf("\x1b]");
    if (end >= 0)
        t.truncate(end);
    return TrimControls(t);
}

QByteArray StripCodes(const QByteArray &text)
{
    QByteArray t = text;
    qsizetype at = 0;
    qsizetype from = 0;
    while (containsCodeStart(t, from, &at)) {
        t.remove(at, 3);
        // Removing a unit can join an ESC before it with a "[" after it.
        from = at > 0 ? at - 1 : 0;
    }
    return TrimControls(t);
}

bool IsRankMark(char byte)
{
    switch (quint8(byte)) {
    case 0x21: case 0x2A: case 0x2B: case 0xB1: case 0xA4: case 0x5E:
    case 0x24: case 0xA2: case 0x95: case 0xA5: case 0xBF:
        return true;
    default:
        return false;
    }
}

QByteArray PlainUserName(const QByteArray &caption)
{
    QByteArray name = StripCodes(caption);
    if (!name.isEmpty() && IsRankMark(name.at(0)))
        name.remove(0, 1);
    return name;
}

int UserRank(const QByteArray &caption)
{
    const QByteArray plain = LeadingPlainText(caption);
    if (plain.isEmpty())
        return 2;
    switch (quint8(plain.at(0))) {
    case 0x21: return 3;  // "!"
    case 0x2A: return 4;  // "*"
    case 0x2B: return 5;  // "+"
    case 0xB1: return 6;
    case 0xA4: return 7;
    case 0x5E: return 8;  // "^"
    case 0x24: return 9;  // "$"
    case 0xA2: return 10;
    case 0x95: return 11;
    case 0xA5: return 12;
    case 0xBF: return 13;
    default: return 2;
    }
}

QString WindowsFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Vantora");
}

namespace {
EventSoundHandler &eventSoundHandler()
{
    static EventSoundHandler handler;
    return handler;
}
} // namespace

EventSoundHandler SetEventSoundHandler(EventSoundHandler handler)
{
    return std::exchange(eventSoundHandler(), std::move(handler));
}

void PlayEventSound(const QByteArray &label)
{
    if (const EventSoundHandler &handler = eventSoundHandler())
        handler(label);
}
