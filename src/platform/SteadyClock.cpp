#include "SteadyClock.h"

#include <QElapsedTimer>

#include <utility>

namespace SteadyClock {

namespace {
std::function<qint64()> g_clock;
}

qint64 now()
{
    if (g_clock)
        return g_clock();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

void setForTests(std::function<qint64()> clock)
{
    g_clock = std::move(clock);
}

} // namespace SteadyClock
