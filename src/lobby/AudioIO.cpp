#include "AudioIO.h"

#include <algorithm>
#include <new>

TAudioIO::TAudioIO()
{
    m_format.channels = 1;
    m_format.bitsPerSample = 16;
    m_format.frameRate = 22050;
    AllocateBuffers();
}

void TAudioIO::SetBufferSize(int bytes)
{
    m_bufferSize = std::max(bytes, 512);
    AllocateBuffers();
}

void TAudioIO::SetNumBuffers(int count)
{
    m_numBuffers = std::clamp(count, 2, MaxBuffers);
    AllocateBuffers();
}

void TAudioIO::SetQuantization(int bits)
{
    m_format.bitsPerSample = bits <= 8 ? 8 : 16;
}

int TAudioIO::EffectiveBufferSize() const
{
    const int frame = std::max(1, m_format.frameSize());
    return m_bufferSize / frame * frame;
}

bool TAudioIO::AllocateBuffers()
{
    m_data.clear();
    try {
        m_data.resize(size_t(m_numBuffers));
        for (auto &buffer : m_data)
            buffer.resize(size_t(m_bufferSize));
    } catch (const std::bad_alloc &) {
        m_data.clear();
        ErrorMessage = QStringLiteral("Error allocating wave buffer memory");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

TAudioIn::TAudioIn(SoundInput &device)
    : m_device(device)
{
}

TAudioIn::~TAudioIn()
{
    OnBufferFilled = nullptr;
    OnStart = nullptr;
    OnStop = nullptr;
    StopAtOnce();
}

bool TAudioIn::keep(int code)
{
    if (code == SoundInput::NoError)
        return true;
    ErrorMessage = m_device.errorText(code);
    return false;
}

bool TAudioIn::Start()
{
    return OpenWaveDevice() && StartWaveDevice();
}

bool TAudioIn::OpenWaveDevice()
{
    if (m_open) {
        ErrorMessage = QStringLiteral("Wave Input device is already open");
        return false;
    }
    m_next = 0;
    if (!keep(m_device.open(WaveDevice, m_format, this)))
        return false;
    m_open = true;

    m_effectiveSize = EffectiveBufferSize();
    if (int(m_data.size()) < m_numBuffers && !AllocateBuffers()) {
        CloseWaveDevice();
        return false;
    }
    for (int i = 0; i < m_numBuffers; ++i) {
        SoundBuffer &header = m_headers[size_t(i)];
        header = SoundBuffer{};
        header.data = m_data[size_t(i)].data();
        header.length = m_effectiveSize;
        if (!keep(m_device.prepare(&header))) {
            CloseWaveDevice();
            return false;
        }
    }
    m_queued = 0;
    m_returned = 0;
    m_processed = 0;
    m_running = true;
    m_active = true;
    return true;
}

bool TAudioIn::StartWaveDevice()
{
    const int code = m_device.start();
    if (code != SoundInput::NoError) {
        CloseWaveDevice();
        ErrorMessage = QStringLiteral("Error starting wave record: ") + m_device.errorText(code);
        return false;
    }
    for (int i = 0; i < m_numBuffers; ++i) {
        if (!QueueBuffer()) {
            StopAtOnce();
            return false;
        }
    }
    return true;
}

bool TAudioIn::QueueBuffer()
{
    SoundBuffer &header = m_headers[size_t(m_next)];
    header.flags |= SoundBuffer::Prepared;
    if (!keep(m_device.addBuffer(&header)))
        return false;
    m_next = (m_next + 1) % m_numBuffers;
    ++m_queued;
    return true;
}

void TAudioIn::StopAtOnce()
{
    if (!m_open)
        return;
    m_active = false;
    m_running = false;
    m_device.reset();
    CloseWaveDevice();
}

void TAudioIn::Stop()
{
    if (!m_open)
        return;
    m_running = false;
    if (m_queued <= 0)
        CloseWaveDevice();
}

void TAudioIn::CloseWaveDevice()
{
    // Buffers given back by a reset arrive after the device has closed.
    if (!m_open)
        return;
    m_active = false;
    for (int i = 0; i < m_numBuffers; ++i)
        m_device.unprepare(&m_headers[size_t(i)]);
    m_device.reset();
    m_device.close();
    m_open = false;
}

void TAudioIn::inputOpened()
{
    if (OnStart)
        OnStart();
}

void TAudioIn::bufferReturned(SoundBuffer *)
{
    ++m_returned;
    --m_queued;
    m_active = m_queued > 0;
    if (m_running && m_open) {
        // Buffers come back in the order they were queued: the oldest is the
        // one the next index points at.
        SoundBuffer &oldest = m_headers[size_t(m_next)];
        const bool again = OnBufferFilled ? OnBufferFilled(oldest.data, m_effectiveSize) : true;
        if (again && m_running && m_open) {
            ++m_processed;
            QueueBuffer();
        }
    }
    if (m_queued <= 0) {
        m_queued = 0;
        m_running = false;
        CloseWaveDevice();
    }
}

void TAudioIn::inputClosed()
{
    if (OnStop)
        OnStop();
}
