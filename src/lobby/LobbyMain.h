#pragma once

// The lobby's main window: settings, event sounds, login, what its pages
// and buttons do, the banner and the order of shutdown. Its controls are
// built by LobbyMainUi, the top panel slides by SlidePanel, and the server
// connection is a LobbyConnection.

#include <QAbstractSocket>
#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Colors.h"
#include "LobbyMainUi.h"
#include "ReadPause.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTcpSocket;
class QToolButton;
class EventSounds;
class LobbyDispatchHost;
class LobbyDispatcher;
class LobbyConnection;
class GamesFrameLobby;
class TAnsi;
class TGamesFrame;
class QUrl;
class LobbySettings;
class SettingsStore;
class ChatSession;
class PlatformChatHost;
class TDispAnsi;
class TFBVUMeter;
class TLobbyMedia;
class MediaPlayer;
class SoundInput;
class SlidePanel;
class TLogin;
class TRichEditURL;
class TStatusPanel;
class TUserListView;
class TWinState;
class TScrollingBanner;
class TShape;
class TTrayIcon;

// What the lobby starts from. Programs leave everything empty; tests hand in
// their own settings trees, command line and folder.
struct LobbyStartup
{
    SettingsStore *settings = nullptr;              // the user's tree
    const SettingsStore *machineSettings = nullptr; // the machine-wide tree
    std::optional<QStringList> arguments;           // without the program name
    QString lobbyDir;                               // ends in "/"
    MediaPlayer *mediaPlayer = nullptr;             // the built-in media player
    SoundInput *soundInput = nullptr;               // the level meter's input
};

// The optional command line: VTLobby [port [server]].
struct LobbyCommandLine
{
    std::optional<int> port;
    std::optional<QString> server;
    static LobbyCommandLine parse(const QStringList &arguments);
};

class TLobbyMainForm : public QMainWindow, public LobbyMainUi
{
    Q_OBJECT
public:
    explicit TLobbyMainForm(QWidget *parent = nullptr);
    explicit TLobbyMainForm(const LobbyStartup &startup, QWidget *parent = nullptr);
    ~TLobbyMainForm() override;

    // Window-level state.
    QString LobbyDir;
    bool Activated = false;
    bool Closing = false;
    bool FastConnection = true;
    bool SoundOn = true;
    QByteArray ATColor;
    QByteArray ATStyle;

    // Kept in the window's chat session, where the renderer and the other
    // parts of the lobby read them.
    QString ChatFontName() const;
    void SetChatFontName(const QString &name);
    int ChatFontSize() const;
    void SetChatFontSize(int size);
    TColor DefaultTextColor() const;
    void SetDefaultTextColor(TColor color);
    QString UserName() const;
    QString Password() const;
    QString MediaFolder() const;
    QString TauntFolder() const;

    // What the window's chat renderers share; it outlives them.
    ChatSession &chatSession() const { return *m_chatSession; }

private:
    std::unique_ptr<PlatformChatHost> m_chatHost;
    std::unique_ptr<ChatSession> m_chatSession;

public:
    // The chat line renderer of the chat view, the user list and the first
    // status panel.
    std::unique_ptr<TDispAnsi> ChatRenderer;
    TWinState *WinState1 = nullptr;
    // The lobby connection.
    QTcpSocket *ClientSocket = nullptr;


    // The media pages, the media strip's actions, transfers and the level meter.
    TLobbyMedia *Media = nullptr;

    // The login dialog while it is open (tests answer it through this).
    TLogin *loginDialog() const;

    LobbySettings &settings() const { return *m_settings; }

    // Operations other parts of the lobby use.
    void ApplyAppearance();
    void DarkTest(TColor color);
    bool SlideIsOpen() const;
    void OpenSlide(int page, std::function<void()> done = {});
    void CloseSlide(std::function<void()> done = {});
    bool SlideMoving() const;
    void SetATColor(const QByteArray &code);
    void SetATStyle(const QByteArray &codes);
    void SetATColorFromBox();
    // One pass of what runs while the lobby is idle: the banner.
    void IdleStep();
    void LoginAndConnect(std::function<void()> done = {});
    bool ConnectionActive() const;
    void DeactivateConnection();
    // The current font box text; the stored name while the box has no
    // selection (a font that is not installed).
    QString FontBoxText() const;

    // Handlers.
    void FormActivate();
    void btnApplyClick();
    void btnDefaultsClick();
    void btnReconnectClick();
    void FileConnectItemClick();
    void ApplyHostAndPort();
    void OptionBoxClick();
    void PageButtonClick(int page);
    void btnHideClick();
    void btnCloseClick();
    void ShowFromTray();
    void ExitFromTray();
    void acceptClose(QCloseEvent *event);
    void ImAway();
    void ImHere();

    // ---- The lobby server connection ----
    // The state of one run besides the dispatcher's (PendingText, IntroSent).
    bool Paused = false;
    bool Away = false;
    bool GameWindowFound = false;
    LobbyDispatcher &Dispatcher() const;
    // The games and chat-room menu frames the server's menu commands open.
    TGamesFrame *GamesFrame1 = nullptr;
    TGamesFrame *GamesFrame2 = nullptr;

    void ClientSocketConnect();
    void ClientSocketDisconnect();
    void ClientSocketError(QAbstractSocket::SocketError error);
    // What the server sent is done in order on this queue, in slices.
    class WorkQueue *workQueue() const { return m_work; }
    // "Hang-Up"; `done` runs when its waits are over.
    void BitBtn11Click(std::function<void()> done = {});
    // The players header: log in again.
    void Panel6Click();
    void SetStatus(const QString &text);
    void SendRaw(const QByteArray &bytes);
    void ReceiveLamps();
    void SendLamps();
    void StatusLamp();
    void Blink();
    void SendWhereIsReply();
    void SelectOwnRow();
    // Asks about an invitation at once; false when another is open.
    bool AcceptInvitation(const QByteArray &inviter);
    // Asks from the event loop, outside the read and the work that took the
    // chunk, so that the connection is read and dispatched on while the
    // question is up; `then` gets a Yes.
    void AskInvitation(const QByteArray &inviter, std::function<void()> then);
    void StartChatRoom(int port);

    // ---- The menus and the chat view's links ----
    // The one screen engine, lent to the frame of the menu page showing.
    TAnsi &Engine() const { return *m_engine; }
    // Opens the links that are neither commands nor quick launches; the
    // desktop's handler unless a test puts its own.
    std::function<bool(const QUrl &url)> UrlOpener;
    // A quick launch is waiting for its menu.
    bool QuickLaunching() const { return m_quickLaunching; }
    // What opening a page of the slide panel does to the menus.
    void MenuPageOpened(int page);
    // Leaves both menus: not in use, connections closed.
    void CloseMenus();
    // Makes `host` the server name and `port` the channel, then "Apply".
    // A host that is no host name is refused; a host other than the one in
    // use is asked about first ("Switch to server ...?"), once per host and
    // run. False when the switch did not happen.
    bool SwitchServer(const QString &host, int port);
    // One line of the lobby's own in the chat view; server text in it is
    // shown as it stands, never acted on.
    void ChatNote(const QString &text);
    void Memo2LinkClick(const QByteArray &link);
    // The message for a link the lobby cannot open (chat and Browse page).
    void LinkFailed(const QByteArray &link);

    // ---- The chat console ----
    QMenu *InsertMenu = nullptr;           // "Insert"'s right-click menu

    void SendChatText(const QByteArray &text);
    // `done` runs after the wait that follows the line.
    void SendPrivateText(const QByteArray &name, const QByteArray &text,
                         std::function<void()> done = {});
    void SetAway(bool away);
    // "  Send", and Return in the message box (`returnKey`).
    void SendMessage(bool returnKey);
    void SendButtonClick();
    void btnMyTimeClick();
    void btnCryClick();
    void btnInsertClick();
    void InsertMenuPopup();
    void OnlineIconClick(int index);
    void SpeedButtonBClick();
    void SpeedButtonIClick();
    void cbxFontNamesChange();
    void SpinEdit1Change();
    void btnWindowColorClick();
    void btnDefaultTextColorClick();

    // ---- The user list ----
    QMenu *PopupMenu2 = nullptr;
    // Rebuilds the right-click menu for the present selection.
    void PopupMenu2Popup();
    void Memo3Change();
    int OwnRank() const;
    QList<QByteArray> SelectedCaptions() const;
    // The hover tip of a row.
    QString Memo3Hint(int row) const;

signals:
    // A re-connection was asked for ("Re-Connect", "Apply", "Defaults").
    void reconnectRequested();
    // The first activation has finished, login included.
    void firstActivationDone();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const LobbyStartup &startup);
    void buildWindow();
    // The connections of the controls to the window's handlers.
    void WireWindow();

    void ReadSettings();
    void WriteSettings();
    void ApplyCommandLine(const QStringList &arguments);
    void FirstActivation();
    void FinishFirstActivation();
    void PaintSplash();
    void ShowChatView(bool chat);
    void ShowWelcome();
    void SupressClick();
    void setChatViewColour(const QColor &color);
    void RunIdleTimer();
    void FontBoxSelect(const QString &name);

    // Connection, console and user list (their own source files).
    void WireConnection();
    void WireConsole();
    void WireUserList();
    void WireMenus();
    // Gives the engine to `frame` and shows its logo; the other frame lets go.
    void AttachMenuFrame(TGamesFrame *frame);
    bool RunLink(const QByteArray &link);
    void QuickLaunch(const QByteArray &link);
    // Looks at `ready` now and every 50 ms, at most 501 times; then runs
    // `next` with whether it became true.
    void LookUntil(std::function<bool()> ready, int looksLeft, std::function<void(bool)> next);
    bool OnlineEventFilter(QObject *watched, QEvent *event);
    void ConnectSocket();
    void MessageBoxEnter();
    void InsertIntoMessageBox(const QString &text);
    void WhisperTo(QList<QByteArray> captions, const QByteArray &text);
    void ReconnectSteps();
    void HangUpSteps(std::function<void()> done);
    void DisconnectSteps();

    std::unique_ptr<SettingsStore> m_ownSettings;
    std::unique_ptr<SettingsStore> m_ownMachine;
    SettingsStore *m_store = nullptr;
    const SettingsStore *m_machine = nullptr;
    std::unique_ptr<LobbySettings> m_settings;
    std::unique_ptr<EventSounds> m_sounds;
    QPointer<TLogin> m_login;
    QString m_storedFontName;
    QString m_storedMediaPath;
    bool m_firstActivationQueued = false;
    bool m_closeReady = false;
    bool m_quitWhenClosed = false;   // "E&xit" of the tray: the program ends with the close
    bool m_idleInstalled = false;

    QTimer m_idleTimer;
    SlidePanel *m_slide = nullptr;

    std::unique_ptr<TAnsi> m_engine;
    std::unique_ptr<GamesFrameLobby> m_menuLobby;
    bool m_quickLaunching = false;
    // Hosts the user agreed to switch to in this run (lower case).
    QSet<QString> m_switchAllowed;
    bool m_switchAsking = false;
    bool m_invitationOpen = false;
    bool mayLeaveFor(const QString &host);

    // The window as the host of the connection's dispatcher.
    std::unique_ptr<LobbyDispatchHost> m_dispatchHost;
    LobbyConnection *m_connection = nullptr;
    class WorkQueue *m_work = nullptr;   // the connection's
    void buildConnection();
    void DisconnectedSteps();
    void ConnectionErrorSteps();
};
