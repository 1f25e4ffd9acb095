#include "DialogGate.h"

#include "SteadyClock.h"

bool DialogGate::tryOpen(bool serverAsked)
{
    if (m_open)
        return false;
    if (serverAsked && m_cancelled && SteadyClock::now() - m_cancelledAt < QuietAfterCancelMs)
        return false;
    m_open = true;
    return true;
}

void DialogGate::done(bool cancelled)
{
    m_open = false;
    if (cancelled) {
        m_cancelled = true;
        m_cancelledAt = SteadyClock::now();
    }
}
