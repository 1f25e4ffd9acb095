#pragma once

// What the lobby does with what the lobby server sends. Every read event
// brings one chunk; the dispatcher decides what it is (a keep-alive, the
// ready marker, a menu command, a pop-up notice, an invitation or chat for
// the renderer) and tells its host what to do. It keeps only the text
// waiting to be dispatched and whether the introduction went out, so tests
// drive it with bytes and a recording host, without a socket or a window.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// What the lobby sends to ask for a menu, and what the server's answer
// starts with: the games menu and the chat-room menu.
namespace LobbyMenuCommand {
inline const QByteArray Games = QByteArrayLiteral("\\SpawnMenu");
inline const QByteArray Rooms = QByteArrayLiteral("\\SpawnCMenu");
} // namespace LobbyMenuCommand

// The two menu frames the server can open.
enum class LobbyMenu { Games, Rooms };

// What the dispatcher needs of the lobby window.
class LobbyDispatchHost
{
public:
    virtual ~LobbyDispatchHost() = default;

    virtual bool soundOn() const = 0;
    virtual bool away() const = 0;
    // The e-mail address sent in the introduction.
    virtual QByteArray email() const = 0;

    virtual void playEventSound(const QByteArray &label) = 0;
    virtual void blink() = 0;
    virtual void receiveLamps() = 0;
    virtual void sendLamps() = 0;
    virtual void setStatus(const QString &text) = 0;
    // Writes the bytes to the connection as they are (one write).
    virtual void sendRaw(const QByteArray &bytes) = 0;

    // Opens the menu frame's own connection; the port is above 0.
    virtual void openMenu(LobbyMenu menu, int port) = 0;
    // A grey notice window, shown without waiting.
    virtual void showNotice(const QByteArray &caption, const QByteArray &text) = 0;
    // The chat renderer's Dispatch; returns its result code.
    virtual int renderChunk(const QByteArray &text) = 0;
    // The same when the host gets to it (a long text takes several turns of
    // the event loop); `then` gets the result code. At once unless the host
    // says otherwise.
    virtual void renderChunkThen(const QByteArray &text, std::function<void(int code)> then)
    {
        then(renderChunk(text));
    }
    // After the user list was replaced: select the user's own row.
    virtual void selectOwnRow() = 0;
    // Somebody asked where this user is.
    virtual void sendWhereIsReply() = 0;
    // Asks the user whether to join the inviter's chat room.
    virtual bool acceptInvitation(const QByteArray &inviter) = 0;
    // The same when the host gets to it (the window asks from the event
    // loop, so that the connection is read on while the question is up);
    // `then` gets the answer, or is never called when the question is not
    // put. At once unless the host says otherwise.
    virtual void acceptInvitationThen(const QByteArray &inviter, std::function<void(bool yes)> then)
    {
        then(acceptInvitation(inviter));
    }
    // Starts the chat-room client on that port (above 0) of the current server.
    virtual void startChatRoom(int port) = 0;
};

class LobbyDispatcher
{
public:
    explicit LobbyDispatcher(LobbyDispatchHost &host);

    // The chunk waiting to be dispatched.
    QByteArray PendingText;
    // The introduction has gone out; set once and kept for the whole run.
    bool IntroSent = false;

    // One read event: everything that arrived, as one chunk.
    void Received(QByteArray chunk);
    // Takes PendingText and acts on it. An invitation is a piece of its own
    // (from its marker to the end of its line, the next escape or the next
    // invitation); what comes before and after it is dispatched as a chunk
    // of its own, so a where-is or chat in the same read is not lost.
    void Dispatch();
    // Dispatches what is still pending, then sends the version, the e-mail
    // line and a keep-alive as three writes.
    void SendIntro();

    // ---- The bytes, as plain functions ----
    // IdentifyOpen, the name as typed, IdentifyClose, the password; no line end.
    static QByteArray Identification(const QByteArray &userName, const QByteArray &password);
    // The three writes of the introduction, in order.
    static QList<QByteArray> Introduction(const QByteArray &email);
    // The port of "\\SpawnMenu:1030": the number between the first ":" and the next.
    static int SpawnPort(const QByteArray &text);
    // An invitation ":5005[Bob": the number between the first ":" and the
    // next "[", and the inviter after the first "[".
    static int InvitationPort(const QByteArray &text);
    static QByteArray Inviter(const QByteArray &text);
    // Where the invitation whose marker is at `at` ends (before its line end,
    // an escape or the next invitation's marker), and in `next` where the
    // text after it starts (past one line end).
    static qsizetype InvitationEnd(const QByteArray &text, qsizetype at, qsizetype *next);
    // A notice after its marker and one spare byte: caption ">" text; the
    // whole rest for both when there is no ">".
    static QByteArray NoticeCaption(const QByteArray &text);
    static QByteArray NoticeText(const QByteArray &text);

private:
    // Dispatches the text from `from` on, up to the end of the first
    // invitation in it; returns where the rest starts.
    qsizetype dispatchPiece(const QByteArray &text, qsizetype from);
    void openMenu(LobbyMenu menu, const QByteArray &text);
    void notice(const QByteArray &text);
    void invitation(const QByteArray &text);
    void render(const QByteArray &text);
    void rendered(int code);

    LobbyDispatchHost &m_host;
};
