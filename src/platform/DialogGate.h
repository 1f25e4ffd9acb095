#pragma once

// Whether a server's request may open a dialog now (password and lock
// dialogs): one at a time, so a request while one is open is ignored; and
// after the user cancels one, the server is shown none for a while, so it
// cannot bring the dialog straight back in a loop.

#include <QtGlobal>

class DialogGate
{
public:
    static constexpr int QuietAfterCancelMs = 5000;

    // True when a dialog may open now; it then counts as open until done().
    // The quiet time after a cancel holds only what the server asks for,
    // never the user's own request (`serverAsked` false).
    bool tryOpen(bool serverAsked = true);
    // The dialog closed; `cancelled` starts the quiet time.
    void done(bool cancelled);
    bool isOpen() const { return m_open; }

private:
    bool m_open = false;
    bool m_cancelled = false;
    qint64 m_cancelledAt = 0;
};
