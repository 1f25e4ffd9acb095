#pragma once

// A program running on a pseudo-terminal, as the bridged door sees it. The
// real one (PtyLauncher) forks the program on a pty; tests put a fake in.

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>

class TerminalProcess
{
public:
    using Output = std::function<void(const QByteArray &bytes)>;
    using Exited = std::function<void(int status)>;

    // Ends the program if it still runs.
    virtual ~TerminalProcess() = default;
    // Bytes for the program, as typed on its terminal.
    virtual void write(const QByteArray &bytes) = 0;
    // Stops reading the program's output for a while (its terminal then
    // holds the program up) and starts again.
    virtual void setPaused(bool paused) = 0;
    // The terminal type the program was given, with the reason when it is
    // not the usual one; empty when not known.
    virtual QByteArray terminalType() const { return {}; }
};

struct TerminalRequest {
    QStringList command;              // program and arguments, no shell
    QByteArray user;                  // the caller's name, for the program's environment
    int columns = 80;
    int rows = 26;
};

class TerminalLauncher
{
public:
    virtual ~TerminalLauncher() = default;
    // Null (and `error` set) when the program cannot be started.
    virtual std::unique_ptr<TerminalProcess> start(const TerminalRequest &request, TerminalProcess::Output output,
                                                   TerminalProcess::Exited exited, QString *error) = 0;
};
