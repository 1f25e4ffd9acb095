#pragma once

// A caller's session in a bridged door: the configured program runs on its
// own pseudo-terminal; its output goes through a TermFilter to the caller,
// the caller's keys go to the program, and presses become mouse reports
// when the program asked for them. When the caller's connection falls
// behind, the program's output is held back.
//
// When the output has been quiet for a moment, the program's cursor is
// drawn (unless the program hid it). When the program ends, its last screen
// stays with a line asking for a key; the session is over after that key,
// or after a minute.

#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

#include "DoorSession.h"
#include "TermFilter.h"
#include "TerminalProcess.h"

class BridgeSession : public DoorSession
{
public:
    using Pending = std::function<qsizetype()>;
    using Clock = std::function<qint64()>;
    using Logger = std::function<void(const QString &text)>;

    static constexpr qsizetype PauseAbove = 256 * 1024;
    static constexpr qsizetype ResumeBelow = 64 * 1024;
    static constexpr int QuietMs = 100;        // output quiet this long: the cursor is drawn
    static constexpr int HoldMs = 60 * 1000;   // the last screen stays this long without a key
    static constexpr const char *HoldText = " Press any key to return ";

    BridgeSession(TerminalLauncher *launcher, QStringList command, QByteArray player, Output output, Pending pending);

    // The time in milliseconds (default: the system's clock) and the
    // service's log.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setLogger(Logger logger) { m_logger = std::move(logger); }

    void start() override;
    void keys(const QByteArray &bytes) override;
    void press(int column, int row) override;
    void tick() override;
    bool ended() const override { return m_ended; }

    bool paused() const { return m_paused; }
    bool holding() const { return m_holding; }
    const TermFilter &filter() const { return m_filter; }

private:
    void shown(const QByteArray &bytes);
    void exited(int status);
    void hold();
    void quiet();
    qint64 now() const;
    void log(const QString &text) const;

    TerminalLauncher *m_launcher;
    QStringList m_command;
    QByteArray m_player;
    Output m_output;
    Pending m_pending;
    Clock m_clock;
    Logger m_logger;
    TermFilter m_filter;
    std::unique_ptr<TerminalProcess> m_process;
    QTimer m_quietTimer;
    qint64 m_lastOutput = 0;
    qint64 m_heldAt = 0;
    bool m_holding = false;
    bool m_ended = false;
    bool m_paused = false;
};
