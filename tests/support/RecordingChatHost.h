#pragma once

// A chat host that carries out nothing and remembers what the renderer
// asked of it, in order.

#include <QByteArrayList>
#include <QStringList>

#include "ChatHost.h"

class RecordingChatHost : public ChatHost
{
public:
    bool playFile(const QString &path) override
    {
        played << path;
        return playStarts;
    }
    bool takeMedia(const QString &path) override
    {
        if (!takesMedia)
            return false;
        media << path;
        return true;
    }
    void playEventSound(const QByteArray &label) override { events << label; }
    void fetchMissingSound(const QByteArray &fileName) override { fetched << fileName; }
    QString appendToLog(const QString &fileName, const QByteArray &text) override
    {
        logFiles << fileName;
        logged += text;
        return logError;
    }

    void clear()
    {
        played.clear();
        media.clear();
        events.clear();
        fetched.clear();
        logFiles.clear();
        logged.clear();
    }

    bool playStarts = true;   // what playFile answers
    bool takesMedia = false;  // whether media files go to `media` instead of playFile
    QString logError;         // what appendToLog answers

    QStringList played;
    QStringList media;
    QByteArrayList events;
    QByteArrayList fetched;
    QStringList logFiles;     // one entry per append
    QByteArray logged;        // everything appended, joined
};
