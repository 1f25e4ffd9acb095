#include "WindowActivation.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace WindowActivation {

void AfterShow(QWidget *window, const std::function<bool()> &activated,
               const std::function<void()> &activate)
{
    if (activated())
        return;
    QMetaObject::invokeMethod(
        window,
        [activated, activate] {
            if (!activated())
                activate();
        },
        Qt::QueuedConnection);
}

bool BecameActive(const QWidget *window, const QEvent *event)
{
    return event->type() == QEvent::ActivationChange && window->isActiveWindow();
}

} // namespace WindowActivation
