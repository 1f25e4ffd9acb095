#pragma once

// Milliseconds on a monotonic clock, for the limits that count time between
// what a server asks for. Tests step it without waiting.

#include <QtGlobal>

#include <functional>

namespace SteadyClock {

qint64 now();
// Tests only: the clock to read from now on; nullptr restores the real one.
void setForTests(std::function<qint64()> clock);

} // namespace SteadyClock
