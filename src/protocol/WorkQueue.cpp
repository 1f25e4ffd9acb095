#include "WorkQueue.h"

#include <iterator>

namespace {

WorkQueue::Job once(std::function<void()> action)
{
    return [action = std::move(action)](const QDeadlineTimer &) {
        action();
        return true;
    };
}

} // namespace

WorkQueue::WorkQueue(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &WorkQueue::run);
}

WorkQueue::~WorkQueue() = default;

void WorkQueue::enqueue(Job job, qsizetype bytes)
{
    if (m_stopped)
        return;
    m_jobs.push_back({std::move(job), bytes});
    m_backlog += bytes;
    if (m_backlog >= HighWater)
        m_wasHigh = true;
    if (m_running == 0 && m_jobs.size() == 1)
        run();
    else if (!m_timer.isActive())
        m_timer.start();
}

void WorkQueue::enqueue(std::function<void()> action, qsizetype bytes)
{
    enqueue(once(std::move(action)), bytes);
}

void WorkQueue::post(Job job)
{
    if (m_posted && !m_stopped)
        m_posted->push_back({std::move(job), 0});
    else
        enqueue(std::move(job));
}

void WorkQueue::post(std::function<void()> action)
{
    post(once(std::move(action)));
}

void WorkQueue::run()
{
    if (m_stopped)
        return;
    const QDeadlineTimer deadline(SliceMs, Qt::PreciseTimer);
    while (!m_jobs.empty()) {
        Entry entry = std::move(m_jobs.front());
        m_jobs.pop_front();
        std::deque<Entry> posted;
        std::deque<Entry> *outer = m_posted;
        m_posted = &posted;
        ++m_running;
        const bool done = entry.job(deadline);
        --m_running;
        m_posted = outer;
        if (m_stopped)
            return;
        // The job's bytes stay in the backlog until the last of what it
        // posted is done too (a chunk's dispatch is quick; showing what it
        // decided is the long part).
        if (done && !posted.empty()) {
            posted.back().bytes += entry.bytes;
            entry.bytes = 0;
        }
        // What the job posted comes next (after the job's own rest when it
        // is not done), then what was queued before.
        m_jobs.insert(m_jobs.begin(), std::make_move_iterator(posted.begin()),
                      std::make_move_iterator(posted.end()));
        if (done)
            finished(entry.bytes);
        else
            m_jobs.push_front(std::move(entry));
        if (deadline.hasExpired())
            break;
    }
    if (m_jobs.empty())
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void WorkQueue::stop()
{
    m_stopped = true;
    m_timer.stop();
    m_jobs.clear();
    m_backlog = 0;
}

void WorkQueue::finished(qsizetype bytes)
{
    m_backlog -= bytes;
    if (m_wasHigh && m_backlog < LowWater) {
        m_wasHigh = false;
        emit drained();
    }
}
