#pragma once

// Bytes as a readable string for comparisons: printable ASCII as it is,
// every other byte as <hex>, so a failing comparison shows the codes.

#include <QByteArray>
#include <QString>

inline QString Shown(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes) {
        const auto b = quint8(c);
        if (b >= 0x20 && b < 0x7F)
            out += QLatin1Char(c);
        else
            out += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}
