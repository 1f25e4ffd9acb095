#include "ScreenFeeder.h"

#include <QElapsedTimer>

#include <algorithm>

ScreenFeeder::ScreenFeeder(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ScreenFeeder::feedSlice);
}

void ScreenFeeder::setSink(std::function<void(const QByteArray &)> sink)
{
    m_sink = std::move(sink);
    if (m_sink && !m_buffer.isEmpty() && !m_stopped)
        m_timer.start();
}

void ScreenFeeder::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    m_buffer.append(bytes);
    if (queued() >= m_highWater)
        m_wasHigh = true;
    if (m_sink && !m_stopped && !m_timer.isActive())
        m_timer.start(0);
}

void ScreenFeeder::stop()
{
    m_stopped = true;
    m_feeding = true;
    m_timer.stop();
}

void ScreenFeeder::setSliceLimits(qsizetype bytes, int milliseconds)
{
    m_sliceBytes = qMax<qsizetype>(1, bytes);
    m_sliceMs = qMax(0, milliseconds);
}

void ScreenFeeder::setWholeQueuePasses(int pauseMs)
{
    m_pauseMs = qMax(0, pauseMs);
}

void ScreenFeeder::setWaterMarks(qsizetype high, qsizetype low)
{
    m_highWater = qMax<qsizetype>(1, high);
    m_lowWater = qBound<qsizetype>(1, low, m_highWater);
}

void ScreenFeeder::feedWholeQueue()
{
    if (queued() == 0) {
        // The pause after the last pass is over and nothing came: rest.
        m_timer.stop();
        return;
    }
    m_feeding = true;
    QByteArray taken = m_head == 0 ? std::move(m_buffer) : m_buffer.mid(m_head);
    m_buffer = QByteArray();
    m_head = 0;
    m_sink(taken);
    if (m_stopped)
        return;
    m_feeding = false;
    // Bytes that came in while the engine drew wait for the pause to pass.
    m_timer.start(m_pauseMs);
    emit sliceFed();
    if (m_wasHigh && queued() < m_lowWater) {
        m_wasHigh = false;
        emit drained();
    }
}

void ScreenFeeder::feedSlice()
{
    if (m_feeding || m_stopped || !m_sink)
        return;
    if (wholeQueuePasses()) {
        feedWholeQueue();
        return;
    }
    m_feeding = true;
    QElapsedTimer clock;
    clock.start();
    // Small pieces, so that the time limit is looked at often; the sink may
    // stop the feeding (the window starts closing) between two of them.
    constexpr qsizetype Piece = 256;
    qsizetype fed = 0;
    while (m_head < m_buffer.size() && !m_stopped && fed < m_sliceBytes) {
        const qsizetype n = std::min({Piece, m_buffer.size() - m_head, m_sliceBytes - fed});
        const QByteArray piece = m_buffer.mid(m_head, n);
        m_head += n;
        fed += n;
        m_sink(piece);
        if (clock.elapsed() >= m_sliceMs)
            break;
    }
    if (m_head >= m_buffer.size()) {
        m_buffer.clear();
        m_head = 0;
    } else if (m_head > 64 * 1024 && m_head * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
    if (m_stopped)
        return;
    m_feeding = false;
    if (queued() == 0)
        m_timer.stop();
    emit sliceFed();
    if (m_wasHigh && queued() < m_lowWater) {
        m_wasHigh = false;
        emit drained();
    }
}
