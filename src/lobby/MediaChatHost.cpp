#include "MediaChatHost.h"

#include "MediaManager.h"
#include "MediaTransfers.h"

MediaChatHost::MediaChatHost(TMediaTransfers &transfers, TMediaManager &media)
    : m_transfers(transfers)
    , m_media(media)
{
}

bool MediaChatHost::takeMedia(const QString &path)
{
    m_media.PlayDownloaded(path);
    return true;
}

void MediaChatHost::fetchMissingSound(const QByteArray &fileName)
{
    m_transfers.FetchMedia(fileName);
}
