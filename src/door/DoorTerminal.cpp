#include "DoorTerminal.h"

#include <QKeyEvent>
#include <QTcpSocket>

#include "Ansi.h"
#include "ByteText.h"
#include "ScreenFeeder.h"
#include "Waits.h"

namespace DoorTerminal {

bool IsArrow(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left
           || key == Qt::Key_Right;
}

QByteArray KeyPressBytes(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QByteArray(1, '\r');
    case Qt::Key_Backspace:
        return QByteArray(1, '\x08');
    case Qt::Key_Escape:
        return QByteArray(1, '\x1b');
    case Qt::Key_Tab:
        return QByteArray(1, '\t');
    default:
        break;
    }
    if (IsArrow(key))
        return {};
    // Control letters type their control byte whatever the desktop puts in
    // the text (curses programs live on them).
    if ((modifiers & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QByteArray(1, char(key - Qt::Key_A + 1));
    return ProtocolBytes(text);
}

QByteArray KeyReleaseBytes(int key, bool autoRepeat)
{
    if (autoRepeat)
        return {};
    switch (key) {
    case Qt::Key_Up:
        return "8";
    case Qt::Key_Down:
        return "2";
    case Qt::Key_Left:
        return "4";
    case Qt::Key_Right:
        return "6";
    default:
        return {};
    }
}

bool SurfaceKey(const QKeyEvent &event, const std::function<void(const QByteArray &)> &send)
{
    if (event.type() == QEvent::KeyRelease) {
        const QByteArray digit = KeyReleaseBytes(event.key(), event.isAutoRepeat());
        if (digit.isEmpty())
            return false;
        send(digit);
        return true;
    }
    if (event.type() != QEvent::KeyPress)
        return false;
    // Arrows go out when released.
    if (IsArrow(event.key()))
        return true;
    const QByteArray typed = KeyPressBytes(event.key(), event.modifiers(), event.text());
    if (typed.isEmpty())
        return false;
    send(typed);
    return true;
}

void SetEngineFont(TAnsi &engine, bool smallScreenCells, bool largeFont)
{
    if (smallScreenCells)
        engine.SetFontSize(SmallFontSize);
    else
        engine.SetMeasuredFontSize(NormalFontSize);
    if (largeFont)
        engine.SetMeasuredFontSize(LargeFontSize);
    engine.SetRowCount(RowCount);
}

void SetLargeFont(TAnsi &engine, bool largeFont)
{
    engine.SetMeasuredFontSize(largeFont ? LargeFontSize : NormalFontSize);
}

void ToggleLargeFont(TAnsi &engine, bool largeFont)
{
    engine.RedrawAtMeasuredFontSize(largeFont ? LargeFontSize : NormalFontSize);
}

void PaceFeeding(ScreenFeeder &feeder, QTcpSocket &socket)
{
    feeder.setWholeQueuePasses(Waits::scaled(FeedPauseMs));
    feeder.setWaterMarks(QueueHighWater, QueueLowWater);
    socket.setReadBufferSize(SocketReadBuffer);
}

} // namespace DoorTerminal
