#pragma once

#include <QObject>

#include <memory>

#include "SoundPlayer.h"

class QSoundEffect;

// SoundPlayer on Qt Multimedia's QSoundEffect (wave files).
class QtSoundPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    ~QtSoundPlayer() override;

    bool play(const QString &path) override;
    bool isPlaying() const override;
    void stop() override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
    bool m_starting = false;
};
