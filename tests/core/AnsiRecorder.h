#pragma once

// Installs every handler of a screen engine or drawing decoder and records
// what was raised, one line per event, so that tests compare plain lists.

#include <QByteArray>
#include <QStringList>

#include "Ansi.h"
#include "Printable.h"

inline QString rectText(const TAnsiRect &r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom);
}

struct AnsiRecorder
{
    QStringList events;

    void install(TAnsi &ansi)
    {
        ansi.OnResourcePicture = [this](const TAnsiRect &r, const QByteArray &t) {
            events << "picture " + rectText(r) + " " + printable(t);
        };
        ansi.OnListPicture = [this](const TAnsiRect &r, int n) {
            events << "list " + rectText(r) + " " + QString::number(n);
        };
        ansi.OnSound = [this](const QByteArray &t) { events << "sound " + printable(t); };
        ansi.OnSurfaceText = [this](const TAnsiRect &r, const QByteArray &t) {
            events << "text " + rectText(r) + " " + printable(t);
        };
        ansi.OnButton = [this](const TAnsiRect &r, int a, int b, const QByteArray &t) {
            events << QStringLiteral("button %1 %2 %3 %4").arg(rectText(r)).arg(a).arg(b).arg(printable(t));
        };
        ansi.OnRefresh = [this] { events << "refresh"; };
        ansi.OnReport = [this](const QByteArray &t) { events << "report " + printable(t); };
        ansi.OnFailure = [this](const QString &m) { events << "failure " + m; };
        ansi.ShowMessage = [this](const QByteArray &t) { events << "message " + printable(t); };
        ansi.OnBeep = [this] { events << "beep"; };
    }

    void install(TLAnsi &lansi)
    {
        lansi.OnArtistChange = [this](int a) { events << "artist " + QString::number(a); };
        lansi.OnGauge = [this](int n) { events << "gauge " + QString::number(n); };
        lansi.OnStatusText = [this](const QByteArray &t) { events << "status " + printable(t); };
        lansi.OnSurfaceText = [this](const TAnsiRect &r, const QByteArray &t) {
            events << "text " + rectText(r) + " " + printable(t);
        };
        lansi.OnBeep = [this] { events << "beep"; };
    }
};
