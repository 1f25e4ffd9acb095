#include "PlatformChatHost.h"

#include <QFile>

#include "Platform.h"
#include "SoundPlayer.h"
#include "_Globals.h"

bool PlatformChatHost::playFile(const QString &path)
{
    return Platform::sound().play(path);
}

bool PlatformChatHost::takeMedia(const QString &)
{
    return false;
}

void PlatformChatHost::playEventSound(const QByteArray &label)
{
    PlayEventSound(label);
}

void PlatformChatHost::fetchMissingSound(const QByteArray &) {}

QString PlatformChatHost::appendToLog(const QString &fileName, const QByteArray &text)
{
    QFile log(fileName);
    if (log.open(QIODevice::Append) && log.write(text) == text.size() && log.flush())
        return {};
    return QStringLiteral("Cannot write the chat log %1: %2").arg(fileName, log.errorString());
}
