#include "StartLimits.h"

#include <utility>

#include "ProgramLauncher.h"
#include "SteadyClock.h"

StartLimits::StartLimits(Rules rules)
    : m_rules(std::move(rules))
{
}

QString StartLimits::refusal(const ProgramLauncher &launcher) const
{
    if (m_rules.maxTotal >= 0 && m_total >= m_rules.maxTotal)
        return QStringLiteral("Start refused: the server has already had %1 %2s started.")
            .arg(m_rules.maxTotal)
            .arg(m_rules.what);
    if (m_anyStart && SteadyClock::now() - m_lastStart < m_rules.minIntervalMs)
        return QStringLiteral("Start refused: the server asks for a %1 again too soon.")
            .arg(m_rules.what);
    if (m_rules.maxRunning >= 0) {
        int running = 0;
        for (const qint64 pid : m_pids)
            running += launcher.isRunning(pid) ? 1 : 0;
        if (running >= m_rules.maxRunning)
            return QStringLiteral("Start refused: %1 %2s started from here are still running.")
                .arg(running)
                .arg(m_rules.what);
    }
    return {};
}

void StartLimits::started(const ProgramLauncher &launcher, qint64 pid)
{
    ++m_total;
    m_anyStart = true;
    m_lastStart = SteadyClock::now();
    // Ended programs no longer count.
    m_pids.removeIf([&launcher](qint64 id) { return !launcher.isRunning(id); });
    if (pid > 0)
        m_pids.append(pid);
}
