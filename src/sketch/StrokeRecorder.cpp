#include "StrokeRecorder.h"

#include "DoodlixProtocol.h"

bool StrokeRecorder::inside(int x, int y) const
{
    return x > 1 && y > 1 && x < m_size.width() && y < m_size.height();
}

void StrokeRecorder::strokeTo(int x, int y)
{
    QueueStroke(Doodlix::Stroke(LastX, LastY, x, y, PenWidth, PenColourCode));
    LastX = x;
    LastY = y;
}

void StrokeRecorder::Press(int x, int y, bool rightButton)
{
    LastX = x;
    LastY = y;
    SendQueue();
    // A press always leaves a dot, wherever it is.
    strokeTo(x + 1, y + 1);
    if (rightButton)
        LineMode = true;
    else
        PenDown = true;
}

void StrokeRecorder::Move(int x, int y)
{
    if (PenDown && inside(x, y))
        strokeTo(x, y);
}

void StrokeRecorder::Release(int x, int y)
{
    if (inside(x, y) && (PenDown || LineMode)) {
        strokeTo(x, y);
        SendQueue();
    }
    PenDown = false;
}

void StrokeRecorder::EraseAll()
{
    QueueStroke(Doodlix::EraseAllCommand());
    SendQueue();
}

void StrokeRecorder::ChooseColour(int code)
{
    PenColourCode = code;
    PenWidth = code == EraserCode ? 20 : 2;
}

void StrokeRecorder::QueueStroke(const QByteArray &stroke)
{
    if (!artist())
        return;
    const QByteArray piece = stroke + "\x1b]";
    StrokeQueue += piece;
    if (EchoBytes)
        EchoBytes(piece);
    if (StrokeQueue.size() > SendAbove)
        SendQueue();
}

void StrokeRecorder::SendQueue()
{
    // Strokes queued before the artist mode ended wait for the next turn.
    if (!artist() || StrokeQueue.isEmpty())
        return;
    const QByteArray queue = StrokeQueue;
    StrokeQueue.clear();
    if (SendBytes)
        SendBytes(queue);
}
