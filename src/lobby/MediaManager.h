#pragma once

// The lobby's media side without its widgets: the play list with its file
// "Playlist.cfg", the local file list, playing a file (waves, the built-in
// player, the video page, an external player), list mode and the player's
// completion. What it shows or sends goes through MediaHost, which the lobby
// window implements and tests replace with a recording one.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class MediaPlayer;

// What the media logic needs of the window.
class MediaHost
{
public:
    virtual ~MediaHost() = default;

    // Options and toggles.
    virtual bool soundOn() const = 0;
    virtual bool externalPlayer() const = 0;     // "Use External Media Player"
    virtual bool autoPlayDL() const = 0;         // "Automatic Play After DownLoad" down
    virtual bool enableFTP() const = 0;          // "Enable Automatic MP3 Transfers" down

    // Chat text with the user's colour and style prefix.
    virtual void sendChatText(const QByteArray &text) = 0;
    // The banner stops, takes these lines and runs again.
    virtual void showBanner(const QStringList &lines) = 0;
    // A song starts: the lamp turns lime, the progress gauge shows with the
    // file name as its hint.
    virtual void showPlaying(const QString &fileName) = 0;
    // The progress gauge back to 0.
    virtual void resetProgress() = 0;
    // Nothing plays: gauge hidden, media strip black.
    virtual void showIdle() = 0;
    // The media strip light green while the built-in player plays.
    virtual void showPlayerRunning() = 0;
    virtual void openVideo(const QString &path) = 0;
    // Opens the file with the desktop's player; false when that failed.
    virtual bool openExternal(const QString &path) = 0;
    virtual void playWave(const QString &path) = 0;
    virtual void message(const QString &text) = 0;
    virtual void startMeter() = 0;
    virtual void stopMeter() = 0;
};

// The name with its first ".mp3" (exactly so, lower case) taken out.
QString WithoutMp3(const QString &name);

// The files of the local file box: "*.wav" (only with neither toggle down),
// "*.Mid" (unless "MP3's only"), then "*.MP3", "*.MPG", "*.AVI", "*.ASF"
// (unless "MID's only"), each pattern's files in name order.
QStringList LocalMediaFiles(const QString &folder, bool mp3Only, bool midOnly);

// The play list of the media page: the files of the folder that match the
// filter, checked when "Playlist.cfg" names them.
class TPlayList
{
public:
    struct Item
    {
        QString name;
        bool checked = false;
        bool operator==(const Item &) const = default;
    };

    static QString fileName() { return QStringLiteral("Playlist.cfg"); }
    // The filter cycle, in order.
    static const QStringList &filters();
    // At most this much of "Playlist.cfg" is read.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    QString Folder;                 // ends in "/"
    QString ListFilter = QStringLiteral("*.MP3");
    int FilterStep = 1;             // 1 to 5
    QList<Item> Items;

    // Reads "Playlist.cfg", lists the folder's files that match the filter
    // and checks those it names.
    void Reload();
    // Writes the checked names in list order; false when it could not.
    bool Save() const;
    // The next filter of the cycle; the list is reloaded.
    void NextFilter();
    // " Local Media " + the filter.
    QString FilterLabel() const;
    void CheckAll(bool checked);
    // Deletes the item's file from the folder (when it is there) and reloads.
    void DeleteItem(int index);
    // A file of that name is listed (compared without regard to case).
    bool HasName(const QString &name) const;
    QStringList Names() const;
    // "Your Local MP3 files" and the names, each without its first ".mp3".
    QStringList BannerLines() const;
};

class TMediaManager
{
public:
    TMediaManager(MediaHost &host, MediaPlayer &player);
    ~TMediaManager();
    TMediaManager(const TMediaManager &) = delete;
    TMediaManager &operator=(const TMediaManager &) = delete;

    TPlayList Playlist;
    bool ListMode = false;
    int ListIndex = -1;

    MediaPlayer &player() const { return m_player; }
    // The built-in player plays (or holds a paused song).
    bool PlayerBusy() const;

    void PlayMediaFile(const QString &path);
    // The renderer found an announced file in the media folder.
    void PlayDownloaded(const QString &path);
    // "Play" in the local file box: announce the item to the room.
    void PlaySelected(const QString &name);
    // A double click in the play list.
    void PlayItem(const QString &name);
    // " Play Checked Items".
    void PlayCheckedItems();
    // "Play Next", "Next Item in Play List".
    void PlayNext();
    void NextItem();
    // "Stop Media Player".
    void StopMediaPlayer();
    // "Pause"/"Resume"; answers the button's new hint.
    QString PauseOrResume();
    // The player's completion report.
    void PlayerNotify();
    // Percentage played, or -1 when nothing is open.
    int PlayProgress() const;

private:
    MediaHost &m_host;
    MediaPlayer &m_player;
};
