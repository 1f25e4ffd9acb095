#pragma once

// When a client program's window runs its activation: each time the desktop
// makes it the active window and, for a window the desktop never activates
// (focus-stealing prevention, no window manager), once it is on the screen.

#include <functional>

class QEvent;
class QWidget;

namespace WindowActivation {

// From showEvent: runs `activate` from the event loop, unless `activated`
// says the window has been activated by then.
void AfterShow(QWidget *window, const std::function<bool()> &activated,
               const std::function<void()> &activate);
// From changeEvent: the window has just become the active one.
bool BecameActive(const QWidget *window, const QEvent *event);

} // namespace WindowActivation
