#pragma once

// MediaPlayer on Qt Multimedia: QMediaPlayer playing into a QAudioOutput.

#include <QObject>

#include "MediaPlayer.h"

class QAudioOutput;
class QMediaPlayer;

class QtMediaPlayer : public QObject, public MediaPlayer
{
    Q_OBJECT
public:
    explicit QtMediaPlayer(QObject *parent = nullptr);
    ~QtMediaPlayer() override;

    bool open(const QString &path) override;
    void play() override;
    void pause() override;
    void resume() override;
    void stop() override;
    Mode mode() const override;
    qint64 length() const override;
    qint64 position() const override;

private:
    // The open medium cannot be played: reported once.
    void giveUp();
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    bool m_open = false;
    int m_generation = 0;   // counts opened files
};
