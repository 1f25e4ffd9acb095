#pragma once

// Starts bridged door programs on pseudo-terminals (forkpty), with the
// terminal type whose description TermFilter gives, in a plain C locale, in
// the service's door folder. The output is read when the event loop finds
// the terminal readable; a program that ends is reaped, and one that is
// left behind is sent a hang-up, then killed.

#include <QString>

#include "TerminalProcess.h"

class PtyLauncher : public TerminalLauncher
{
public:
    // `termName` is what TERM says; `terminfoDir` (may be empty) is where
    // its description was compiled.
    PtyLauncher(QString workingDir, QString terminfoDir, QByteArray termName);

    std::unique_ptr<TerminalProcess> start(const TerminalRequest &request, TerminalProcess::Output output,
                                           TerminalProcess::Exited exited, QString *error) override;

    // Compiles the door terminal's description into `dir` with tic. Returns
    // the terminal name to use: "vantora", or "ansi" when that failed.
    static QByteArray InstallTerminfo(const QString &dir, QString *error);

private:
    QString m_workingDir;
    QString m_terminfoDir;
    QByteArray m_termName;
};
