#pragma once

// The lobby window's media side: the MediaManager page (play list, media
// folder, the service's song list, uploads), the video and browse pages, the
// media strip's buttons, the level meter and its sound input, and the chat
// renderer's hooks for announced files. The logic lives in TMediaManager and
// TMediaTransfers; this class shows their state in the window's controls.

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

#include "AudioIO.h"
#include "BrowsePage.h"
#include "MediaTransfers.h"

class QAudioOutput;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMediaPlayer;
class QProgressBar;
class QPushButton;
class QVideoWidget;
class TLobbyMainForm;
class ChatHost;
class MediaPlayer;
class SoundInput;

class TLobbyMedia : public QObject, public TransferHost, public BrowseHost
{
    Q_OBJECT
public:
    // `player` and `input` replace the real player and sound input (tests).
    TLobbyMedia(TLobbyMainForm &form, MediaPlayer *player = nullptr, SoundInput *input = nullptr);
    ~TLobbyMedia() override;

    std::unique_ptr<TMediaManager> Media;
    std::unique_ptr<TMediaTransfers> Transfers;
    std::unique_ptr<TAudioIn> AudioIn1;

    // Sends chat with the user's prefixes; the lobby's chat console sets it.
    // Until then the text goes straight to the lobby connection.
    std::function<void(const QByteArray &text)> ChatSender;

    // MediaManager page.
    QLabel *LocalMediaLabel = nullptr;     // "Local  Media": the filter cycle
    QLineEdit *Edit2 = nullptr;            // the media folder
    QPushButton *btnBrowseFolder = nullptr;
    QPushButton *btnMyMusic = nullptr;
    QPushButton *btnNapster = nullptr;
    QPushButton *btnDefaultFolder = nullptr;
    QListWidget *Playlist = nullptr;
    QPushButton *btnPlayChecked = nullptr;
    QPushButton *btnPlayNext = nullptr;
    QPushButton *btnUpload = nullptr;
    QProgressBar *Gauge3 = nullptr;
    QListWidget *ListView1 = nullptr;
    QLabel *Label10 = nullptr;
    QPushButton *btnRefreshServer = nullptr;
    // Video page.
    QVideoWidget *VideoView = nullptr;
    QLineEdit *MovieURL = nullptr;
    QPushButton *btnLoad = nullptr;
    // Browse page.
    TBrowsePage *Browse = nullptr;

    // After the login dialog: the folder is known, the hooks are installed.
    void LoginDone();
    void SetMediaFolder(const QString &folder, bool refillLocal);
    void RefillLocalFiles();
    void ReloadPlayList();
    void SavePlayList();
    // One idle pass: the playing progress.
    void IdleStep();
    // Closing: the sound input and every transfer stop.
    void StopForClose();
    // The play-list column follows the page's width.
    void FitColumns();
    // The media page was shown: the song list comes on the first visit.
    void MediaPageShown();
    void LoadMovie();

    // The sound input's buffer handler: two bars from 16-bit stereo words.
    bool AudioIn1BufferFilled(const char *buffer, int size);
    // The picture the video page plays (created when first needed).
    QMediaPlayer *videoPlayer() const { return m_video; }

    // TransferHost
    bool soundOn() const override;
    bool externalPlayer() const override;
    bool autoPlayDL() const override;
    bool enableFTP() const override;
    void sendChatText(const QByteArray &text) override;
    void showBanner(const QStringList &lines) override;
    void showPlaying(const QString &fileName) override;
    void resetProgress() override;
    void showIdle() override;
    void showPlayerRunning() override;
    void openVideo(const QString &path) override;
    // What a server's movie address may play: an http, https, rtsp or mms
    // address as it stands, or a plain file name as its path in
    // `mediaFolder`; empty for anything else (other schemes, paths).
    static QString PlayableMovie(const QString &address, const QString &mediaFolder);
    bool openExternal(const QString &path) override;
    void playWave(const QString &path) override;
    void message(const QString &text) override;
    void startMeter() override;
    void stopMeter() override;
    QString transferHost() const override;
    int ftpPort() const override;
    int httpPort() const override;
    void setStatus(const QString &text) override;
    void sendLamps() override;
    void receiveLamps() override;
    void blinkLamp(int percent) override;
    void pressEnableFTP() override;
    void refillLocalFiles() override { RefillLocalFiles(); }
    void reloadPlayList() override { ReloadPlayList(); }
    void savePlayList() override { SavePlayList(); }
    void transferViewChanged() override;
    void chatNote(const QString &text) override;

    // BrowseHost
    QString homeAddress() const override;
    void lobbyLink(const QByteArray &link) override;
    void refuseAddress(const QString &address) override;
    void download(const QUrl &url, const QString &suggestedName) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMediaPage();
    void buildVideoPage();
    void buildBrowsePage();
    void wireStrip();
    void fillPlaylistWidget();
    void playlistItemChanged(QListWidgetItem *item);
    int firstHighlighted() const;
    void browseForFolder();
    void onlyToggle(bool mp3);

    TLobbyMainForm &m_form;
    // Once logged in, the chat's media files play here and its missing
    // sounds are fetched here; the host it replaced comes back at the end.
    std::unique_ptr<ChatHost> m_chatHost;
    ChatHost *m_previousChatHost = nullptr;
    std::unique_ptr<MediaPlayer> m_ownPlayer;
    std::unique_ptr<SoundInput> m_ownInput;
    QMediaPlayer *m_video = nullptr;
    QAudioOutput *m_videoAudio = nullptr;
    bool m_filling = false;
    bool m_serverListVisited = false;
};
