#include "Waits.h"

#include <QPointer>
#include <QTimer>

#include <cmath>

namespace Waits {

namespace {
double g_scale = 1.0;
}

void after(int ms, QObject *context, std::function<void()> step)
{
    QTimer::singleShot(scaled(ms), context, std::move(step));
}

int scaled(int ms)
{
    if (ms <= 0)
        return 0;
    return std::max(1, int(std::lround(ms * g_scale)));
}

void setTimeScale(double factor)
{
    g_scale = factor > 0 ? factor : 1.0;
}

double timeScale()
{
    return g_scale;
}

} // namespace Waits
