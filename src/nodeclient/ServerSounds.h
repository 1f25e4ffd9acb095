#pragma once

// Sounds a node server names: played from the media folder when the file is
// there, otherwise fetched over HTTP from the service's sound folder into
// the media folder and played when the fetch succeeds. One fetch at a time;
// a request while one runs is dropped. Only wave files are played, and a
// sound already playing is not cut off.
//
// Names come from the server and are used only when they are plain file
// names (no separator, no "..", not absolute); a fetch that fails leaves no
// partial file behind.

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

#include <QNetworkReply>

class QNetworkAccessManager;

class ServerSounds : public QObject
{
    Q_OBJECT
public:
    explicit ServerSounds(QObject *parent = nullptr);
    ~ServerSounds() override;

    // The folder sounds are kept in, ending in "/".
    void setMediaDir(const QString &dir) { m_mediaDir = dir; }
    QString mediaDir() const { return m_mediaDir; }
    // Sounds are fetched from this URL followed by the file name.
    void setBaseUrl(const QUrl &url) { m_baseUrl = url; }
    QUrl baseUrl() const { return m_baseUrl; }
    // "http://" + host + "/Sounds/"
    static QUrl soundBaseUrl(const QByteArray &host);

    void PlayServerSound(const QByteArray &fileName);
    void FetchSound(const QByteArray &fileName);
    bool busy() const { return m_reply != nullptr; }

    // Plays the file when its name, in upper case, contains ".WAV" and no
    // other sound is playing; true when it started.
    static bool PlaySoundFile(const QString &path);

    // A fetched file larger than this is a failed fetch.
    static constexpr qint64 MaxFileSize = 32 * 1024 * 1024;

signals:
    // After every fetch, with the file it was written to.
    void fetchFinished(bool ok, const QString &path);
    // A fetch was not started: what fetches may take of the disk is used up.
    void fetchRefused(const QString &reason);

private:
    void onReadyRead();
    void onFinished();
    void fail();

    QString m_mediaDir;
    QUrl m_baseUrl;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QFile> m_file;
    qint64 m_written = 0;
    bool m_failed = false;
};
