#include "ServerSounds.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "ByteText.h"
#include "ChatAnsi.h"
#include "FetchBudget.h"
#include "Platform.h"
#include "SoundPlayer.h"

ServerSounds::ServerSounds(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
}

ServerSounds::~ServerSounds()
{
    if (m_reply) {
        // Going away in the middle of a fetch: the file is incomplete.
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        if (m_file) {
            m_file->close();
            m_file->remove();
        }
    }
}

QUrl ServerSounds::soundBaseUrl(const QByteArray &host)
{
    return QUrl(QStringLiteral("http://") + DisplayText(host) + QStringLiteral("/Sounds/"));
}

bool ServerSounds::PlaySoundFile(const QString &path)
{
    if (!path.toUpper().contains(QLatin1String(".WAV")))
        return false;
    SoundPlayer &player = Platform::sound();
    if (player.isPlaying())
        return false;
    return player.play(path);
}

void ServerSounds::PlayServerSound(const QByteArray &fileName)
{
    if (!TDispAnsi::IsPlainFileName(fileName))
        return;
    const QString path = m_mediaDir + DisplayText(fileName);
    if (QFileInfo::exists(path))
        PlaySoundFile(path);
    else
        FetchSound(fileName);
}

void ServerSounds::FetchSound(const QByteArray &fileName)
{
    if (busy() || !TDispAnsi::IsPlainFileName(fileName) || m_mediaDir.isEmpty())
        return;
    if (const QString refusal = FetchBudget::refusal(m_mediaDir); !refusal.isEmpty()) {
        emit fetchRefused(refusal);
        return;
    }
    const QString path = m_mediaDir + DisplayText(fileName);
    QDir().mkpath(m_mediaDir);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        emit fetchFinished(false, path);
        return;
    }
    m_file = std::move(file);
    m_written = 0;
    m_failed = false;

    QUrl url = m_baseUrl;
    url.setPath(url.path() + DisplayText(fileName));
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &ServerSounds::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &ServerSounds::onFinished);
}

void ServerSounds::onReadyRead()
{
    if (!m_reply || m_failed)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200) {
        // An error page is not the sound.
        m_failed = true;
        m_reply->abort();
        return;
    }
    const QByteArray data = m_reply->readAll();
    m_written += data.size();
    if (m_written > MaxFileSize || !FetchBudget::take(data.size(), m_mediaDir)
        || m_file->write(data) != data.size()) {
        m_failed = true;
        m_reply->abort();
    }
}

void ServerSounds::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    if (!m_failed)
        onReadyRead();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = !m_failed && reply->error() == QNetworkReply::NoError && status == 200;
    m_reply = nullptr;
    reply->deleteLater();
    const QString path = m_file->fileName();
    if (ok && m_file->flush()) {
        m_file->close();
        m_file.reset();
        emit fetchFinished(true, path);
        PlaySoundFile(path);
        return;
    }
    m_file->close();
    m_file->remove();
    m_file.reset();
    emit fetchFinished(false, path);
}
