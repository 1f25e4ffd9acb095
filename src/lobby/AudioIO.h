#pragma once

// Sound input with queued buffers. TAudioIO keeps the buffers and the
// format; TAudioIn opens a SoundInput device, keeps NumBuffers buffers
// queued, hands each filled buffer to OnBufferFilled and queues it again
// while the handler says so. Errors are only kept in ErrorMessage.

#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "SoundInput.h"

class TAudioIO
{
public:
    static constexpr int MaxBuffers = 8;

    TAudioIO();
    virtual ~TAudioIO() = default;
    TAudioIO(const TAudioIO &) = delete;
    TAudioIO &operator=(const TAudioIO &) = delete;

    // At least 512 bytes; the buffers are made again on every change.
    int BufferSize() const { return m_bufferSize; }
    void SetBufferSize(int bytes);
    // Kept between 2 and 8.
    int NumBuffers() const { return m_numBuffers; }
    void SetNumBuffers(int count);
    // Up to 8 gives 8 bits a sample, above 8 gives 16.
    int Quantization() const { return m_format.bitsPerSample; }
    void SetQuantization(int bits);
    bool Stereo() const { return m_format.channels == 2; }
    void SetStereo(bool stereo) { m_format.channels = stereo ? 2 : 1; }
    int FrameRate() const { return m_format.frameRate; }
    void SetFrameRate(int rate) { m_format.frameRate = rate; }
    // -1 lets the platform choose.
    int WaveDevice = -1;

    const SoundFormat &Format() const { return m_format; }
    // BufferSize rounded down to whole frames.
    int EffectiveBufferSize() const;
    QString ErrorMessage;

protected:
    // Makes the data buffers; false (with the error text) when memory runs out.
    bool AllocateBuffers();

    SoundFormat m_format;
    int m_bufferSize = 8192;
    int m_numBuffers = 4;
    std::array<SoundBuffer, MaxBuffers> m_headers{};
    std::vector<std::vector<char>> m_data;
};

class TAudioIn : public TAudioIO, private SoundInputListener
{
public:
    // The device is not owned and must outlive the input.
    explicit TAudioIn(SoundInput &device);
    ~TAudioIn() override;

    // Opens the device and starts recording; false (ErrorMessage kept) when
    // either fails.
    bool Start();
    // Resets and closes the device at once.
    void StopAtOnce();
    // Lets the queued buffers come back unhandled; the device closes after
    // the last one.
    void Stop();

    // Each buffer that comes back while running; true queues it again. Without
    // a handler the answer is true.
    std::function<bool(const char *buffer, int size)> OnBufferFilled;
    std::function<void()> OnStart;
    std::function<void()> OnStop;

    bool IsOpen() const { return m_open; }
    bool IsRunning() const { return m_running; }
    bool IsActive() const { return m_active; }
    int QueuedBuffers() const { return m_queued; }
    int ReturnedBuffers() const { return m_returned; }
    int ProcessedBuffers() const { return m_processed; }

private:
    bool OpenWaveDevice();
    bool StartWaveDevice();
    bool QueueBuffer();
    void CloseWaveDevice();
    bool keep(int code);

    void inputOpened() override;
    void bufferReturned(SoundBuffer *buffer) override;
    void inputClosed() override;

    SoundInput &m_device;
    bool m_open = false;
    bool m_running = false;
    bool m_active = false;
    int m_next = 0;
    int m_queued = 0;
    int m_returned = 0;
    int m_processed = 0;
    int m_effectiveSize = 0;
};
