#pragma once

// SoundInput on Qt Multimedia's QAudioSource: the source is read as it
// delivers, the oldest queued buffer is filled and handed back when full.
// Reports reach the listener from the event loop, never from inside a call.

#include <QObject>
#include <QPointer>

#include <deque>
#include <memory>

#include "SoundInput.h"

class QAudioSource;
class QIODevice;

class QtSoundInput : public QObject, public SoundInput
{
    Q_OBJECT
public:
    explicit QtSoundInput(QObject *parent = nullptr);
    ~QtSoundInput() override;

    int open(int device, const SoundFormat &format, SoundInputListener *listener) override;
    int prepare(SoundBuffer *buffer) override;
    int unprepare(SoundBuffer *buffer) override;
    int addBuffer(SoundBuffer *buffer) override;
    int start() override;
    int reset() override;
    int close() override;
    QString errorText(int code) const override;

private:
    void readAvailable();
    void giveBack(SoundBuffer *buffer);

    std::unique_ptr<QAudioSource> m_source;
    QPointer<QIODevice> m_stream;
    SoundInputListener *m_listener = nullptr;
    std::deque<SoundBuffer *> m_queue;
    int m_session = 0;   // counts openings
};
