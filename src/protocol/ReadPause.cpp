#include "ReadPause.h"

#include <QTcpSocket>

void ReadPause::limitSocket(QTcpSocket &socket, long long bytes)
{
    socket.setReadBufferSize(bytes);
}
