#include "MediaManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "ByteText.h"
#include "MediaPlayer.h"

QString WithoutMp3(const QString &name)
{
    QString result = name;
    const qsizetype at = result.indexOf(QLatin1String(".mp3"), 0, Qt::CaseSensitive);
    if (at >= 0)
        result.remove(at, 4);
    return result;
}

static QStringList matching(const QString &folder, const QString &pattern)
{
    if (folder.isEmpty())
        return {};
    // Patterns match without regard to case, as on the desktops the lists
    // were made for.
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QStringList LocalMediaFiles(const QString &folder, bool mp3Only, bool midOnly)
{
    QStringList files;
    if (!mp3Only && !midOnly)
        files << matching(folder, QStringLiteral("*.wav"));
    if (!mp3Only)
        files << matching(folder, QStringLiteral("*.Mid"));
    if (!midOnly)
        for (const char *pattern : {"*.MP3", "*.MPG", "*.AVI", "*.ASF"})
            files << matching(folder, QString::fromLatin1(pattern));
    return files;
}

// ---------------------------------------------------------------------------

const QStringList &TPlayList::filters()
{
    static const QStringList list = {QStringLiteral("*.MP3"), QStringLiteral("*.Wav"),
                                     QStringLiteral("*.AVI"), QStringLiteral("*.ASF"),
                                     QStringLiteral("*.MPG")};
    return list;
}

void TPlayList::Reload()
{
    QStringList checked;
    QFile cfg(Folder + fileName());
    if (!Folder.isEmpty() && cfg.open(QIODevice::ReadOnly)) {
        const QByteArray text = cfg.read(MaxFileBytes);
        for (QByteArray line : text.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                checked << QString::fromUtf8(line);
        }
    }
    Items.clear();
    for (const QString &name : matching(Folder, ListFilter))
        Items.append({name, checked.contains(name, Qt::CaseInsensitive)});
}

bool TPlayList::Save() const
{
    if (Folder.isEmpty() || !QFileInfo(Folder).isDir())
        return false;
    QSaveFile file(Folder + fileName());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const Item &item : Items)
        if (item.checked)
            file.write(item.name.toUtf8() + '\n');
    return file.commit();
}

void TPlayList::NextFilter()
{
    FilterStep = FilterStep % int(filters().size()) + 1;
    ListFilter = filters().at(FilterStep - 1);
    Reload();
}

QString TPlayList::FilterLabel() const
{
    return QStringLiteral(" Local Media ") + ListFilter;
}

void TPlayList::CheckAll(bool checked)
{
    for (Item &item : Items)
        item.checked = checked;
}

void TPlayList::DeleteItem(int index)
{
    if (index < 0 || index >= Items.size())
        return;
    const QString path = Folder + Items.at(index).name;
    if (QFileInfo(path).isFile())
        QFile::remove(path);
    Reload();
}

bool TPlayList::HasName(const QString &name) const
{
    for (const Item &item : Items)
        if (item.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList TPlayList::Names() const
{
    QStringList names;
    for (const Item &item : Items)
        names << item.name;
    return names;
}

QStringList TPlayList::BannerLines() const
{
    QStringList lines = {QStringLiteral("Your Local MP3 files")};
    for (const Item &item : Items)
        lines << WithoutMp3(item.name);
    return lines;
}

// ---------------------------------------------------------------------------

TMediaManager::TMediaManager(MediaHost &host, MediaPlayer &player)
    : m_host(host)
    , m_player(player)
{
    m_player.onNotify = [this] { PlayerNotify(); };
    // A file the player took may still turn out not to play.
    m_player.onFailed = [this] { m_host.message(QStringLiteral("Unable to open Mediaplayer")); };
}

TMediaManager::~TMediaManager()
{
    m_player.onNotify = nullptr;
    m_player.onFailed = nullptr;
}

bool TMediaManager::PlayerBusy() const
{
    return m_player.mode() == MediaPlayer::Playing || m_player.mode() == MediaPlayer::Paused;
}

void TMediaManager::PlayMediaFile(const QString &path)
{
    if (!m_host.soundOn())
        return;
    // The kind of file is told by its name, in upper case; the path itself
    // keeps its case, which the file system tells apart.
    const QString name = QFileInfo(path).fileName();
    const QString upper = name.toUpper();
    if (upper.contains(QLatin1String(".WAV"))) {
        m_host.playWave(path);
        return;
    }
    m_host.showBanner({QStringLiteral("Now Playing ") + WithoutMp3(name)});
    m_host.showPlaying(name);
    if (m_host.externalPlayer()) {
        if (!m_host.openExternal(path))
            m_host.message(QStringLiteral("Sorry !  Unable to Execute ") + path);
        return;
    }
    if (upper.contains(QLatin1String(".A")) || upper.contains(QLatin1String(".MPG"))) {
        m_host.openVideo(path);
        return;
    }
    if (!m_player.open(path)) {
        m_host.message(QStringLiteral("Unable to open Mediaplayer"));
        return;
    }
    m_player.setNotify(true);
    m_player.play();
    m_host.startMeter();
    m_host.showPlayerRunning();
}

void TMediaManager::PlayDownloaded(const QString &path)
{
    if (m_host.autoPlayDL() && m_host.enableFTP())
        PlayMediaFile(path);
    else if (!ListMode && !PlayerBusy())
        PlayMediaFile(path);
}

void TMediaManager::PlaySelected(const QString &name)
{
    ListMode = false;
    if (!name.isEmpty())
        m_host.sendChatText("}" + ProtocolBytes(name));
}

void TMediaManager::PlayItem(const QString &name)
{
    ListMode = false;
    if (!name.isEmpty())
        PlayMediaFile(Playlist.Folder + name);
}

void TMediaManager::PlayCheckedItems()
{
    ListMode = false;
    m_player.setNotify(false);
    if (PlayerBusy())
        m_player.stop();
    ListIndex = -1;
    ListMode = true;
    NextItem();
}

void TMediaManager::PlayNext()
{
    if (!ListMode) {
        PlayCheckedItems();
        return;
    }
    ListMode = false;
    // A stopped song reports its completion, which moves on to the next.
    if (PlayerBusy())
        m_player.stop();
    else
        NextItem();
    ListMode = true;
}

void TMediaManager::NextItem()
{
    const int count = int(Playlist.Items.size());
    do
        ++ListIndex;
    while (ListIndex < count && !Playlist.Items.at(ListIndex).checked);
    if (ListIndex >= count) {
        ListMode = false;
        ListIndex = -1;
        return;
    }
    const QString name = Playlist.Items.at(ListIndex).name;
    m_host.sendChatText("`" + ProtocolBytes(name));
    // With "Automatic Play After DownLoad" down the song plays when the
    // announcement comes back.
    if (!m_host.autoPlayDL())
        PlayMediaFile(Playlist.Folder + name);
}

void TMediaManager::StopMediaPlayer()
{
    m_host.showBanner(Playlist.BannerLines());
    if (PlayerBusy())
        m_player.stop();
    ListMode = false;
}

QString TMediaManager::PauseOrResume()
{
    if (m_player.mode() == MediaPlayer::Playing) {
        m_player.pause();
        return QStringLiteral("Resume");
    }
    if (m_player.mode() == MediaPlayer::Paused)
        m_player.resume();
    return QStringLiteral("Pause");
}

void TMediaManager::PlayerNotify()
{
    const bool finished = !PlayerBusy();
    if (finished || (m_player.mode() == MediaPlayer::Playing && ListMode)) {
        m_player.setNotify(false);
        m_host.resetProgress();
    }
    if (ListMode && finished) {
        m_host.showBanner(Playlist.BannerLines());
        NextItem();
    }
    if (PlayerBusy()) {
        m_host.startMeter();
    } else {
        m_host.stopMeter();
        m_host.showIdle();
        m_host.showBanner(Playlist.BannerLines());
    }
}

int TMediaManager::PlayProgress() const
{
    const qint64 length = m_player.length();
    if (m_player.mode() == MediaPlayer::NotReady || length <= 0)
        return -1;
    const qint64 position = std::clamp<qint64>(m_player.position(), 0, length);
    return int(100 - (length - position) * 100 / length);
}
