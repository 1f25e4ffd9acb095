#pragma once

// The lightweight door terminal: the door screen of Portalis without the
// chat panel, the player list and the surface buttons. The window is the
// game surface over a bar with a status text, "Connect" and "Large Fonts".
// Nothing is ever shown about the connection: a failure leaves the screen
// as it is ("Connect" tries again), and the window closes when the server
// hangs up.
//
// The pipeline: socket chunk -> GateletDispatcher -> screen bytes (chat
// text included, its marker taken out) -> ScreenFeeder (whole queue per
// pass) -> TAnsi -> Image2.

#include <QByteArray>
#include <QCoreApplication>
#include <QMainWindow>
#include <QTcpSocket>

#include <memory>

#include "AppInfo.h"
#include "DialogGate.h"
#include "GateletDispatcher.h"
#include "NodeSession.h"
#include "NodeWindowClose.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QToolButton;
class ScreenFeeder;
class ServerSounds;
class TAnsi;
class TSurfaceImage;
class TWinState;
struct TAnsiRect;

class TfrmGatelet : public QMainWindow, private GateletDispatchTarget
{
    Q_OBJECT
public:
    // `arguments`: the command line after the program name.
    explicit TfrmGatelet(const QStringList &arguments = ProgramArguments(),
                         QWidget *parent = nullptr);
    ~TfrmGatelet() override;

    static constexpr int DefaultPort = 2112;

    // ---- State ----
    // Where it connects and as whom: the local machine on DefaultPort
    // unless the command line names another; no chat appearance is used.
    NodeSession &session() { return m_session; }
    const NodeSession &session() const { return m_session; }
    int LastClickX = 0;
    int LastClickY = 0;
    bool Activated() const { return m_activated; }
    bool Closing() const { return m_close.closing(); }
    bool Feeding() const;
    QByteArray ScreenBuffer() const;
    bool LargeFont() const;
    TAnsi *engine() const { return m_engine.get(); }

    // ---- Handlers, public so that hosts and tests can drive them ----
    void FormActivate();
    bool Send(const QByteArray &bytes);
    void dispatch(const QByteArray &chunk);
    void Button1Click();
    void SpeedButton1Click(bool down);
    void SendEngineReply(const QByteArray &text);

    // Operations the screen engine calls.
    void DrawResourcePicture(const TAnsiRect &rect, const QByteArray &name);
    void DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text);
    void RefreshSurface();
    void PlayServerSound(const QByteArray &fileName);

    // ---- Controls ----
    QScrollArea *Scroller = nullptr;
    QWidget *Scrollbox1 = nullptr;
    TSurfaceImage *Image2 = nullptr;
    QWidget *Panel4 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanel = nullptr;
    QPushButton *Button1 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QTcpSocket *ClientSocket = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void createEngine();
    void readStartupSettings(const QStringList &arguments);
    void configureEngine();
    void connectToNode();
    void identifyLater();

    void ClientSocketConnect();
    void ClientSocketRead();
    void ClientSocketDisconnect();
    void ClientSocketError(QAbstractSocket::SocketError error);
    void SurfaceMouseDown(QPoint point);
    void SurfaceDoubleClick();

    // GateletDispatchTarget
    void passwordRequested() override;
    void captionReceived(const QByteArray &caption) override;
    void screenData(const QByteArray &bytes) override;

    NodeSession m_session;
    std::unique_ptr<TAnsi> m_engine;
    GateletDispatcher m_dispatcher;
    ScreenFeeder *m_feeder = nullptr;
    ServerSounds *m_sounds = nullptr;
    TWinState *m_winState = nullptr;
    int m_argumentCount = 0;
    bool m_scaleLowRes = false;
    bool m_activated = false;
    NodeWindowClose m_close;
    bool m_connectionFailed = false;
    bool m_readPaused = false;
    DialogGate m_passwordGate;
};
