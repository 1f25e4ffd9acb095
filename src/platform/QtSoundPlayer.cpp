#include "QtSoundPlayer.h"

#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer(QObject *parent)
    : QObject(parent)
{
}

QtSoundPlayer::~QtSoundPlayer() = default;

bool QtSoundPlayer::play(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    if (QMediaDevices::audioOutputs().isEmpty())
        return false;
    stop();
    // A fresh effect per sound: QSoundEffect keeps the decoded sample of its
    // source, and the previous one may still be draining its buffer.
    m_effect = std::make_unique<QSoundEffect>();
    QSoundEffect *effect = m_effect.get();
    m_starting = true;
    connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
        if (effect->status() == QSoundEffect::Ready || effect->status() == QSoundEffect::Error)
            m_starting = false;
    });
    effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    effect->play();
    return true;
}

bool QtSoundPlayer::isPlaying() const
{
    return m_effect && (m_starting || m_effect->isPlaying());
}

void QtSoundPlayer::stop()
{
    if (m_effect)
        m_effect->stop();
    m_effect.reset();
    m_starting = false;
}
