#pragma once

// The sound-input device under TAudioIn. The calls follow the life of a
// recording device with queued buffers: open with a format, prepare the
// buffers, start, hand buffers to the device, get them back filled (in the
// order they were handed over), reset, close. Every call answers 0 or an
// error code whose text errorText() gives. The device reports on the window
// thread through its listener: opened, a buffer came back, closed.

#include <QString>

struct SoundFormat
{
    int channels = 1;
    int bitsPerSample = 16;   // 8 or 16
    int frameRate = 22050;    // samples per second per channel
    int frameSize() const { return bitsPerSample / 8 * channels; }
    int bytesPerSecond() const { return frameSize() * frameRate; }
};

// One buffer as the device sees it.
struct SoundBuffer
{
    enum Flag { Prepared = 1, Done = 2, InQueue = 4 };
    char *data = nullptr;
    int length = 0;          // bytes
    int bytesRecorded = 0;
    int flags = 0;
};

class SoundInputListener
{
public:
    virtual ~SoundInputListener() = default;
    virtual void inputOpened() = 0;
    virtual void bufferReturned(SoundBuffer *buffer) = 0;
    virtual void inputClosed() = 0;
};

class SoundInput
{
public:
    enum Error { NoError = 0, BadDevice = 2, AlreadyAllocated = 4, NotEnabled = 5,
                 InvalidHandle = 5 + 1, BadFormat = 32, StillPlaying = 33, Unprepared = 34 };

    virtual ~SoundInput() = default;

    // device -1 lets the platform choose.
    virtual int open(int device, const SoundFormat &format, SoundInputListener *listener) = 0;
    virtual int prepare(SoundBuffer *buffer) = 0;
    virtual int unprepare(SoundBuffer *buffer) = 0;
    virtual int addBuffer(SoundBuffer *buffer) = 0;
    virtual int start() = 0;
    // Stops recording and gives every queued buffer back.
    virtual int reset() = 0;
    virtual int close() = 0;
    virtual QString errorText(int code) const = 0;

    // The error texts shared by the implementations.
    static QString standardErrorText(int code);
};
