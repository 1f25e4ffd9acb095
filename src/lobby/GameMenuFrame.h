#pragma once

// A menu page of the lobby's top panel: the games menu or the chat-room
// menu. The frame holds a scrolling picture the lobby's screen engine paints
// from what the menu server sends, the buttons that server places on it,
// and its own connection to the menu server. A press on the picture sends
// the character cell under the pointer; the server answers with a new
// screen or with a command that starts a client program or switches the
// lobby to another server (MenuDispatch).

#include <QByteArray>
#include <QFrame>
#include <QPixmap>
#include <QPoint>
#include <QString>

#include <memory>

#include "MenuDispatch.h"
#include "MenuFrame.h"

class QScrollArea;
class QTcpSocket;
class TAnsi;
class TSurfaceButtons;
class TSurfaceImage;
struct TAnsiRect;

// What a menu frame needs of the lobby window.
class GamesFrameLobby
{
public:
    virtual ~GamesFrameLobby() = default;
    // The text of "Server Name"; the user's name and password as typed.
    virtual QString serverName() const = 0;
    virtual QString userName() const = 0;
    virtual QString password() const = 0;
    // The lobby's folder, ending in "/".
    virtual QString lobbyDir() const = 0;
    virtual void setStatus(const QString &text) = 0;
    // Makes `host` the server name and `port` the channel, then runs "Apply".
    virtual void switchServer(const QString &host, int port) = 0;
    // The menu server went away while the menu was in use: back to the chat.
    virtual void menuDropped() = 0;
    // The glyph of a server-made button: the lobby's icon `image`.
    virtual QPixmap buttonGlyph(int image) const = 0;
    // The engine draws small: a narrow screen and "Scale Graphics on Low
    // Resolution (800x600)" checked.
    virtual bool smallScreen() const = 0;
};

class TGamesFrame : public QFrame, public MenuFrame, private MenuDispatchHost
{
    Q_OBJECT
public:
    // The most the menu connection holds unread: one read is drawn at once
    // (about 25 ms of the engine's time).
    static constexpr long long MenuReadLimit = 256 * 1024;

    static constexpr int PictureWidth = 1608;
    static constexpr int PictureHeight = 1204;
    // The design port, used until the lobby server names another.
    static constexpr int DesignPort = 1030;

    TGamesFrame(GamesFrameLobby &lobby, QWidget *parent = nullptr);
    ~TGamesFrame() override;

    QScrollArea *Scroller = nullptr;
    QWidget *Scrollbox1 = nullptr;
    TSurfaceImage *Image2 = nullptr;
    QTcpSocket *MenuSocket = nullptr;
    // The lobby's screen engine while this frame's page is showing.
    TAnsi *Engine = nullptr;
    // The menu is in use: its connection came up or the mouse moved over it.
    bool MenuActive = false;
    // The menu has started a program or switched the server.
    bool MenuActed = false;

    // MenuFrame
    void OpenMenu(int port) override;
    // The logo on black; the menu is no longer in use.
    void ClearMenu();
    // Paints with `engine` from now on and installs the frame's drawing
    // operations on it.
    void AttachEngine(TAnsi *engine);
    // Lets go of the engine (another frame has it now).
    void DetachEngine();
    // Leaves the menu: no longer in use, connection closed.
    void CloseMenu();
    bool MenuConnected() const;
    // Writes to the menu connection when it is up.
    void SendMenu(const QByteArray &bytes);

    // Drawing operations the engine calls.
    void DrawResourcePicture(const TAnsiRect &rect, const QByteArray &name);
    void DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text);
    void PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text);
    TSurfaceButtons &Buttons() const { return *m_buttons; }

    // The pointer shows the busy shape: presses are ignored until it moves.
    bool Busy() const { return m_busy; }

    // Handlers.
    void MenuSocketConnect();
    void MenuSocketDisconnect();
    void MenuSocketRead();
    void Image2MouseMove(QPoint point);
    void Image2MouseDown(QPoint point);
    void Image2MouseUp();

private:
    // MenuDispatchHost
    QString serverName() const override;
    QString userName() const override;
    QString password() const override;
    bool programExists(const QString &program) const override;
    QString askPassword() override;
    void sendRaw(const QByteArray &bytes) override;
    void switchServer(const QString &host, int port) override;
    bool startProgram(const QString &program, const QStringList &arguments,
                      bool reportMissing) override;
    void showMessage(const QString &text) override;
    void writeScreen(const QByteArray &text) override;

    void showLogo();

    GamesFrameLobby &m_lobby;
    MenuDispatcher m_dispatcher;
    std::unique_ptr<TSurfaceButtons> m_buttons;
    bool m_busy = false;
    bool m_pressPause = false;
};
