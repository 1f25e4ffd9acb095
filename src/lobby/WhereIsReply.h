#pragma once

// The lobby's answer when somebody asks where its user is: the user's own
// "Information" text, the time line, the version, and, unless the user hides
// it, the titles of the suite's and the known game windows open on the
// desktop.

#include <QByteArray>
#include <QList>
#include <QString>

#include "WindowLister.h"

struct WhereIsReply
{
    QByteArray text;              // every line ended by CR LF
    bool gameWindowFound = false; // a window of "Age of Empires" is open

    // `information` is the box's text (lines separated by "\n"); `timeText`
    // the current time in the desktop's long format; `hideWhereabouts`
    // leaves the window walk out.
    static WhereIsReply Build(const QString &information, const QByteArray &userName,
                              const QString &timeText, bool hideWhereabouts,
                              const QList<TopLevelWindow> &windows);

    // Titles and class names are read up to this many characters.
    static constexpr int MaxNameLength = 144;
};
