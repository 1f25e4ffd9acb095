#pragma once

// The message boxes a server opens through the screen engine's widget
// captures. One box is open at a time in a program; while it is, further
// texts wait (at most MaxWaiting) and open one after another as the user
// closes them. Texts beyond that are dropped, and the program is told how
// many once the burst is over (a chat line), so a server can never cover
// the desktop with boxes.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class MessageBoxQueue
{
public:
    static constexpr int MaxWaiting = 16;

    // The program's queue.
    static MessageBoxQueue &instance();

    void show(const QByteArray &text);
    bool boxOpen() const { return !m_open.isNull(); }
    int waiting() const { return int(m_waiting.size()); }
    QWidget *openBox() const { return m_open; }
    // Closes the open box and forgets what waits (the program is ending).
    void clear();

    // Told, after the event loop's current turn, how many texts were
    // dropped since the last report. Without it the count is logged.
    std::function<void(int dropped)> OnDropped;
    // Makes the window for a text; the default is a QMessageBox with an OK
    // button that does not block the program. Tests replace it.
    std::function<QWidget *(const QByteArray &text)> MakeBox;

private:
    void openNext();
    void reportDrops();

    QPointer<QWidget> m_open;
    QList<QByteArray> m_waiting;
    int m_dropped = 0;
    bool m_reportQueued = false;
};
