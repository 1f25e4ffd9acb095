#pragma once

// The door-game terminal. A text-mode game runs on a remote server and
// draws itself as an ANSI character screen on the surface; the user answers
// with single keys, the arrow keys (sent as keypad digits when released) and
// presses on the screen, as on a terminal. Beside the screen the frame's
// chat view, chat input and player list let the people in the same door
// talk.
//
// Started with host, port, user name and password it identifies itself as
// every node client does; started with host and port alone it identifies
// nobody and is a plain terminal to that server.

#include <QByteArray>
#include <QCoreApplication>

#include "AppInfo.h"
#include "NodeClientFrame.h"

class QAbstractButton;
class QToolButton;
class TSurfaceButtons;

class TfrmPortalis : public TNodeClientFrame
{
    Q_OBJECT
public:
    explicit TfrmPortalis(const QStringList &arguments = ProgramArguments(),
                          QWidget *parent = nullptr);
    ~TfrmPortalis() override;

    static NodeFrameOptions Options();

    // Where the last press on the surface was, in surface pixels.
    int LastClickX = 0;
    int LastClickY = 0;
    // The "X" button's state and the setting of the same name.
    bool LargeFont() const;

    QWidget *Panel10 = nullptr;   // the chat area below the surface
    QWidget *Panel3 = nullptr;    // the players column
    QToolButton *SpeedButton1 = nullptr;   // "X": large fonts

    // The button the server placed under that name, if any.
    QAbstractButton *surfaceButton(const QByteArray &name) const;
    int surfaceButtonCount() const;

    void FormActivate() override;
    void SpeedButton1Click(bool down);
    // The engine's answer to a report request goes to the server 200 ms later.
    void SendEngineReply(const QByteArray &text);

    // Operations the screen engine calls.
    void PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text) override;

protected:
    void ConfigureEngine() override;
    void ClientSocketConnect() override;
    void ChunkDispatched() override;
    void SurfaceMouseDown(QPoint point, Qt::MouseButton button) override;
    void SurfaceDoubleClick(QPoint point) override;
    // Presses and releases alike (the window sees the releases too).
    bool SurfaceKeyPress(QKeyEvent *event) override;
    void EngineReport(const QByteArray &text) override;
    void lockOffered() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOutWindow();
    void layOutChat();

    TSurfaceButtons *m_buttons = nullptr;
    int m_argumentCount = 0;
    bool m_largeFontAtStart = false;
};
