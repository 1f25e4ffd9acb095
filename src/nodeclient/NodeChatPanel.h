#pragma once

// The chat side of a node client's window, shared by the frame the game
// programs are built on and by the chat room: the renderer with the chat
// session it shares, the views it writes to, and what the user does there -
// typing and sending a line, whispering to or locating a selected player,
// answering a password dialog, following a link. The window keeps its own
// connection, lights and menus, and hands this panel the session, its views,
// its socket and the work queue its received text goes through.
//
// Everything shown goes through the work queue after what is queued before
// it, so the order of the server's text and the window's own notes is kept.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "DialogGate.h"

class QPlainTextEdit;
class QTcpSocket;
class QUrl;
class QWidget;

class ChatSession;
class NodeSettings;
class PlatformChatHost;
class TDispAnsi;
class TRichEditURL;
class TStatusPanel;
class TUserListView;
class WorkQueue;
struct NodeSession;

class NodeChatPanel
{
public:
    struct Views
    {
        TRichEditURL *view = nullptr;      // the chat view
        TUserListView *list = nullptr;     // the player or member list
        QPlainTextEdit *input = nullptr;   // the chat input
        QWidget *listHeader = nullptr;     // the panel above the list
        TStatusPanel *status = nullptr;    // absent in the chat room
    };

    // `window` parents the dialogs; `host` plays, logs and fetches for the
    // chat. The window outlives the panel; so do the views, the socket and
    // the work queue, which the window drops the panel before.
    NodeChatPanel(QWidget *window, NodeSession &session, const Views &views, QTcpSocket *socket,
                  WorkQueue *work, std::unique_ptr<PlatformChatHost> host);
    ~NodeChatPanel();
    NodeChatPanel(const NodeChatPanel &) = delete;
    NodeChatPanel &operator=(const NodeChatPanel &) = delete;

    ChatSession &chatSession() const { return *m_chatSession; }
    TDispAnsi *renderer() const { return m_chat.get(); }

    // The user, the password and the media folder as the session holds
    // them go to the chat session (once the command line has been read).
    void TakeSession();
    // Reads the chat appearance from the settings and applies it to the
    // views: background, text colour and font; sets the session's
    // DarkBackground.
    void ApplyAppearance(const NodeSettings &settings);

    // Sends raw bytes on the connection; false when not connected, or
    // when nothing or not everything was taken.
    bool Send(const QByteArray &bytes);
    // Shows the text through the renderer after what is queued before it;
    // a long text over several turns of the event loop.
    void Show(const QByteArray &text);
    // One line of the program's own; server text in it is shown as it
    // stands, never acted on.
    void Note(const QString &text);

    // Sends the typed line (after `lead` and the user's prefixes) when it
    // holds something and `mayChat`, and empties the input; true when a
    // line was to go out.
    bool SendTypedLine(const QByteArray &lead, bool mayChat);
    // Sends `request` for the first of the selected players, if any; the
    // input takes the focus back.
    void WhereIs(const QList<QByteArray> &selected,
                 const std::function<QByteArray(const QByteArray &caption)> &request);
    // The typed text goes privately to each selected player (sent only
    // when `mayChat`), and the input empties; nothing when none is selected.
    void Whisper(const QList<QByteArray> &selected, bool mayChat);

    // The password dialog: the server's request ("Security"), one at a
    // time and none for a while after a cancel; a cancel sends the
    // password marker alone.
    void AnswerPasswordRequest();
    // The lock's dialog ("Room Security"), the user's own: it shares the
    // password dialog's turn, and its cancel keeps no server request away.
    // A cancel sends the marker alone when `cancelSendsMarker`, else nothing.
    void AskLockPassword(bool cancelSendsMarker);

    // Opens a link from the chat view with UrlOpener; a link that is not
    // safe to open, or that could not be opened, is reported in a message.
    void OpenLink(const QByteArray &link);
    // How links are opened; tests replace it. The default is the desktop's handler.
    std::function<bool(const QUrl &url)> UrlOpener;
    // The window is closing: dialogs send nothing any more.
    std::function<bool()> Closing;

private:
    bool closing() const { return Closing && Closing(); }
    // Asks for a password; false when the user cancelled.
    bool askPassword(const QString &title, QString *typed);

    QPointer<QWidget> m_window;
    NodeSession &m_session;
    Views m_views;
    QPointer<QTcpSocket> m_socket;
    QPointer<WorkQueue> m_work;
    DialogGate m_passwordGate;
    // Declared so that the renderer goes first, then its session, then the host.
    std::unique_ptr<PlatformChatHost> m_host;
    std::unique_ptr<ChatSession> m_chatSession;
    std::unique_ptr<TDispAnsi> m_chat;
};
