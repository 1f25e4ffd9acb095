#pragma once

// How a client program's window closes over its node connection. The first
// close request drops the connection at once, without waiting for the
// server; when it was up, the window goes 200 ms later so that the close
// reaches the server before the program ends. A second request while that
// runs only minimises the window.

class QCloseEvent;
class QMainWindow;
class QTcpSocket;

class NodeWindowClose
{
public:
    // From the window's closeEvent; accepts or ignores the event.
    void closeEvent(QMainWindow &window, QTcpSocket &socket, QCloseEvent *event);
    // A close is under way: reads, errors and the end of the connection
    // are no longer the user's business.
    bool closing() const { return m_closing; }

private:
    bool m_closing = false;
    bool m_done = false;
};
