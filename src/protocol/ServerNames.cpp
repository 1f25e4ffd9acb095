#include "ServerNames.h"

#include <QHostAddress>

bool IsHostName(const QString &host)
{
    if (host.size() > 2 && host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        const QHostAddress address(host.mid(1, host.size() - 2));
        return address.protocol() == QAbstractSocket::IPv6Protocol;
    }
    if (host.isEmpty() || host.size() > 253)
        return false;
    bool labelStart = true;
    for (const QChar c : host) {
        const char16_t u = c.unicode();
        const bool alnum = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (u == '.') {
            if (labelStart)
                return false;   // an empty label: "..", or a leading dot
            labelStart = true;
            continue;
        }
        if (u == '-' && labelStart)
            return false;
        if (!alnum && u != '-')
            return false;
        labelStart = false;
    }
    return true;
}

QByteArray InertChatText(const QByteArray &text)
{
    QByteArray inert = text;
    for (char &byte : inert) {
        const auto u = static_cast<unsigned char>(byte);
        if (u < 0x20 || u == 0x7f)
            byte = ' ';
    }
    return inert;
}
