#pragma once

// The card table. The games run on the node server, which paints the table
// on the surface; the table reports presses, double-clicks, typed characters
// and presses on the buttons the server placed on the surface, draws the
// cards the server names, keeps the last complete trick for the "Last Trick"
// window and opens further tables when the server asks.

#include <QByteArray>
#include <QCoreApplication>

#include "NodeClientFrame.h"

class QAbstractButton;
class TLastTrick;
class TSurfaceButtons;

class TfrmCardamo : public TNodeClientFrame
{
    Q_OBJECT
public:
    explicit TfrmCardamo(const QStringList &arguments = QCoreApplication::arguments().mid(1),
                         QWidget *parent = nullptr);
    ~TfrmCardamo() override;

    static NodeFrameOptions Options();

    // Where the last press on the surface was, in surface pixels.
    int LastClickX = 0;
    int LastClickY = 0;

    TLastTrick *LastTrick = nullptr;

    // The button the server placed under that name, if any.
    QAbstractButton *surfaceButton(const QByteArray &name) const;
    int surfaceButtonCount() const;

    void PopupMenu2Popup() override;

    // Operations the screen engine calls.
    void DrawListPicture(const TAnsiRect &rect, int code) override;
    void PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text) override;

protected:
    bool screenCommand(QByteArrayView text, MarkerSearch &search) override;
    void ChunkDispatched() override;
    void SurfaceMouseDown(QPoint point, Qt::MouseButton button) override;
    void SurfaceDoubleClick(QPoint point) override;
    bool SurfaceKeyPress(QKeyEvent *event) override;

private:
    void SpawnNode(const QByteArray &chunk);
    // At natural size, or stretched into `smallSize` in the small mode.
    void drawCard(const TAnsiRect &rect, int code, QSize smallSize);
    void ShowLastTrickClick();

    TSurfaceButtons *m_buttons = nullptr;
};
