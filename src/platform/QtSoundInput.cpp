#include "QtSoundInput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QTimer>

QString SoundInput::standardErrorText(int code)
{
    switch (code) {
    case NoError: return QStringLiteral("The specified command was carried out.");
    case BadDevice: return QStringLiteral("The specified device identifier is out of range.");
    case AlreadyAllocated: return QStringLiteral("The specified resource is already allocated.");
    case NotEnabled: return QStringLiteral("The driver failed enable.");
    case InvalidHandle: return QStringLiteral("The specified device handle is invalid.");
    case BadFormat: return QStringLiteral("Attempted to open with an unsupported waveform-audio format.");
    case StillPlaying: return QStringLiteral("The buffer is still in the queue.");
    case Unprepared: return QStringLiteral("The buffer is not prepared.");
    default: return QStringLiteral("Undefined external error.");
    }
}

QtSoundInput::QtSoundInput(QObject *parent)
    : QObject(parent)
{
}

QtSoundInput::~QtSoundInput()
{
    m_listener = nullptr;
    if (m_source)
        m_source->stop();
}

int QtSoundInput::open(int device, const SoundFormat &format, SoundInputListener *listener)
{
    if (m_source)
        return AlreadyAllocated;
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    QAudioDevice chosen = QMediaDevices::defaultAudioInput();
    if (device >= 0) {
        if (device >= inputs.size())
            return BadDevice;
        chosen = inputs.at(device);
    }
    if (chosen.isNull())
        return BadDevice;
    QAudioFormat qtFormat;
    qtFormat.setChannelCount(format.channels);
    qtFormat.setSampleRate(format.frameRate);
    qtFormat.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    if (!chosen.isFormatSupported(qtFormat))
        return BadFormat;
    m_source = std::make_unique<QAudioSource>(chosen, qtFormat);
    m_listener = listener;
    ++m_session;
    QTimer::singleShot(0, this, [this] {
        if (m_listener)
            m_listener->inputOpened();
    });
    return NoError;
}

int QtSoundInput::prepare(SoundBuffer *buffer)
{
    if (!m_source)
        return InvalidHandle;
    buffer->flags |= SoundBuffer::Prepared;
    return NoError;
}

int QtSoundInput::unprepare(SoundBuffer *buffer)
{
    if (buffer->flags & SoundBuffer::InQueue)
        return StillPlaying;
    buffer->flags &= ~SoundBuffer::Prepared;
    return NoError;
}

int QtSoundInput::addBuffer(SoundBuffer *buffer)
{
    if (!m_source)
        return InvalidHandle;
    if (!(buffer->flags & SoundBuffer::Prepared))
        return Unprepared;
    buffer->flags = (buffer->flags & ~SoundBuffer::Done) | SoundBuffer::InQueue;
    buffer->bytesRecorded = 0;
    m_queue.push_back(buffer);
    return NoError;
}

int QtSoundInput::start()
{
    if (!m_source)
        return InvalidHandle;
    m_stream = m_source->start();
    if (!m_stream)
        return NotEnabled;
    connect(m_stream, &QIODevice::readyRead, this, &QtSoundInput::readAvailable);
    return NoError;
}

void QtSoundInput::readAvailable()
{
    while (m_stream && !m_queue.empty()) {
        SoundBuffer *buffer = m_queue.front();
        const qint64 got = m_stream->read(buffer->data + buffer->bytesRecorded,
                                          buffer->length - buffer->bytesRecorded);
        if (got <= 0)
            return;
        buffer->bytesRecorded += int(got);
        if (buffer->bytesRecorded < buffer->length)
            return;
        m_queue.pop_front();
        giveBack(buffer);
    }
    // Nothing queued: what the source holds is dropped, as a device drops
    // sound while it has no buffer.
    if (m_stream && m_queue.empty())
        m_stream->readAll();
}

void QtSoundInput::giveBack(SoundBuffer *buffer)
{
    buffer->flags = (buffer->flags & ~SoundBuffer::InQueue) | SoundBuffer::Done;
    // A buffer given back by an earlier opening stays with that one.
    QTimer::singleShot(0, this, [this, buffer, session = m_session] {
        if (m_listener && session == m_session)
            m_listener->bufferReturned(buffer);
    });
}

int QtSoundInput::reset()
{
    if (!m_source)
        return InvalidHandle;
    if (m_stream)
        disconnect(m_stream, nullptr, this, nullptr);
    m_source->stop();
    m_stream = nullptr;
    while (!m_queue.empty()) {
        SoundBuffer *buffer = m_queue.front();
        m_queue.pop_front();
        giveBack(buffer);
    }
    return NoError;
}

int QtSoundInput::close()
{
    if (!m_source)
        return InvalidHandle;
    if (!m_queue.empty())
        return StillPlaying;
    m_source->stop();
    m_source.reset();
    m_stream = nullptr;
    QTimer::singleShot(0, this, [this] {
        if (m_listener)
            m_listener->inputClosed();
    });
    return NoError;
}

QString QtSoundInput::errorText(int code) const
{
    return standardErrorText(code);
}
