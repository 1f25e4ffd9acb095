#pragma once

// The logged-in lobby's chat host: a media file the chat names plays in the
// media manager, and a missing sound is fetched from the server's media
// folder; everything else is the desktop's (PlatformChatHost).

#include "PlatformChatHost.h"

class TMediaManager;
class TMediaTransfers;

class MediaChatHost : public PlatformChatHost
{
public:
    MediaChatHost(TMediaTransfers &transfers, TMediaManager &media);

    bool takeMedia(const QString &path) override;
    void fetchMissingSound(const QByteArray &fileName) override;

private:
    TMediaTransfers &m_transfers;
    TMediaManager &m_media;
};
