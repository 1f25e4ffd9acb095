#pragma once

// One FTP client: anonymous login, binary transfers, one operation at a
// time (a folder's name list, a download into a file, an upload from a
// file). Each operation runs on a worker thread of its own with libcurl and
// reports back through the event loop, so the window thread never waits on
// the network. A download is written to a hidden temporary file beside its
// target and renamed into place only when it is complete; a failed or
// aborted one leaves nothing behind.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class FtpClient : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { Done, LoginDenied, ConnectFailed, Failed };
    Q_ENUM(Outcome)

    struct Site
    {
        QString host;
        int port = 21;
    };

    explicit FtpClient(QObject *parent = nullptr);
    // Aborts what runs and waits for its thread.
    ~FtpClient() override;

    // An operation is running.
    bool busy() const { return m_current != nullptr; }

    // Folders use "/" between their parts ("Media", "Media/Rock", "Incoming").
    // Remote names travel as their Latin-1 bytes, as the chat carries them.
    // Each answers false, starting nothing, while busy or when the names
    // cannot be used.
    bool list(const Site &site, const QString &folder);
    bool download(const Site &site, const QString &folder, const QString &name,
                  const QString &localPath);
    bool upload(const Site &site, const QString &folder, const QString &localPath,
                const QString &remoteName);

    // Ends the running operation at once: nothing more is reported for it and
    // its temporary file is removed when its thread has let go of it.
    void abort();

    // What the last failed operation said (libcurl's text).
    QString lastError() const { return m_lastError; }

    // A download larger than this fails, its partial file removed.
    static constexpr qint64 MaxDownloadBytes = 64 * 1024 * 1024;
    // A listing larger than this fails.
    static constexpr qint64 MaxListingBytes = 4 * 1024 * 1024;

    // The prefix of the temporary files of downloads.
    static QString temporaryPrefix() { return QStringLiteral(".vtdl-"); }

    // The state of one operation, shared with its thread.
    struct Job;
    bool isCurrent(const Job *job) const { return m_current.get() == job; }

signals:
    void progress(qint64 done, qint64 total);
    // After list(): the names, one per line of the listing.
    void listed(const QList<QByteArray> &names);
    void finished(FtpClient::Outcome outcome);

private:
    bool launch(std::shared_ptr<Job> job);
    // Holds the job by value: it is read after it has left m_jobs.
    void jobEnded(std::shared_ptr<Job> job, int code, const QString &error);

    std::shared_ptr<Job> m_current;
    std::vector<std::shared_ptr<Job>> m_jobs;   // running or not yet joined
    QString m_lastError;
};

Q_DECLARE_METATYPE(FtpClient::Outcome)
