#pragma once

// What the chat renderer asks of the program it runs in. The renderer
// decides which sound a chat line names and what it shows; playing,
// fetching and writing the log are the host's. PlatformChatHost (in
// platform/) is the desktop's; a test gives the session one that records.

#include <QByteArray>
#include <QString>

class ChatHost
{
public:
    virtual ~ChatHost() = default;

    // Starts a wave file without waiting for a busy device; true when it started.
    virtual bool playFile(const QString &path) = 0;
    // A sound or media file on disk that the chat named, for the host to
    // play its own way; false when the host leaves it to playFile.
    virtual bool takeMedia(const QString &path) = 0;
    // An event of the chat: "Look", "Here", "Away", "NewArrival", "PersonExits".
    virtual void playEventSound(const QByteArray &label) = 0;
    // A grave-accent sound that is not in the media folder.
    virtual void fetchMissingSound(const QByteArray &fileName) = 0;
    // Appends shown text to the chat log; empty when it was written, else why not.
    virtual QString appendToLog(const QString &fileName, const QByteArray &text) = 0;
};
