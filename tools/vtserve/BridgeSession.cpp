#include "BridgeSession.h"

BridgeSession::BridgeSession(TerminalLauncher *launcher, QStringList command, QByteArray player, Output output,
                             Pending pending)
    : m_launcher(launcher)
    , m_command(std::move(command))
    , m_player(std::move(player))
    , m_output(std::move(output))
    , m_pending(std::move(pending))
{
}

void BridgeSession::start()
{
    // A clean screen in the terminal's colours before the program writes.
    m_output(m_filter.translate("\x1b[0m\x1b[2J\x1b[H", nullptr));
    QString error = QStringLiteral("no program is configured for this door");
    if (m_launcher) {
        m_process = m_launcher->start({m_command, m_player, TermFilter::Columns, TermFilter::Rows},
                                      [this](const QByteArray &bytes) { shown(bytes); },
                                      [this](int status) { exited(status); }, &error);
    }
    if (!m_process) {
        m_output(m_filter.translate("\x1b[1;31mThis door is closed: " + error.toLocal8Bit() + "\r\n", nullptr));
        m_ended = true;
    }
}

void BridgeSession::shown(const QByteArray &bytes)
{
    QByteArray reply;
    m_output(m_filter.translate(bytes, &reply));
    if (!reply.isEmpty() && m_process)
        m_process->write(reply);
    if (!m_paused && m_pending && m_pending() > PauseAbove) {
        m_paused = true;
        m_process->setPaused(true);
    }
}

void BridgeSession::exited(int status)
{
    m_ended = true;
    QByteArray line = "\r\n\x1b[0;1;33mThe program has ended";
    if (status > 0)
        line += " (status " + QByteArray::number(status) + ')';
    m_output(m_filter.translate(line + ".\x1b[0m\r\n", nullptr));
}

void BridgeSession::keys(const QByteArray &bytes)
{
    if (m_process && !m_ended)
        m_process->write(bytes);
}

void BridgeSession::press(int column, int row)
{
    const QByteArray report = m_filter.mouseReport(column, row);
    if (m_process && !m_ended && !report.isEmpty())
        m_process->write(report);
}

void BridgeSession::tick()
{
    if (m_paused && m_process && (!m_pending || m_pending() < ResumeBelow)) {
        m_paused = false;
        m_process->setPaused(false);
    }
}
