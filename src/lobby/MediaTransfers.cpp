#include "MediaTransfers.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <utility>

#include "AppInfo.h"
#include "ByteText.h"
#include "ChatAnsi.h"
#include "FetchBudget.h"
#include "HttpGetter.h"

QString TransferHostName(bool vantoraOnly, const QString &serverName)
{
    return vantoraOnly ? DefaultServiceHost() : serverName;
}

ListingKind ClassifyListing(const QByteArray &name)
{
    const QByteArray upper = name.toUpper();
    // Positions count from 1: index 5 is position 6.
    const qsizetype mp = upper.indexOf(".MP");
    if (mp >= 5)
        return ListingKind::Song;
    const qsizetype a = upper.indexOf(".A");
    if (a >= 5)
        return ListingKind::Song;
    if (!name.contains('.') && !name.contains('-') && name.size() > 5)
        return ListingKind::Folder;
    return ListingKind::Ignored;
}

int TransferPercent(qint64 done, qint64 total)
{
    if (total <= 0)
        return 0;
    return int(100 - (total - std::min(done, total)) * 100 / total);
}

QString TimeLeftText(qint64 remaining)
{
    const qint64 minutes = remaining / 420000;
    QString text;
    if (minutes > 0)
        text = QString::number(minutes) + QStringLiteral(" Minutes ");
    return text + QString::number(remaining / 7000 - minutes * 60) + QStringLiteral(" Seconds Remaining");
}

QString BytesText(qint64 done, qint64 total)
{
    return QString::number(done) + QStringLiteral(" bytes of ") + QString::number(total)
           + QStringLiteral(" transferred");
}

// ---------------------------------------------------------------------------

TMediaTransfers::TMediaTransfers(TransferHost &host, TMediaManager &media, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_media(media)
    , m_http(new HttpGetter(this))
    , m_downloader(new FtpClient(this))
    , m_lister(new FtpClient(this))
{
    connect(m_http, &HttpGetter::progress, this, &TMediaTransfers::httpProgress);
    connect(m_http, &HttpGetter::finished, this, &TMediaTransfers::httpFinished);
    connect(m_downloader, &FtpClient::progress, this, &TMediaTransfers::downloadProgress);
    connect(m_downloader, &FtpClient::finished, this, &TMediaTransfers::downloadFinished);
    connect(m_lister, &FtpClient::listed, this, &TMediaTransfers::listerListed);
    connect(m_lister, &FtpClient::finished, this, &TMediaTransfers::listerFinished);
    connect(m_lister, &FtpClient::progress, this, &TMediaTransfers::uploadProgress);
}

TMediaTransfers::~TMediaTransfers() = default;

bool TMediaTransfers::DownloaderBusy() const { return m_downloader->busy(); }
bool TMediaTransfers::ListerBusy() const { return m_lister->busy(); }
bool TMediaTransfers::HttpBusy() const { return m_http->busy(); }

void TMediaTransfers::changed()
{
    m_host.transferViewChanged();
}

FtpClient::Site TMediaTransfers::site() const
{
    return {m_host.transferHost(), m_host.ftpPort()};
}

void TMediaTransfers::FetchMedia(const QByteArray &name)
{
    // Only a plain name of a file in the media folder.
    if (!TDispAnsi::IsPlainFileName(name))
        return;
    if (m_http->busy())
        return;
    const QString folder = m_media.Playlist.Folder;
    if (folder.isEmpty())
        return;
    if (const QString refusal = FetchBudget::refusal(folder); !refusal.isEmpty()) {
        m_host.chatNote(refusal);
        return;
    }
    QDir().mkpath(folder);
    m_httpFile = folder + DisplayText(name);
    m_host.sendLamps();
    const QByteArray upper = name.toUpper();
    if (upper.contains(".MP") || upper.contains(".A")) {
        FtpDownload(DisplayText(name));
        return;
    }
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(m_host.transferHost());
    url.setPort(m_host.httpPort());
    url.setPath(QStringLiteral("/Sound/") + DisplayText(name));
    if (!m_http->get(url, m_httpFile))
        m_httpFile.clear();
}

void TMediaTransfers::httpProgress(qint64 received, qint64 total)
{
    m_host.setStatus(BytesText(received, total));
    m_host.blinkLamp(TransferPercent(received, total));
}

QString TMediaTransfers::FetchFromPage(const QUrl &url, const QString &name)
{
    const QString folder = m_media.Playlist.Folder;
    if (!TDispAnsi::IsPlainFileName(ProtocolBytes(name)) || name.startsWith(QLatin1Char('.'))
        || folder.isEmpty() || m_http->busy())
        return QStringLiteral("Transfer Failed");
    // A page never replaces a file the user already has.
    if (QFileInfo::exists(folder + name))
        return QStringLiteral("Sorry !  ") + name + QStringLiteral(" is already in the media folder");
    QDir().mkpath(folder);
    m_httpFile = folder + name;
    m_httpFromPage = true;
    m_host.sendLamps();
    if (!m_http->get(url, m_httpFile)) {
        m_httpFile.clear();
        m_httpFromPage = false;
        return QStringLiteral("Transfer Failed");
    }
    return {};
}

void TMediaTransfers::httpFinished(bool ok)
{
    const QString file = m_httpFile;
    const bool fromPage = std::exchange(m_httpFromPage, false);
    m_httpFile.clear();
    if (fromPage) {
        // What the user asked a page for is kept, not played.
        if (!ok) {
            m_host.message(QStringLiteral("Transfer Failed"));
            return;
        }
        m_host.receiveLamps();
        emit fileArrived(file);
        m_host.setStatus(QFileInfo(file).fileName() + QStringLiteral(" is in the media folder"));
        m_host.refillLocalFiles();
        m_host.reloadPlayList();
        return;
    }
    if (!ok)
        return;   // the getter has left nothing behind
    m_host.receiveLamps();
    emit fileArrived(file);
    m_media.PlayMediaFile(file);
    m_host.refillLocalFiles();
}

void TMediaTransfers::FtpDownload(const QString &name)
{
    if (m_downloader->busy() || !m_host.enableFTP())
        return;
    if (!TDispAnsi::IsPlainFileName(ProtocolBytes(name)))
        return;
    if (View.files.isEmpty()) {
        // The list comes first; the download follows when the name is on it.
        m_pendingDownload = name;
        RefreshServerList(false);
        return;
    }
    bool listed = false;
    for (const ServerFile &file : View.files)
        listed |= file.name == name;
    if (!listed)
        return;

    View.downloadVisible = true;
    View.downloadPercent = 0;
    View.stopEnabled = true;
    View.label = QStringLiteral("Transfering ") + name;
    DownloadFile = m_media.Playlist.Folder + name;
    QDir().mkpath(m_media.Playlist.Folder);
    if (!m_downloader->download(site(), View.folder, name, DownloadFile)) {
        hideDownload();
        m_host.message(QStringLiteral("Transfer Failed"));
        return;
    }
    changed();
}

void TMediaTransfers::downloadProgress(qint64 done, qint64 total)
{
    View.labelHint = BytesText(done, total);
    const int percent = TransferPercent(done, total);
    if (percent != View.downloadPercent) {
        View.downloadPercent = percent;
        View.downloadHint = TimeLeftText(total - done);
        m_host.blinkLamp(percent);
    }
    changed();
}

void TMediaTransfers::hideDownload()
{
    View.downloadVisible = false;
    View.downloadPercent = 0;
    View.downloadHint.clear();
    View.label.clear();
    View.labelHint.clear();
    View.stopEnabled = false;
    changed();
}

void TMediaTransfers::downloadFinished(FtpClient::Outcome outcome)
{
    const QString file = DownloadFile;
    if (outcome != FtpClient::Outcome::Done) {
        hideDownload();
        m_host.message(outcome == FtpClient::Outcome::LoginDenied
                           ? QStringLiteral("FTP Authentication Failed")
                           : QStringLiteral("Transfer Failed"));
        return;
    }
    View.label.clear();
    View.labelHint.clear();
    emit fileArrived(file);
    m_host.reloadPlayList();
    if (!m_media.ListMode && (m_host.autoPlayDL() || !m_media.PlayerBusy()))
        m_media.PlayMediaFile(file);
    m_host.refillLocalFiles();
    m_host.reloadPlayList();
    hideDownload();
}

void TMediaTransfers::StopTransfer()
{
    m_pendingDownload.clear();
    // The downloader drops its temporary file; a complete file stays.
    m_downloader->abort();
    hideDownload();
}

void TMediaTransfers::StopAll()
{
    StopTransfer();
    m_lister->abort();
    m_http->abort();
    m_httpFile.clear();
    m_httpFromPage = false;
    m_uploading = false;
    View.listing = false;
    View.uploadVisible = false;
    changed();
}

void TMediaTransfers::RefreshServerList(bool userAsked)
{
    m_listAsked = userAsked;
    m_lister->abort();
    m_uploading = false;
    View.uploadVisible = false;
    m_host.savePlayList();
    View.files.clear();
    View.filesListed.clear();
    View.listing = m_lister->list(site(), View.folder);
    if (!View.listing) {
        m_pendingDownload.clear();
        m_host.message(QStringLiteral("Get File List Failed"));
    }
    changed();
}

void TMediaTransfers::SelectFolder(const QString &folder)
{
    if (!View.folders.contains(folder))
        return;
    View.folder = folder;
    RefreshServerList();
}

void TMediaTransfers::ResetFolders()
{
    View.folders = {QStringLiteral("Media")};
    View.folder = View.folders.first();
    changed();
}

void TMediaTransfers::listerListed(const QList<QByteArray> &names)
{
    for (const QByteArray &line : names) {
        if (!TDispAnsi::IsPlainFileName(line))
            continue;
        const QString name = DisplayText(line);
        if (m_media.Playlist.HasName(name))
            continue;
        switch (ClassifyListing(line)) {
        case ListingKind::Song:
            View.files.append({name, 1});
            break;
        case ListingKind::Folder: {
            const QString folder = QStringLiteral("Media/") + name;
            if (!View.folders.contains(folder))
                View.folders << folder;
            break;
        }
        case ListingKind::Ignored:
            break;
        }
        View.filesListed = QString::number(View.files.size()) + QStringLiteral(" Files Listed");
    }
    changed();
}

void TMediaTransfers::listerFinished(FtpClient::Outcome outcome)
{
    const bool upload = m_uploading;
    m_uploading = false;
    View.listing = false;
    if (upload) {
        View.uploadVisible = false;
        View.uploadPercent = 0;
        changed();
        if (outcome == FtpClient::Outcome::LoginDenied)
            m_host.message(QStringLiteral("FTP Authentication Failed"));
        else if (outcome == FtpClient::Outcome::ConnectFailed)
            m_host.message(QStringLiteral("FTP Connection Failed"));
        else if (outcome != FtpClient::Outcome::Done)
            m_host.message(QStringLiteral("Upload Transfer Failed"));
        return;
    }
    changed();
    const QString pending = m_pendingDownload;
    m_pendingDownload.clear();
    switch (outcome) {
    case FtpClient::Outcome::Done:
        if (!pending.isEmpty() && !View.files.isEmpty())
            FtpDownload(pending);
        break;
    case FtpClient::Outcome::LoginDenied:
        listFailed(QStringLiteral("FTP Authentication Failed"));
        break;
    case FtpClient::Outcome::ConnectFailed:
        listFailed(QStringLiteral("FTP Connection Failed"));
        break;
    case FtpClient::Outcome::Failed:
        listFailed(QStringLiteral("Get File List Failed"));
        break;
    }
}

void TMediaTransfers::listFailed(const QString &text)
{
    if (m_listAsked) {
        m_host.message(text);
        return;
    }
    // Nobody asked for this list: say where it was looked for and which
    // setting names the port, and leave the user undisturbed.
    m_host.chatNote(QStringLiteral("%1: %2 port %3 (the FtpPort setting)")
                      .arg(text, m_host.transferHost())
                      .arg(m_host.ftpPort()));
}

void TMediaTransfers::DownloadOnRequest(int row)
{
    if (m_downloader->busy())
        return;
    m_host.savePlayList();
    m_host.pressEnableFTP();
    if (row < 0 || row >= View.files.size())
        return;
    m_host.sendChatText("`" + ProtocolBytes(View.files.at(row).name));
    View.files[row].icon = 2;
    changed();
}

void TMediaTransfers::Upload(const QString &name)
{
    m_lister->abort();
    View.listing = false;
    m_uploading = false;
    UploadName = name;
    if (name.isEmpty() || m_lister->busy())
        return;
    View.uploadVisible = true;
    View.uploadPercent = 0;
    View.uploadHint.clear();
    m_uploading = m_lister->upload(site(), QStringLiteral("Incoming"),
                                   m_media.Playlist.Folder + name, name);
    if (!m_uploading) {
        View.uploadVisible = false;
        m_host.message(QStringLiteral("Upload Transfer Failed"));
    }
    changed();
}

void TMediaTransfers::uploadProgress(qint64 done, qint64 total)
{
    if (!m_uploading)
        return;
    const int percent = TransferPercent(done, total);
    if (percent != View.uploadPercent) {
        View.uploadPercent = percent;
        View.uploadHint = TimeLeftText(total - done);
        m_host.blinkLamp(percent);
    }
    changed();
}
