#include "FtpClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <curl/curl.h>

#include "FetchBudget.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A host name or address as typed: letters, digits, ".", "-", "_".
bool plainHost(const QString &host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    for (QChar c : host) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('.')
            && c != QLatin1Char('-') && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

bool plainPart(const QString &part)
{
    return !part.isEmpty() && part != QLatin1String(".") && !part.contains(QLatin1String(".."))
           && !part.contains(QLatin1Char('/')) && !part.contains(QLatin1Char('\\'))
           && !part.contains(QChar(0));
}

// "ftp://host:port/" + each part escaped; folders end in "/".
QByteArray ftpUrl(const FtpClient::Site &site, const QString &folder, const QString &name)
{
    if (!plainHost(site.host) || site.port <= 0 || site.port > 65535)
        return {};
    QByteArray url = "ftp://" + site.host.toLatin1() + ':' + QByteArray::number(site.port) + '/';
    const QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!plainPart(part))
            return {};
        url += part.toLatin1().toPercentEncoding() + '/';
    }
    if (!name.isEmpty()) {
        if (!plainPart(name))
            return {};
        url += name.toLatin1().toPercentEncoding();
    }
    return url;
}

} // namespace

struct FtpClient::Job
{
    enum Kind { List, Download, Upload } kind = List;
    QByteArray url;
    QString localPath;     // download target or upload source
    QString tempPath;      // download: where the bytes go until complete
    std::atomic<bool> stop{false};
    std::atomic<bool> detached{false};
    std::thread thread;
    QByteArray listing;    // worker-owned until the end is reported
    FILE *file = nullptr;
    qint64 written = 0;    // download: bytes in the file so far
    QString folder;        // download: the folder the file goes to
    qint64 lastDone = -1;
    FtpClient *owner = nullptr;   // outlives the thread: its destructor joins
};

namespace {

size_t writeListing(char *data, size_t size, size_t count, void *user)
{
    auto *job = static_cast<FtpClient::Job *>(user);
    const size_t bytes = size * count;
    if (job->listing.size() + qint64(bytes) > FtpClient::MaxListingBytes)
        return 0;
    job->listing.append(data, qsizetype(bytes));
    return bytes;
}

size_t writeFile(char *data, size_t size, size_t count, void *user)
{
    auto *job = static_cast<FtpClient::Job *>(user);
    const auto bytes = qint64(size * count);
    // Too big, or past what fetches may take of the disk: the download fails
    // and its partial file goes.
    if (job->written + bytes > FtpClient::MaxDownloadBytes
        || !FetchBudget::take(bytes, job->folder))
        return 0;
    job->written += bytes;
    return std::fwrite(data, size, count, job->file) * size;
}

size_t readFile(char *data, size_t size, size_t count, void *user)
{
    auto *job = static_cast<FtpClient::Job *>(user);
    return std::fread(data, size, count, job->file) * size;
}

int onProgress(void *user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow)
{
    auto *job = static_cast<FtpClient::Job *>(user);
    if (job->stop.load())
        return 1;
    const bool up = job->kind == FtpClient::Job::Upload;
    const qint64 done = up ? ulNow : dlNow;
    const qint64 total = up ? ulTotal : dlTotal;
    if (done != job->lastDone && job->kind != FtpClient::Job::List) {
        job->lastDone = done;
        FtpClient *owner = job->owner;
        QMetaObject::invokeMethod(owner, [owner, job, done, total] {
            // An aborted operation reports nothing more.
            if (owner->isCurrent(job))
                emit owner->progress(done, total);
        }, Qt::QueuedConnection);
    }
    return 0;
}

} // namespace

FtpClient::FtpClient(QObject *parent)
    : QObject(parent)
{
    initCurlOnce();
    qRegisterMetaType<FtpClient::Outcome>();
}

FtpClient::~FtpClient()
{
    for (auto &job : m_jobs) {
        job->detached = true;
        job->stop = true;
    }
    for (auto &job : m_jobs) {
        if (job->thread.joinable())
            job->thread.join();
        if (!job->tempPath.isEmpty())
            QFile::remove(job->tempPath);
    }
}

bool FtpClient::list(const Site &site, const QString &folder)
{
    auto job = std::make_shared<Job>();
    job->kind = Job::List;
    job->url = ftpUrl(site, folder, QString());
    return launch(job);
}

bool FtpClient::download(const Site &site, const QString &folder, const QString &name,
                         const QString &localPath)
{
    if (busy())
        return false;
    auto job = std::make_shared<Job>();
    job->kind = Job::Download;
    job->url = ftpUrl(site, folder, name);
    job->localPath = localPath;
    job->folder = QFileInfo(localPath).absolutePath();
    if (job->url.isEmpty() || !FetchBudget::refusal(job->folder).isEmpty())
        return false;
    QTemporaryFile temp(QFileInfo(localPath).absolutePath() + QLatin1Char('/') + temporaryPrefix()
                        + QStringLiteral("XXXXXX.part"));
    temp.setAutoRemove(false);
    if (!temp.open())
        return false;
    job->tempPath = temp.fileName();
    temp.close();
    job->file = std::fopen(QFile::encodeName(job->tempPath).constData(), "wb");
    if (!job->file) {
        QFile::remove(job->tempPath);
        return false;
    }
    return launch(job);
}

bool FtpClient::upload(const Site &site, const QString &folder, const QString &localPath,
                       const QString &remoteName)
{
    if (busy())
        return false;
    auto job = std::make_shared<Job>();
    job->kind = Job::Upload;
    job->url = ftpUrl(site, folder, remoteName);
    job->localPath = localPath;
    if (job->url.isEmpty() || !QFileInfo(localPath).isFile())
        return false;
    job->file = std::fopen(QFile::encodeName(localPath).constData(), "rb");
    if (!job->file)
        return false;
    return launch(job);
}

bool FtpClient::launch(std::shared_ptr<Job> job)
{
    if (busy() || job->url.isEmpty()) {
        if (job->file)
            std::fclose(job->file);
        if (!job->tempPath.isEmpty())
            QFile::remove(job->tempPath);
        return false;
    }
    job->owner = this;
    const qint64 uploadSize = job->kind == Job::Upload ? QFileInfo(job->localPath).size() : 0;
    m_current = job;
    m_jobs.push_back(job);
    Job *raw = job.get();
    job->thread = std::thread([raw, uploadSize] {
        CURL *curl = curl_easy_init();
        CURLcode code = CURLE_FAILED_INIT;
        char error[CURL_ERROR_SIZE] = {0};
        if (curl) {
            curl_easy_setopt(curl, CURLOPT_URL, raw->url.constData());
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
            curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
            curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
            curl_easy_setopt(curl, CURLOPT_FTP_RESPONSE_TIMEOUT, 30L);
            // A transfer that stalls for a minute has failed.
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
            curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
            curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
            curl_easy_setopt(curl, CURLOPT_XFERINFODATA, raw);
            switch (raw->kind) {
            case Job::List:
                curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 1L);
                curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeListing);
                curl_easy_setopt(curl, CURLOPT_WRITEDATA, raw);
                break;
            case Job::Download:
                curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeFile);
                curl_easy_setopt(curl, CURLOPT_WRITEDATA, raw);
                break;
            case Job::Upload:
                curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
                curl_easy_setopt(curl, CURLOPT_READFUNCTION, readFile);
                curl_easy_setopt(curl, CURLOPT_READDATA, raw);
                curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(uploadSize));
                break;
            }
            code = curl_easy_perform(curl);
            curl_easy_cleanup(curl);
        }
        if (raw->file) {
            if (std::fclose(raw->file) != 0 && code == CURLE_OK)
                code = CURLE_WRITE_ERROR;
            raw->file = nullptr;
        }
        const QString text = QString::fromLocal8Bit(error[0] ? error : curl_easy_strerror(code));
        FtpClient *owner = raw->owner;
        QMetaObject::invokeMethod(owner, [owner, raw, code, text] {
                for (const auto &job : owner->m_jobs)
                    if (job.get() == raw) {
                        // jobEnded() takes its own reference: it drops the
                        // job from m_jobs, which ends this element.
                        owner->jobEnded(job, int(code), text);
                        return;
                    }
            }, Qt::QueuedConnection);
    });
    return true;
}

void FtpClient::jobEnded(std::shared_ptr<Job> job, int code, const QString &error)
{
    if (job->thread.joinable())
        job->thread.join();
    const bool reported = !job->detached.load();
    if (m_current == job)
        m_current.reset();

    Outcome outcome = Outcome::Done;
    switch (CURLcode(code)) {
    case CURLE_OK: break;
    case CURLE_LOGIN_DENIED: outcome = Outcome::LoginDenied; break;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_URL_MALFORMAT:
        outcome = Outcome::ConnectFailed;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        outcome = job->lastDone < 0 ? Outcome::ConnectFailed : Outcome::Failed;
        break;
    default: outcome = Outcome::Failed; break;
    }

    if (job->kind == Job::Download) {
        bool placed = false;
        if (outcome == Outcome::Done && reported)
            placed = std::rename(QFile::encodeName(job->tempPath).constData(),
                                 QFile::encodeName(job->localPath).constData()) == 0;
        if (!placed)
            QFile::remove(job->tempPath);
        if (outcome == Outcome::Done && !placed)
            outcome = Outcome::Failed;
    }
    std::erase(m_jobs, job);
    if (!reported)
        return;
    if (outcome != Outcome::Done)
        m_lastError = error;
    if (job->kind == Job::List && outcome == Outcome::Done) {
        QList<QByteArray> names;
        for (QByteArray line : job->listing.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                names << line;
        }
        emit listed(names);
    }
    emit finished(outcome);
}

void FtpClient::abort()
{
    if (!m_current)
        return;
    m_current->detached = true;
    m_current->stop = true;
    m_current.reset();
}
