#pragma once

// Bytes as a readable string for comparisons and failure messages:
// printable ASCII as it is, every other byte as \xNN, so a failing
// comparison shows the codes (ESC reads \x1b).

#include <QByteArray>
#include <QString>

inline QString printable(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = quint8(c);
        if (b >= 0x20 && b < 0x7F)
            out += QLatin1Char(c);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}
