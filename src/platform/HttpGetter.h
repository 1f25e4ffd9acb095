#pragma once

// Fetches one URL over HTTP into a file, without blocking: the body goes to
// a hidden temporary file beside the target and is renamed into place only
// when the whole answer has arrived; a failed or aborted fetch leaves nothing.

#include <QObject>
#include <QNetworkReply>
#include <QPointer>
#include <QString>
#include <QUrl>

class QFile;
class QNetworkAccessManager;

class HttpGetter : public QObject
{
    Q_OBJECT
public:
    explicit HttpGetter(QObject *parent = nullptr);
    ~HttpGetter() override;

    bool busy() const { return m_reply != nullptr; }
    // False, starting nothing, while busy or when the file cannot be made.
    bool get(const QUrl &url, const QString &localPath);
    // Ends the fetch; nothing more is reported for it.
    void abort();

    // Bodies larger than this fail.
    static constexpr qint64 MaxBytes = 64 * 1024 * 1024;

signals:
    void progress(qint64 received, qint64 total);
    void finished(bool ok);

private:
    void readBody();
    void done();
    void cleanUp();

    QNetworkAccessManager *m_net = nullptr;
    QPointer<QNetworkReply> m_reply;
    QFile *m_file = nullptr;
    QString m_target;
    bool m_failed = false;
};
