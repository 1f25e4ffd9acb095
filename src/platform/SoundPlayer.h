#pragma once

// Plays wave files. One sound at a time: a new sound cuts off the one that
// plays. A machine without an audio device plays nothing and reports nothing.

#include <QString>

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    // Starts the file asynchronously. False when nothing could be started
    // (missing or unreadable file, no device).
    virtual bool play(const QString &path) = 0;
    virtual bool isPlaying() const = 0;
    virtual void stop() = 0;
};
