#pragma once

// The queue of screen bytes between the connection and the screen engine.
// Received screen data is appended at once; the engine is fed from the event
// loop in short slices while the window has nothing else to do, so a burst
// of screen data never keeps the window from answering the user, and chat,
// which is shown as it arrives, overtakes screen bytes still queued.
//
// The feeding runs on a zero-interval timer that is active only while bytes
// are queued: an idle program spends nothing here.

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

class ScreenFeeder : public QObject
{
    Q_OBJECT
public:
    // `sink` hands bytes to the engine (in order, a slice at a time).
    explicit ScreenFeeder(QObject *parent = nullptr);

    void setSink(std::function<void(const QByteArray &bytes)> sink);

    void append(const QByteArray &bytes);
    // The bytes received and not yet fed.
    QByteArray ScreenBuffer() const { return m_buffer.mid(m_head); }
    qsizetype queued() const { return m_buffer.size() - m_head; }

    // True while a slice is being fed; also set for good when the window
    // starts closing (see stop()).
    bool Feeding() const { return m_feeding; }
    // Feeds no more: the window is closing. Queued bytes stay unfed.
    void stop();

    // Feeds one slice now (the timer calls this).
    void feedSlice();

    // The most bytes, and the longest time, one slice takes before the
    // event loop gets its turn again.
    void setSliceLimits(qsizetype bytes, int milliseconds);

    // Whole-queue passes: each pass hands everything queued to the sink in
    // one call, and the next pass comes `pauseMs` later at the earliest, so
    // what arrives meanwhile is drawn together by the next pass. The door
    // terminals feed this way; keep the queue short with setWaterMarks so
    // that one pass stays short too.
    void setWholeQueuePasses(int pauseMs);
    bool wholeQueuePasses() const { return m_pauseMs >= 0; }

    // A reader stops taking bytes from the connection while the queue is at
    // or above the high mark and resumes on drained(), so that a server
    // sending faster than the engine draws cannot grow the queue without
    // limit.
    static constexpr qsizetype HighWater = 4 * 1024 * 1024;
    static constexpr qsizetype LowWater = 1024 * 1024;
    void setWaterMarks(qsizetype high, qsizetype low);
    qsizetype highWater() const { return m_highWater; }
    qsizetype lowWater() const { return m_lowWater; }
    bool aboveHighWater() const { return queued() >= m_highWater; }

signals:
    void drained();   // the queue went from at or above HighWater to below LowWater
    void sliceFed();  // after every slice; the window repaints the surface

private:
    QByteArray m_buffer;
    qsizetype m_head = 0;   // bytes of m_buffer already fed
    std::function<void(const QByteArray &)> m_sink;
    QTimer m_timer;
    bool m_feeding = false;
    bool m_stopped = false;
    bool m_wasHigh = false;
    // A slice is bounded by its time; the byte limit only keeps one slice
    // from taking the whole queue at once. (A limit of a few KiB made the
    // window repaint after every few KiB, which held the feeding to a tenth
    // of the engine's speed.)
    qsizetype m_sliceBytes = 256 * 1024;
    int m_sliceMs = 8;
    int m_pauseMs = -1;   // below 0: slices
    qsizetype m_highWater = HighWater;
    qsizetype m_lowWater = LowWater;

    void feedWholeQueue();
};
