#pragma once

// Starts bridged door programs on pseudo-terminals (forkpty), with the
// terminal type whose description TermFilter gives (or the system's "ansi"
// for setuid and setgid programs and scripts where that is not installed
// system-wide),
// in a plain C locale, in
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

    // The terminal type a program gets. The description compiled into the
    // service's own folder is found through TERMINFO; a setuid or setgid
    // program ignores that, so where the description is not installed
    // system-wide such a program (or a script, which may start one) gets a
    // system type that the filter translates as well.
    static constexpr const char *FallbackTerm = "ansi";
    struct TermChoice {
        QByteArray name;
        bool privateDescription = false;   // TERMINFO points to the service's folder
        QString why;                       // set when the fallback was taken
    };
    static TermChoice ChooseTerm(const QByteArray &configured, bool privileged, bool systemWide);
    // Whether a compiled description of `name` lies in the system's folders.
    static bool SystemHasDescription(const QByteArray &name);

private:
    QString m_workingDir;
    QString m_terminfoDir;
    QByteArray m_termName;
};
