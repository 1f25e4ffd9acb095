#pragma once

// Installs every handler of a screen engine or drawing decoder and records
// what was raised, one line per event, so that tests compare plain lists.

#include <QByteArray>
#include <QStringList>

#include "Ansi.h"

inline QString rectText(const TAnsiRect &r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom);
}

inline QString bytesText(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes) {
        const uchar u = uchar(c);
        if (u < 0x20 || u >= 0x7F)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return out;
}

struct AnsiRecorder
{
    QStringList events;

    void install(TAnsi &ansi)
    {
        ansi.OnResourcePicture = [this](const TAnsiRect &r, const QByteArray &t) {
            events << "picture " + rectText(r) + " " + bytesText(t);
        };
        ansi.OnListPicture = [this](const TAnsiRect &r, int n) {
            events << "list " + rectText(r) + " " + QString::number(n);
        };
        ansi.OnSound = [this](const QByteArray &t) { events << "sound " + bytesText(t); };
        ansi.OnSurfaceText = [this](const TAnsiRect &r, const QByteArray &t) {
            events << "text " + rectText(r) + " " + bytesText(t);
        };
        ansi.OnButton = [this](const TAnsiRect &r, int a, int b, const QByteArray &t) {
            events << QStringLiteral("button %1 %2 %3 %4").arg(rectText(r)).arg(a).arg(b).arg(bytesText(t));
        };
        ansi.OnRefresh = [this] { events << "refresh"; };
        ansi.OnReport = [this](const QByteArray &t) { events << "report " + bytesText(t); };
        ansi.OnFailure = [this](const QString &m) { events << "failure " + m; };
        ansi.ShowMessage = [this](const QByteArray &t) { events << "message " + bytesText(t); };
        ansi.OnBeep = [this] { events << "beep"; };
    }

    void install(TLAnsi &lansi)
    {
        lansi.OnArtistChange = [this](int a) { events << "artist " + QString::number(a); };
        lansi.OnGauge = [this](int n) { events << "gauge " + QString::number(n); };
        lansi.OnStatusText = [this](const QByteArray &t) { events << "status " + bytesText(t); };
        lansi.OnSurfaceText = [this](const TAnsiRect &r, const QByteArray &t) {
            events << "text " + rectText(r) + " " + bytesText(t);
        };
        lansi.OnBeep = [this] { events << "beep"; };
    }
};
