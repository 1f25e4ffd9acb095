#pragma once

// How many programs a server can have this one start, and how fast. A server
// that sends start commands in a loop gets a bounded number of windows, not
// a desktop full of them; each refusal says why, for one chat line.

#include <QList>
#include <QString>

class ProgramLauncher;

class StartLimits
{
public:
    struct Rules
    {
        int minIntervalMs = 0;   // between two starts
        int maxTotal = -1;       // starts in this run; -1: no limit
        int maxRunning = -1;     // started and still running; -1: no limit
        QString what = QStringLiteral("program");   // for the refusal: "table", ...
    };

    explicit StartLimits(Rules rules);

    // Empty when a start may go now; otherwise why not.
    QString refusal(const ProgramLauncher &launcher) const;
    // A start went out (`pid` 0 when unknown).
    void started(const ProgramLauncher &launcher, qint64 pid);
    int total() const { return m_total; }

private:
    Rules m_rules;
    int m_total = 0;
    qint64 m_lastStart = 0;
    bool m_anyStart = false;
    QList<qint64> m_pids;
};
