#include "QtMediaPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

QtMediaPlayer::QtMediaPlayer(QObject *parent)
    : QObject(parent)
    , m_player(new QMediaPlayer(this))
    , m_output(new QAudioOutput(this))
{
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
        if (s == QMediaPlayer::EndOfMedia)
            completed();
        else if (s == QMediaPlayer::InvalidMedia)
            giveUp();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this] { giveUp(); });
}

void QtMediaPlayer::giveUp()
{
    // The backend may report one failure both as a status and as an error.
    if (!m_open)
        return;
    m_open = false;
    failed();
}

QtMediaPlayer::~QtMediaPlayer()
{
    onNotify = nullptr;
    onFailed = nullptr;
}

bool QtMediaPlayer::open(const QString &path)
{
    m_player->stop();
    m_open = false;
    ++m_generation;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return false;
    m_player->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    if (m_player->error() != QMediaPlayer::NoError)
        return false;
    m_open = true;
    return true;
}

void QtMediaPlayer::play()
{
    if (m_open)
        m_player->play();
}

void QtMediaPlayer::pause()
{
    m_player->pause();
}

void QtMediaPlayer::resume()
{
    m_player->play();
}

void QtMediaPlayer::stop()
{
    const bool wasRunning = m_player->playbackState() != QMediaPlayer::StoppedState;
    m_player->stop();
    // A stopped play command completes too; the report comes from the loop.
    if (wasRunning)
        QTimer::singleShot(0, this, [this, generation = m_generation] {
            if (generation == m_generation)
                completed();
        });
}

MediaPlayer::Mode QtMediaPlayer::mode() const
{
    if (!m_open)
        return NotReady;
    switch (m_player->playbackState()) {
    case QMediaPlayer::PlayingState: return Playing;
    case QMediaPlayer::PausedState: return Paused;
    default: return Stopped;
    }
}

qint64 QtMediaPlayer::length() const
{
    return m_player->duration();
}

qint64 QtMediaPlayer::position() const
{
    return m_player->position();
}
