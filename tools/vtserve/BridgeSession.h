#pragma once

// A caller's session in a bridged door: the configured program runs on its
// own pseudo-terminal; its output goes through a TermFilter to the caller,
// the caller's keys go to the program, and presses become mouse reports
// when the program asked for them. When the caller's connection falls
// behind, the program's output is held back.

#include <QStringList>

#include <functional>
#include <memory>

#include "DoorSession.h"
#include "TermFilter.h"
#include "TerminalProcess.h"

class BridgeSession : public DoorSession
{
public:
    using Pending = std::function<qsizetype()>;

    static constexpr qsizetype PauseAbove = 256 * 1024;
    static constexpr qsizetype ResumeBelow = 64 * 1024;

    BridgeSession(TerminalLauncher *launcher, QStringList command, QByteArray player, Output output, Pending pending);

    void start() override;
    void keys(const QByteArray &bytes) override;
    void press(int column, int row) override;
    void tick() override;
    bool ended() const override { return m_ended; }

    bool paused() const { return m_paused; }

private:
    void shown(const QByteArray &bytes);
    void exited(int status);

    TerminalLauncher *m_launcher;
    QStringList m_command;
    QByteArray m_player;
    Output m_output;
    Pending m_pending;
    TermFilter m_filter;
    std::unique_ptr<TerminalProcess> m_process;
    bool m_ended = false;
    bool m_paused = false;
};
