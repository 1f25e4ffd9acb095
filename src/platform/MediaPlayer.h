#pragma once

// The built-in media player the lobby plays songs with. A play command runs
// until the medium ends or the player is stopped; then, while notifications
// are on, the player reports through onNotify from the event loop.

#include <QString>

#include <functional>

class MediaPlayer
{
public:
    enum Mode { NotReady, Stopped, Playing, Paused };

    virtual ~MediaPlayer() = default;

    // Opens a file; false when no device can take it.
    virtual bool open(const QString &path) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    virtual Mode mode() const = 0;
    // Milliseconds.
    virtual qint64 length() const = 0;
    virtual qint64 position() const = 0;

    void setNotify(bool on) { m_notify = on; }
    bool notifyOn() const { return m_notify; }
    std::function<void()> onNotify;
    // The medium open() took turned out not to play (a decoder gives up
    // once it has read the file). The play command then completes too.
    std::function<void()> onFailed;

protected:
    // Implementations call this when a play command has completed.
    void completed()
    {
        if (m_notify && onNotify) {
            m_notify = false;
            onNotify();
        }
    }

    // Implementations call this when a medium open() accepted cannot be
    // played after all; the player is then not ready.
    void failed()
    {
        if (onFailed)
            onFailed();
        completed();
    }

private:
    bool m_notify = false;
};
