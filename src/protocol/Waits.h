#pragma once

// Every fixed wait of the suite ("wait 200 ms, then ...") goes through here.
// A wait never blocks the window thread: the next step runs from a
// single-shot timer, so windows keep painting and events keep flowing.
// Tests may shorten all waits by one factor to run quickly; the order of the
// steps stays the same. Programs always use the real lengths.

#include <QObject>

#include <functional>

namespace Waits {

// Runs `step` after `ms` milliseconds on the event loop, unless `context`
// has been destroyed by then.
void after(int ms, QObject *context, std::function<void()> step);

// The length a wait really takes under the current time scale.
int scaled(int ms);

// Test suites only: 1.0 is real time, 0.1 runs every wait ten times faster.
void setTimeScale(double factor);
double timeScale();

} // namespace Waits
