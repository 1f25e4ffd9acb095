#include "NodeWindowClose.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QTcpSocket>

#include "Waits.h"

void NodeWindowClose::closeEvent(QMainWindow &window, QTcpSocket &socket, QCloseEvent *event)
{
    if (m_done) {
        event->accept();
        return;
    }
    if (m_closing) {
        event->ignore();
        window.showMinimized();
        return;
    }
    m_closing = true;
    socket.disconnect(&window);
    const bool connected = socket.state() == QAbstractSocket::ConnectedState;
    socket.abort();
    if (!connected) {
        m_done = true;
        event->accept();
        return;
    }
    event->ignore();
    Waits::after(200, &window, [this, &window] {
        m_done = true;
        window.close();
    });
}
