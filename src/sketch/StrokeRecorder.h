#pragma once

// The artist's pen: turns presses, moves and releases on the drawing into
// strokes. Strokes are queued and sent in batches (when the queue passes
// SendAbove bytes, at the next press and at a release), and each queued
// stroke is also echoed into the screen queue, so the artist's own strokes
// are drawn by the drawing decoder like everybody else's. Nothing is queued
// or sent while the user is not the artist.
//
// A left press starts a freehand line (PenDown); a right press leaves a dot
// and sets LineMode, after which every release closes a straight segment
// from the last point. Nothing clears LineMode.

#include <QByteArray>
#include <QSize>

#include <functional>

class StrokeRecorder
{
public:
    static constexpr int SendAbove = 200;
    static constexpr int EraserCode = 47;

    // Whether the user is the artist now; strokes count only then.
    std::function<bool()> IsArtist;
    // Bytes for the server, one piece per call.
    std::function<void(const QByteArray &bytes)> SendBytes;
    // Bytes for the drawing decoder (the local echo).
    std::function<void(const QByteArray &bytes)> EchoBytes;

    // The drawing's size: moves and releases count only strictly inside
    // (1, 1)-(width, height).
    void setDrawingSize(QSize size) { m_size = size; }

    void Press(int x, int y, bool rightButton);
    void Move(int x, int y);
    void Release(int x, int y);
    // Fills the drawing with the background colour everywhere.
    void EraseAll();
    // A colour button: the eraser (47) paints 20 wide in the background
    // colour, the others 2 wide.
    void ChooseColour(int code);

    void QueueStroke(const QByteArray &stroke);
    void SendQueue();

    bool PenDown = false;
    bool LineMode = false;
    int LastX = 0;
    int LastY = 0;
    int PenColourCode = 30;
    int PenWidth = 2;
    QByteArray StrokeQueue;

private:
    bool artist() const { return IsArtist && IsArtist(); }
    bool inside(int x, int y) const;
    void strokeTo(int x, int y);

    QSize m_size{391, 265};
};
