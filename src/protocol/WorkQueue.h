#pragma once

// What a window does with what its server sent, done in order and in short
// slices on the event loop. A chunk of 20,000 chat lines or a user list of
// 100,000 rows takes seconds to show; done at once it would keep the window
// from answering the user and the connection for all that time. Here each
// piece of work is a job that does a little and says whether it is done; the
// queue runs jobs until its slice of time is used up and goes on from a
// zero-interval timer, so the window answers in between. The order of
// everything the jobs do stays the order in which they were queued.
//
// Two ways in:
//   enqueue(): from outside (a read, a disconnect): after everything queued.
//   post():    from inside a running job (a dispatcher deciding what a chunk
//              means): right after that job, ahead of what was queued
//              before, in the order posted, as if it were done on the spot.
// Work that fits in one slice is done before enqueue() returns, so a small
// chunk is shown at once, as before.
//
// A job may open a modal dialog; the dialog's event loop goes on with the
// jobs after it, as the window went on with later chunks before.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

class WorkQueue : public QObject
{
    Q_OBJECT
public:
    // Does part of a job, until the deadline has passed at the latest (a job
    // may always do one small step); true when the job is done.
    using Job = std::function<bool(const QDeadlineTimer &deadline)>;

    explicit WorkQueue(QObject *parent = nullptr);
    ~WorkQueue() override;

    // `bytes` counts towards the backlog until the job is done.
    void enqueue(Job job, qsizetype bytes = 0);
    void enqueue(std::function<void()> action, qsizetype bytes = 0);
    void post(Job job);
    void post(std::function<void()> action);

    // Runs queued work until none is left or the slice is used up.
    void run();
    // Drops everything queued (the window is closing); nothing more runs.
    void stop();

    bool isEmpty() const { return m_jobs.empty() && m_running == 0; }
    // The bytes of the jobs queued and not done.
    qsizetype backlog() const { return m_backlog; }

    // A reader stops taking bytes from its connection while the backlog is
    // at or above the high mark and goes on at drained(), below the low one.
    static constexpr qsizetype HighWater = 4 * 1024 * 1024;
    static constexpr qsizetype LowWater = 1024 * 1024;
    bool aboveHighWater() const { return m_backlog >= HighWater; }

    // How long one slice may run before the event loop gets its turn.
    static constexpr int SliceMs = 20;

signals:
    // The backlog went from at or above HighWater to below LowWater.
    void drained();

private:
    struct Entry
    {
        Job job;
        qsizetype bytes = 0;
    };
    void finished(qsizetype bytes);

    std::deque<Entry> m_jobs;
    // While a job runs, what it posts; spliced in right after it.
    std::deque<Entry> *m_posted = nullptr;
    QTimer m_timer;
    qsizetype m_backlog = 0;
    int m_running = 0;
    bool m_wasHigh = false;
    bool m_stopped = false;
};
