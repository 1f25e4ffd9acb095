#include "BridgeSession.h"

#include <QDateTime>

BridgeSession::BridgeSession(TerminalLauncher *launcher, QStringList command, QByteArray player, Output output,
                             Pending pending)
    : m_launcher(launcher)
    , m_command(std::move(command))
    , m_player(std::move(player))
    , m_output(std::move(output))
    , m_pending(std::move(pending))
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(QuietMs);
    QObject::connect(&m_quietTimer, &QTimer::timeout, &m_quietTimer, [this] { quiet(); });
}

qint64 BridgeSession::now() const
{
    return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
}

void BridgeSession::log(const QString &text) const
{
    if (m_logger)
        m_logger(text);
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
        log(QStringLiteral("door program for %1 not started: %2").arg(QString::fromLatin1(m_player), error));
        m_output(m_filter.translate("\x1b[1;31mThis door is closed: " + error.toLocal8Bit() + "\r\n", nullptr));
        hold();
        return;
    }
    const QByteArray type = m_process->terminalType();
    // The "ansi" description has no delayed wrap at the last column.
    m_filter.setImmediateWrap(type == "ansi" || type.startsWith("ansi "));
    if (!type.isEmpty()) {
        log(QStringLiteral("door program %1 for %2 runs with TERM=%3")
                .arg(m_command.value(0), QString::fromLatin1(m_player), QString::fromLocal8Bit(type)));
    }
    m_lastOutput = now();
}

void BridgeSession::shown(const QByteArray &bytes)
{
    if (m_holding)
        return;
    QByteArray reply;
    m_output(m_filter.translate(bytes, &reply));
    if (!reply.isEmpty() && m_process)
        m_process->write(reply);
    m_lastOutput = now();
    m_quietTimer.start();
    if (!m_paused && m_pending && m_pending() > PauseAbove) {
        m_paused = true;
        m_process->setPaused(true);
    }
}

void BridgeSession::quiet()
{
    if (m_holding || m_filter.cursorShown() || now() - m_lastOutput < QuietMs)
        return;
    const QByteArray cursor = m_filter.showCursor();
    if (!cursor.isEmpty())
        m_output(cursor);
}

void BridgeSession::exited(int status)
{
    log(QStringLiteral("door program %1 for %2 ended%3")
            .arg(m_command.value(0), QString::fromLatin1(m_player),
                 status >= 0 ? QStringLiteral(" (status %1)").arg(status) : QString()));
    hold();
}

// The last screen stays, with the request for a key on its last row.
void BridgeSession::hold()
{
    m_holding = true;
    m_heldAt = now();
    m_quietTimer.stop();
    m_output(m_filter.translate(QByteArray("\x1b[?25l\x1b(B\x0f\x1b[") + QByteArray::number(TermFilter::Rows)
                                    + ";1H\x1b[0;30;47m" + HoldText + "\x1b[0m",
                                nullptr));
}

void BridgeSession::keys(const QByteArray &bytes)
{
    if (m_holding) {
        if (!bytes.isEmpty())
            m_ended = true;
        return;
    }
    if (m_process)
        m_process->write(bytes);
}

void BridgeSession::press(int column, int row)
{
    if (m_holding) {
        m_ended = true;
        return;
    }
    const QByteArray report = m_filter.mouseReport(column, row);
    if (m_process && !report.isEmpty())
        m_process->write(report);
}

void BridgeSession::tick()
{
    if (m_holding) {
        if (now() - m_heldAt >= HoldMs)
            m_ended = true;
        return;
    }
    quiet();
    if (m_paused && m_process && (!m_pending || m_pending() < ResumeBelow)) {
        m_paused = false;
        m_process->setPaused(false);
    }
}
