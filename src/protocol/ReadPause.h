#pragma once

// Reading a connection only as fast as the window keeps up. A window that
// is behind (its screen queue or its work queue is above the high mark)
// leaves the rest in the connection: Qt's socket buffer is limited, so the
// system's buffer fills and the server has to wait. Memory stays bounded
// whatever the server sends, also while a dialog is open. When the window
// has caught up, the read that was held back is made.
//
// In the read handler:     if (!m_readPause.mayRead(behind)) return;
// When the backlog drains: if (m_readPause.resume()) readHandler();

class QTcpSocket;

class ReadPause
{
public:
    // What the socket itself holds at most before it stops reading.
    static constexpr long long SocketBuffer = 1024 * 1024;
    static void limitSocket(QTcpSocket &socket, long long bytes = SocketBuffer);

    // False (and the read is remembered) while the reader is behind.
    bool mayRead(bool behind)
    {
        if (behind)
            m_paused = true;
        return !behind;
    }
    // True when a read was held back; it is then no longer remembered.
    bool resume()
    {
        const bool was = m_paused;
        m_paused = false;
        return was;
    }
    bool paused() const { return m_paused; }

private:
    bool m_paused = false;
};
