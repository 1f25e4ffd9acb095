#include "HttpGetter.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>

#include <cstdio>

#include "FetchBudget.h"
#include "FtpClient.h"

HttpGetter::HttpGetter(QObject *parent)
    : QObject(parent)
    , m_net(new QNetworkAccessManager(this))
{
}

HttpGetter::~HttpGetter()
{
    abort();
}

bool HttpGetter::get(const QUrl &url, const QString &localPath)
{
    if (busy() || !url.isValid()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || !FetchBudget::refusal(QFileInfo(localPath).absolutePath()).isEmpty())
        return false;
    auto *temp = new QTemporaryFile(QFileInfo(localPath).absolutePath() + QLatin1Char('/')
                                        + FtpClient::temporaryPrefix() + QStringLiteral("XXXXXX.part"),
                                    this);
    temp->setAutoRemove(true);
    if (!temp->open()) {
        delete temp;
        return false;
    }
    m_file = temp;
    m_target = localPath;
    m_failed = false;
    QNetworkRequest request(url);
    request.setTransferTimeout(60000);
    m_reply = m_net->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpGetter::readBody);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        emit progress(received, total);
    });
    connect(m_reply, &QNetworkReply::finished, this, &HttpGetter::done);
    return true;
}

void HttpGetter::readBody()
{
    if (!m_reply || !m_file || m_failed)
        return;
    const QByteArray data = m_reply->readAll();
    if (m_file->size() + data.size() > MaxBytes
        || !FetchBudget::take(data.size(), QFileInfo(m_target).absolutePath())
        || m_file->write(data) != data.size()) {
        m_failed = true;
        m_reply->abort();
    }
}

void HttpGetter::done()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    readBody();
    const bool ok = !m_failed && reply->error() == QNetworkReply::NoError;
    bool placed = false;
    if (ok && m_file->flush()) {
        auto *temp = static_cast<QTemporaryFile *>(m_file);
        const QString tempPath = temp->fileName();
        temp->close();
        placed = std::rename(QFile::encodeName(tempPath).constData(),
                             QFile::encodeName(m_target).constData()) == 0;
        if (placed)
            temp->setAutoRemove(false);
    }
    cleanUp();
    emit finished(placed);
}

void HttpGetter::abort()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->abort();
    cleanUp();
}

void HttpGetter::cleanUp()
{
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->deleteLater();
    }
    m_reply = nullptr;
    delete m_file;   // removes the temporary file unless it was renamed
    m_file = nullptr;
}
