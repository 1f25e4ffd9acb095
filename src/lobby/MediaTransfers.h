#pragma once

// The lobby's file transfers without their widgets: fetching announced
// sounds and songs that the media folder lacks (HTTP for sounds, FTP for
// songs and videos), the service's song list with its sub-folders, downloads
// on request and uploads into "Incoming". All three clients work in the
// background; what the window shows of them is kept in TransferView and
// announced through TransferHost::transferViewChanged().

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "FtpClient.h"
#include "MediaManager.h"

class HttpGetter;
class QUrl;

class TransferHost : public MediaHost
{
public:
    // The host all transfers go to (the transfer host rule).
    virtual QString transferHost() const = 0;
    virtual int ftpPort() const = 0;
    virtual int httpPort() const = 0;
    // The first status panel.
    virtual void setStatus(const QString &text) = 0;
    virtual void sendLamps() = 0;
    virtual void receiveLamps() = 0;
    // Shape3 follows the parity of the percentage.
    virtual void blinkLamp(int percent) = 0;
    virtual void pressEnableFTP() = 0;
    virtual void refillLocalFiles() = 0;
    virtual void reloadPlayList() = 0;
    virtual void savePlayList() = 0;
    virtual void transferViewChanged() = 0;
    // One line in the chat view: a refused fetch, or a failure of what the
    // lobby did by itself, without asking the user (rather than a window to
    // dismiss).
    virtual void chatNote(const QString &text) = 0;
};

// The transfer host rule: the service's own host when "Always Use Vantora
// FTP" is checked, else the lobby's server name.
QString TransferHostName(bool vantoraOnly, const QString &serverName);

// What a line of the song list is.
enum class ListingKind { Ignored, Song, Folder };
// ".MP" or ".A" (upper case) from position 6 on is a song; a name longer
// than 5 characters without "." and "-" is a sub-folder.
ListingKind ClassifyListing(const QByteArray &name);

// 100 - (total - done) * 100 / total; 0 while the total is unknown.
int TransferPercent(qint64 done, qint64 total);
// The time left at 7000 bytes a second: "[M Minutes ]S Seconds Remaining".
QString TimeLeftText(qint64 remaining);
// done + " bytes of " + total + " transferred".
QString BytesText(qint64 done, qint64 total);

struct ServerFile
{
    QString name;
    int icon = 1;   // 2: downloaded on request
    bool operator==(const ServerFile &) const = default;
};

struct TransferView
{
    // The download gauge (Gauge2) and its label (Label9).
    bool downloadVisible = false;
    int downloadPercent = 0;
    QString downloadHint;
    QString label;
    QString labelHint;
    bool stopEnabled = false;
    // The upload gauge (Gauge3).
    bool uploadVisible = false;
    int uploadPercent = 0;
    QString uploadHint;
    // The song list (ListView1), its count (Label10) and the folder box (ComboBox2).
    QList<ServerFile> files;
    QString filesListed;
    QStringList folders = {QStringLiteral("Media")};
    QString folder = QStringLiteral("Media");
    // The lister is connected (hourglass over the list).
    bool listing = false;
};

class TMediaTransfers : public QObject
{
    Q_OBJECT
public:
    TMediaTransfers(TransferHost &host, TMediaManager &media, QObject *parent = nullptr);
    ~TMediaTransfers() override;

    TransferView View;
    // The local path of the download in progress.
    QString DownloadFile;
    QString UploadName;

    // The renderer's hook for an announced file the media folder lacks.
    void FetchMedia(const QByteArray &name);
    // A download a web page asked for: fetched over HTTP into the media
    // folder under `name`, which must be plain and not there yet. Empty
    // when it started, otherwise the message for the user.
    QString FetchFromPage(const QUrl &url, const QString &name);
    // Downloads a song of the list (the conditions are checked here).
    void FtpDownload(const QString &name);
    // "Stop FileTransfer / Reset Downloader".
    void StopTransfer();
    // Ends everything that runs (closing).
    void StopAll();
    // "Refresh List", a change of folder, the first visit of the page.
    // `userAsked`: the user pressed for it, and a failure gets a message
    // box; otherwise (the page opened, a song is fetched) a notice.
    void RefreshServerList(bool userAsked = true);
    void SelectFolder(const QString &folder);
    // The folder box back to its one entry "Media".
    void ResetFolders();
    // A double click on a row of the song list.
    void DownloadOnRequest(int row);
    // "Upload Hilighted Item".
    void Upload(const QString &name);

    bool DownloaderBusy() const;
    bool ListerBusy() const;
    bool HttpBusy() const;

    FtpClient &downloader() { return *m_downloader; }
    FtpClient &lister() { return *m_lister; }

signals:
    // A fetch or download has put a file into the media folder.
    void fileArrived(const QString &path);

private:
    void changed();
    FtpClient::Site site() const;
    void httpProgress(qint64 received, qint64 total);
    void httpFinished(bool ok);
    void downloadProgress(qint64 done, qint64 total);
    void downloadFinished(FtpClient::Outcome outcome);
    void listerListed(const QList<QByteArray> &names);
    void listerFinished(FtpClient::Outcome outcome);
    void listFailed(const QString &text);
    void uploadProgress(qint64 done, qint64 total);
    void hideDownload();

    TransferHost &m_host;
    TMediaManager &m_media;
    HttpGetter *m_http = nullptr;
    FtpClient *m_downloader = nullptr;       // NMFTP1
    FtpClient *m_lister = nullptr;           // NMFTP2: lists and uploads
    QString m_httpFile;
    bool m_httpFromPage = false;             // the fetch is a page's download
    bool m_uploading = false;
    bool m_listAsked = true;   // the list under way was asked for by the user
    QString m_pendingDownload;               // waits for the list to arrive
};
