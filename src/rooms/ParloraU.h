#pragma once

// The theatre chat room: one connection to a room's node server, the chat
// view and input, and the member list grouped into speakers, guests and
// audience with the room's moderation commands on its menu. Unlike the other
// node clients it has no game surface and no screen engine: everything the
// server sends is chat, member-list updates and a few markers.
//
// The pipeline: socket chunk -> Parlora::Decode (the first rule that
// matches) -> lights, dialogs, caption, or TDispAnsi -> Memo5 / Memo6.
// The member list's rules (own level, room kind, menu, commands) are
// RoomMembers; this window wires them to its widgets and its connection.
//
// It shares the node clients' session (command line, settings, chat
// appearance) and chat panel (renderer, sending, whispers, password dialogs,
// links) from src/nodeclient, not their window.

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QMainWindow>
#include <QStringList>
#include <QTcpSocket>

#include <functional>
#include <memory>

#include "AppInfo.h"
#include "Colors.h"
#include "ReadPause.h"
#include "NodeSession.h"
#include "RoomMembers.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class QWidget;

class ChatSession;
class NodeChatPanel;
class TDispAnsi;
class TRichEditURL;
class TShape;
class TUserListView;
class TWinState;

class TParloras : public QMainWindow
{
    Q_OBJECT
public:
    // `arguments`: the command line after the program name (host, port,
    // user name, password).
    explicit TParloras(const QStringList &arguments = ProgramArguments(),
                       QWidget *parent = nullptr);
    ~TParloras() override;

    // ---- State shared with the other node clients ----
    NodeSession &session() { return m_session; }
    const NodeSession &session() const { return m_session; }
    bool Activated() const { return m_activated; }
    bool Closing() const { return m_closing; }

    // ---- The room's own state ----
    // The server offered this user the room's lock.
    bool LockGranted = false;
    // The renderer's log file: "ChatLog.txt" while "AutoLog Chat" is checked.
    QString LogFileName() const;

    // Derived from the member list each time they are asked for.
    int OwnLevel() const;
    bool ModeratedRoom() const;
    QList<RoomMembers::Row> memberRows() const;
    QList<QByteArray> selectedMemberCaptions() const;

    TDispAnsi *chatRenderer() const;
    ChatSession &chatSession() const;
    const QImage &roomPicture() const { return m_roomPicture; }

    // ---- Handlers, public so that tests can drive them ----
    void FormActivate();
    bool Send(const QByteArray &bytes);
    // One chunk as a read hands it on; done in order on the work queue, at
    // once when it is short.
    void dispatch(const QByteArray &chunk);
    void SendButtonClick();
    void LockExecute();
    void PopupMenu2Popup();
    // Runs the member menu's entry as if chosen.
    void MemberCommand(RoomMembers::Entry entry);
    void CopyClick();
    void CopyNameClick();
    void SelectAllClick();
    void AutoLogChatClick();
    void OpenLink(const QByteArray &link);

    // How the program ends after a connection error; a test replaces it on
    // its window. The default closes every window and leaves the event loop.
    std::function<void()> EndProgram;
    // The notice sound, a file name in the working folder.
    static inline const QString NoticeSound = QStringLiteral("Poll.Wav");

    // ---- Controls (named as the window layout names them) ----
    QToolBar *ToolBar1 = nullptr;
    TShape *Shape1 = nullptr;
    QToolButton *btnAway = nullptr;
    QAction *Lock = nullptr;
    QWidget *Panel6 = nullptr;
    QLabel *Image3 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QSplitter *Splitter1 = nullptr;
    TRichEditURL *Memo5 = nullptr;
    QMenu *PopupMenu1 = nullptr;   // the chat view's menu
    QAction *Copy1 = nullptr;
    QAction *CopyName1 = nullptr;
    QAction *SelectAll1 = nullptr;
    QAction *AutoLogChat1 = nullptr;
    QLabel *Panel9 = nullptr;
    TUserListView *Memo6 = nullptr;
    QMenu *PopupMenu2 = nullptr;   // the member menu
    QPlainTextEdit *Memo4 = nullptr;
    QPushButton *bitbtn3 = nullptr;
    QTcpSocket *ClientSocket = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void decide(const QByteArray &chunk);
    void buildWindow();
    void buildMemberColumn(QWidget *column);
    void buildMenus();
    void readStartupSettings(const QStringList &arguments);
    void drawRoomPicture();
    void connectToNode();
    void setRoomPanelColour(TColor colour);

    void ClientSocketConnect();
    void ClientSocketRead();
    void ClientSocketDisconnect();
    void ClientSocketError(QAbstractSocket::SocketError error);
    void LockUpdate();
    bool Memo4KeyDown(QKeyEvent *event);
    void ShowChatText(const QByteArray &text);

    // What a received chunk asks for.
    void keepAlive();
    void passwordRequested();
    void ChatNote(const QString &text);
    void lockOffered();
    void roomNamed(const QByteArray &title, bool lockInTitle);
    void noticeArrived(const QByteArray &caption, const QByteArray &message);
    void chatArrived(const QByteArray &text, bool marked);

    void updateMemberCount();
    void dropHeadingSelection();
    void dropHeadingSelectionAt(int row);
    void whereIsClick();
    void whisperClick();
    void sendRoleCommands(char digit, QList<QByteArray> captions);
    void bootNameClick();
    void copyMemberNameClick();
    void greyBoxClick();
    void playNoticeSound();

    NodeSession m_session;
    std::unique_ptr<NodeChatPanel> m_chatPanel;
    QImage m_roomPicture;
    bool m_activated = false;
    bool m_closing = false;
    TWinState *m_winState = nullptr;
    class WorkQueue *m_work = nullptr;
    ReadPause m_readPause;
    bool m_errorReported = false;
    bool m_wasConnected = false;
};
