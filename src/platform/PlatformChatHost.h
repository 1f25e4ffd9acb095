#pragma once

// The desktop's chat host: sound files go to the platform's sound player
// (Platform::sound(), which a test may replace with a fake), event sounds
// to the program's sound scheme (PlayEventSound), the log to a file. It
// fetches nothing and takes no media file for itself; a window whose
// program does either derives from it.

#include "ChatHost.h"

class PlatformChatHost : public ChatHost
{
public:
    bool playFile(const QString &path) override;
    bool takeMedia(const QString &path) override;
    void playEventSound(const QByteArray &label) override;
    void fetchMissingSound(const QByteArray &fileName) override;
    QString appendToLog(const QString &fileName, const QByteArray &text) override;
};
