#pragma once

// The main window every node client program is built on (the card table,
// the sketch game, the door-game terminals, the chat room): one TCP
// connection to the node server named on the command line, the game surface
// the server paints through the screen engine, the chat view and input, and
// the players column with its lights, list, status bar and tool bar.
//
// The pipeline: socket chunk -> NodeDispatcher (the order of tests) ->
//   screen bytes -> ScreenFeeder (fed from the event loop) -> TAnsi -> Image2
//   chat lines / player list -> NodeChatPanel (TDispAnsi) -> Memo5 / Memo6
//
// Where it connects and as whom is its NodeSession; the chat view, input
// and list with what the user does there are its NodeChatPanel. The chat
// room shares both without the rest of this window.
//
// Extension points for a program (override in the derived window):
//   - NodeFrameOptions, given to the constructor: the program file name (for
//     further launches), the placement section, window and surface sizes,
//     the colour the surface starts in, the "Show Chat" heights.
//   - screenCommand(text, search) / chatCommand(text, search): the program's
//     own tests of a chunk, in steps 4 and 8 of the dispatch (see
//     NodeDispatcher.h); call dispatch() from them to hand parts back, and
//     post() for what they do, so that it happens in its turn.
//   - ChunkDispatched(): after every received chunk (the card table sets the
//     surface cursor back to the arrow).
//   - SurfaceMouseDown / SurfaceDoubleClick / SurfaceKeyPress: what the
//     surface sends (nothing by default).
//   - DrawListPicture / PlaceButton / EngineReport: the engine's list
//     pictures, server buttons and reports (nothing by default).
//   - FeedEngine(bytes): how queued screen bytes reach the engine (default
//     TAnsi::Write, a slice at a time).
//   - PopupMenu2Popup(): the options menu, rebuilt as it opens (default: keep
//     what it has; the constructor puts "Refresh Screen" in it).
//   - ResourcePicture(name): the pictures DrawResourcePicture draws (default:
//     the suite's own pictures, "BITMAPVT" among them).
//   - QueueScreenBytes(bytes): a program's local echo into the screen queue;
//     PaintSurfaceText(...): surface text with another canvas or colour table.
//   - ConfigureEngine(): font size and rows, set at the first activation
//     before anything is drawn (default: size 8 with fixed cells on screens
//     narrower than 1024 pixels when ScaleLowRes is set, else the measured
//     size 9).
//   - FormActivate(): a program may add to every activation (call the
//     frame's first).
//   - ClientSocketConnect(): what happens once connected (default: the
//     identification, ClientReady 200 ms later; no user name closes).
//   - screenFeeder(): how queued screen bytes are paced (slices, or whole
//     queues as the door terminals feed them).
//   - NodeFrameOptions::toolBar false: no tool bar, no lock action and no
//     vote or options menus.
// Everything else (connecting, identification, the dispatch order, the chat
// panel, closing) is shared and not meant to be changed.

#include <QByteArray>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

#include <functional>
#include <memory>

#include "Colors.h"
#include "NodeDispatcher.h"
#include "NodeSession.h"
#include "NodeWindowClose.h"
#include "ReadPause.h"

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;
class QVBoxLayout;

class AnsiCanvas;
class ChatSession;
class NodeChatPanel;
class ScreenFeeder;
class ServerSounds;
class TAnsi;
class TDispAnsi;
class TRichEditURL;
class TShape;
class TStatusPanel;
class TSurfaceImage;
class TUserListView;
class TWinState;
class WorkQueue;
struct TAnsiRect;

struct NodeFrameOptions
{
    QString programFile = QStringLiteral("Cardamo");   // the executable's name
    QString placementSection = QStringLiteral("Vantora Game Lobby");
    // The placement lives in the suite's settings tree rather than in an INI
    // file of the program's own.
    bool placementInRegistry = false;
    QString initialCaption = QStringLiteral("Vantora Game Lobby");
    QString windowClassName = QStringLiteral("TfrmCardamo");
    QSize windowSize{760, 563};
    QSize surfaceSize{820, 504};
    QSize scrollRange{820, 500};
    QColor surfaceStart = Qt::black;   // the first activation fills the surface
    bool readsScaleLowRes = true;
    bool toolBar = true;   // "Show Chat", "Options", "Vote" and the lock button
    QByteArray chatLead;   // sent in front of the prefixes of every typed chat line
    int scrollerHeightChatShown = 400;
    int scrollerHeightChatHidden = 521;
};

class TNodeClientFrame : public QMainWindow, protected NodeDispatchTarget
{
    Q_OBJECT
public:
    // `arguments`: the command line after the program name.
    TNodeClientFrame(const NodeFrameOptions &options, const QStringList &arguments,
                     QWidget *parent = nullptr);
    ~TNodeClientFrame() override;

    // ---- Frame state ----
    // Where the frame connects and as whom, and the user's chat appearance.
    NodeSession &session() { return m_session; }
    const NodeSession &session() const { return m_session; }
    bool Activated() const { return m_activated; }
    bool Closing() const { return m_close.closing(); }
    bool Feeding() const;
    QByteArray ScreenBuffer() const;

    const NodeFrameOptions &options() const { return m_options; }
    TAnsi *engine() const { return m_engine.get(); }
    TDispAnsi *chatRenderer() const;
    // What the window's renderers share (the score or any other view of
    // the program's takes it too).
    ChatSession &chatSession() const;
    NodeChatPanel &chatPanel() const { return *m_chatPanel; }
    QTcpSocket *clientSocket() const { return ClientSocket; }
    ServerSounds *sounds() const { return m_sounds; }
    bool smallMode() const;

    // ---- Handlers, public so that hosts and tests can drive them ----
    virtual void FormActivate();
    // Sends raw bytes on the node connection (nothing when not connected).
    bool Send(const QByteArray &bytes);
    // Hands one chunk to the dispatcher, as a read does. What it decides is
    // done in order on the window's work queue: at once when it is short,
    // otherwise over the next turns of the event loop.
    void dispatch(const QByteArray &chunk);
    WorkQueue *workQueue() const;
    void SendButtonClick();
    void PopupMenu4Popup();
    void PopupMenu1Popup();
    virtual void PopupMenu2Popup();
    void LockExecute();
    void ShowChat(bool down);
    void OpenLink(const QByteArray &link);

    // Operations the screen engine calls.
    void DrawResourcePicture(const TAnsiRect &rect, const QByteArray &name);
    void DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text);
    void RefreshSurface();
    void PlayServerSound(const QByteArray &fileName);
    void FetchSound(const QByteArray &fileName);

    // The player list's plain helpers.
    QList<QByteArray> playerCaptions() const;
    QList<QByteArray> selectedPlayerCaptions() const;
    QString playerTip(int row) const;

    // ---- Controls (named as the window layout names them) ----
    QScrollArea *Scroller = nullptr;
    QWidget *Scrollbox1 = nullptr;
    TSurfaceImage *Image2 = nullptr;
    QSplitter *Splitter1 = nullptr;
    TRichEditURL *Memo5 = nullptr;
    QPlainTextEdit *Memo4 = nullptr;
    QPushButton *bitbtn3 = nullptr;
    QLabel *Panel6 = nullptr;
    TShape *Shape1 = nullptr;
    TShape *Shape2 = nullptr;
    TUserListView *Memo6 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TStatusPanel *StatusPanel = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QAction *Lock = nullptr;
    QMenu *PopupMenu1 = nullptr;   // vote
    QMenu *PopupMenu2 = nullptr;   // options
    QMenu *PopupMenu4 = nullptr;   // player
    QAction *MenuItem1 = nullptr;
    QAction *MenuItem2 = nullptr;
    QTcpSocket *ClientSocket = nullptr;

protected:
    // ---- Program hooks (see the list at the top) ----
    virtual void ConfigureEngine();
    virtual void FeedEngine(const QByteArray &bytes);
    virtual void ChunkDispatched() {}
    virtual void SurfaceMouseDown(QPoint point, Qt::MouseButton button);
    virtual void SurfaceDoubleClick(QPoint point);
    // True when the key was taken (it then does not reach the focused control).
    virtual bool SurfaceKeyPress(QKeyEvent *event);
    virtual void DrawListPicture(const TAnsiRect &rect, int picture);
    virtual void PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text);
    virtual void EngineReport(const QByteArray &text);
    virtual QImage ResourcePicture(const QByteArray &name);
    virtual void ClientSocketConnect();
    ScreenFeeder *screenFeeder() const { return m_feeder; }

    // NodeDispatchTarget (steps 4 and 8 stay open to the program).
    void passwordRequested() override;
    void lockOffered() override;
    void captionReceived(const QByteArray &caption) override;
    void screenData(const QByteArray &bytes) override;
    void playerList(const QByteArray &text) override;
    void chatLine(const QByteArray &lineWithBreak) override;

    // Shows text through the chat renderer (after what is queued before it).
    void ShowChatText(const QByteArray &text);
    // Does what a program decided about the text being dispatched, in its
    // turn: every effect of the program's own tests goes through here, so
    // that it keeps its place among the frame's.
    void post(std::function<void()> effect);
    // One line of the program's own in the chat view; server text in it is
    // shown as it stands, never acted on.
    void ChatNote(const QString &text);
    // Queues bytes for the engine as received screen data is queued, without
    // touching the lights (a program's local echo).
    void QueueScreenBytes(const QByteArray &bytes);
    // Draws a surface text on Image2 behind which `canvas`'s brush colour
    // shows: at the size given when `sizeAsGiven`, else 2 points smaller,
    // in the colour `colourOf` gives for the code.
    void PaintSurfaceText(AnsiCanvas *canvas, const TAnsiRect &rect, const QByteArray &text,
                          bool sizeAsGiven, const std::function<TColor(int code)> &colourOf);
    void setLights(const QColor &shape1, const QColor &shape2);

    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildPlayersColumn(QWidget *column);
    void buildToolBar(QWidget *column, QVBoxLayout *layout);
    void readStartupSettings(const QStringList &arguments);
    void createEngine();
    void installChatHooks();
    void connectToNode();

    void ClientSocketRead();
    void receive(const QByteArray &chunk);
    void ClientSocketDisconnect();
    void ClientSocketError(QAbstractSocket::SocketError error);
    void LockUpdate();
    void updatePlayerCount();
    bool Memo4KeyDown(QKeyEvent *event);
    void whereIsClick();
    void whisperClick();

    NodeFrameOptions m_options;
    NodeSession m_session;
    std::unique_ptr<NodeChatPanel> m_chatPanel;
    std::unique_ptr<TAnsi> m_engine;
    std::unique_ptr<NodeDispatcher> m_dispatcher;
    ScreenFeeder *m_feeder = nullptr;
    ServerSounds *m_sounds = nullptr;
    TWinState *m_winState = nullptr;
    bool m_activated = false;
    NodeWindowClose m_close;
    bool m_connectionFailed = false;
    WorkQueue *m_work = nullptr;
    ReadPause m_readPause;
    bool m_scaleLowRes = false;
    QList<QByteArray> m_voteEntries;
};
