#include "ClientMessages.h"

#include <array>
#include <cstring>

#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace ClientMessages {

namespace {

bool startsAt(const QByteArray &text, qsizetype at, const QByteArray &marker)
{
    return at + marker.size() <= text.size()
        && std::memcmp(text.constData() + at, marker.constData(), size_t(marker.size())) == 0;
}

// Markers that begin a message of their own wherever they stand.
bool isMessageStart(const QByteArray &text, qsizetype at)
{
    return startsAt(text, at, Marker::PresenceMarker) || startsAt(text, at, Marker::IconMarker)
        || startsAt(text, at, Marker::ClientReady) || startsAt(text, at, Marker::IdentifyOpen)
        || startsAt(text, at, Marker::WhereIsRequest) || startsAt(text, at, Marker::ButtonPress)
        || startsAt(text, at, Marker::PasswordMarker);
}

bool isCommandStart(const QByteArray &text, qsizetype at)
{
    if (at >= text.size())
        return false;
    const char c = text.at(at);
    return c == '/' || c == '\\' || startsAt(text, at, QByteArrayLiteral("\x1b]/"));
}

QByteArray withoutLineEnds(QByteArray message)
{
    while (message.endsWith("\r\n"))
        message.chop(2);
    return message;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Sequences that only the server may send, and the where-is bytes.
const std::array<QByteArray, 11> &forbiddenSequences()
{
    static const std::array<QByteArray, 11> list = {
        Marker::InviteMarker, Marker::NoticeMarker, Marker::ChatMarker, Marker::TitleMarker,
        Marker::LockOffer, Marker::PasswordMarker, Marker::ClientReady, Marker::PresenceMarker,
        Marker::IconMarker, Marker::ButtonPress, QByteArrayLiteral("\xa4\xab"),
    };
    return list;
}

bool isChatCode(char c)
{
    if ((c >= '1' && c <= '9'))
        return true;
    switch (c) {
    case 'A': case 'R': case 'B': case 'I': case 'U': case 'b': case 'i': case 'u':
    case 'F': case 'S':
        return true;
    default:
        return false;
    }
}

} // namespace

QList<QByteArray> Split(const QByteArray &chunk)
{
    QList<QByteArray> messages;
    const qsizetype n = chunk.size();
    qsizetype i = 0;
    while (i < n) {
        if (chunk.at(i) == '\0') {
            messages.append(QByteArray(1, '\0'));
            ++i;
            continue;
        }
        if (startsAt(chunk, i, Marker::PresenceMarker)) {
            const qsizetype len = qMin<qsizetype>(Marker::PresenceMarker.size() + 1, n - i);
            messages.append(chunk.mid(i, len));
            i += len;
            continue;
        }
        if (startsAt(chunk, i, Marker::IconMarker)) {
            qsizetype j = i + Marker::IconMarker.size();
            while (j < n && isDigit(chunk.at(j)))
                ++j;
            messages.append(chunk.mid(i, j - i));
            i = j;
            continue;
        }
        if (startsAt(chunk, i, Marker::ClientReady)) {
            messages.append(Marker::ClientReady);
            i += Marker::ClientReady.size();
            continue;
        }

        // Commands and marked requests end at their line end; chat keeps its
        // inner line ends and ends where a command or marker follows one.
        const bool lineMessage = isCommandStart(chunk, i) || isMessageStart(chunk, i);
        qsizetype j = i + 1;
        while (j < n) {
            if (chunk.at(j) == '\0' || isMessageStart(chunk, j))
                break;
            if (chunk.at(j) == '\r' && j + 1 < n && chunk.at(j + 1) == '\n') {
                const qsizetype next = j + 2;
                if (lineMessage) {
                    j = next;
                    break;
                }
                if (next < n && (isCommandStart(chunk, next) || isMessageStart(chunk, next)
                                 || chunk.at(next) == '\0')) {
                    j = next;
                    break;
                }
            }
            ++j;
        }
        const QByteArray message = withoutLineEnds(chunk.mid(i, j - i));
        if (!message.isEmpty())
            messages.append(message);
        i = j;
    }
    return messages;
}

Identity ParseIdentity(const QByteArray &message)
{
    Identity id;
    if (!message.startsWith(Marker::IdentifyOpen))
        return id;
    const QByteArray rest = message.mid(Marker::IdentifyOpen.size());
    const qsizetype close = rest.indexOf(Marker::IdentifyClose);
    if (close < 0)
        return id;
    id.name = rest.left(close);
    QByteArray password = rest.mid(close + Marker::IdentifyClose.size());
    for (qsizetype k = 0; k < password.size(); ++k) {
        if (quint8(password.at(k)) < 0x20) {
            password.truncate(k);
            break;
        }
    }
    id.password = password;
    id.valid = true;
    return id;
}

QByteArray SafeChatText(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = text.at(i);
        const quint8 u = quint8(c);
        if (c == '\x1b') {
            if (i + 2 < n && text.at(i + 1) == '[' && isChatCode(text.at(i + 2))) {
                out.append(text.constData() + i, 3);
                i += 2;
            } else if (i + 1 < n && text.at(i + 1) == ']') {
                out.append("\x1b]");
                ++i;
            } else if (i + 1 < n && text.at(i + 1) == '[') {
                i += (i + 2 < n) ? 2 : 1; // an unknown code goes with its code byte
            }
            continue;
        }
        if (u < 0x20 && c != '\r' && c != '\n' && c != '\t')
            continue;
        out.append(c);
    }
    // Removing one sequence may join the bytes around it into another.
    bool changed = true;
    while (changed) {
        changed = false;
        for (const QByteArray &seq : forbiddenSequences()) {
            if (out.contains(seq)) {
                out = ReplaceAll(out, seq, QByteArray(), true);
                changed = true;
            }
        }
        // A removal can leave an ESC in front of a "[" and an unknown code.
        for (qsizetype k = out.indexOf("\x1b["); k >= 0; k = out.indexOf("\x1b[", k + 1)) {
            if (k + 2 >= out.size() || !isChatCode(out.at(k + 2))) {
                out.remove(k, qMin<qsizetype>(3, out.size() - k));
                changed = true;
                break;
            }
        }
    }
    return out;
}

bool ValidUserName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 20)
        return false;
    const auto letterOrDigit = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c);
    };
    if (!letterOrDigit(name.at(0)))
        return false;
    for (const char c : name) {
        if (!letterOrDigit(c) && c != '-' && c != '_' && c != '.')
            return false;
    }
    return true;
}

bool ValidPassword(const QByteArray &password)
{
    if (password.isEmpty() || password.size() > 64)
        return false;
    for (const char c : password) {
        if (quint8(c) <= 0x20 || quint8(c) == 0x7f)
            return false;
    }
    return true;
}

bool ParseCellText(const QByteArray &text, int *column, int *row)
{
    const qsizetype semi = text.indexOf(';');
    if (semi <= 0 || semi == text.size() - 1 || text.size() > 14)
        return false;
    const auto number = [](const QByteArray &s, int *value) {
        const qsizetype start = s.startsWith('-') ? 1 : 0;
        if (s.size() == start || s.size() - start > 6)
            return false;
        for (qsizetype k = start; k < s.size(); ++k) {
            if (!isDigit(s.at(k)))
                return false;
        }
        bool ok = false;
        *value = s.toInt(&ok);
        return ok;
    };
    int c = 0;
    int r = 0;
    if (!number(text.left(semi), &c) || !number(text.mid(semi + 1), &r))
        return false;
    *column = c;
    *row = r;
    return true;
}

Typed TypedText(const QByteArray &message)
{
    qsizetype i = 0;
    const qsizetype n = message.size();
    while (i + 2 < n && message.at(i) == '\x1b' && message.at(i + 1) == '[') {
        const char code = message.at(i + 2);
        qsizetype next = i + 3;
        if ((code == 'F' || code == 'S') && next < n && message.at(next) == '{') {
            const qsizetype close = message.indexOf('}', next);
            if (close < 0)
                break;   // an unclosed name: it and all after it are text
            next = close + 1;
        }
        i = next;
    }
    return {message.left(i), message.mid(i)};
}

QByteArray NameOfCaption(const QByteArray &caption)
{
    const QByteArray name = PlainUserName(ReplaceAll(caption, " [AWAY]", QByteArray(), true));
    return TrimControls(TextBeforeText(name, "\x1b]"));
}

} // namespace ClientMessages
