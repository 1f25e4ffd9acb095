#pragma once

// The chat line renderer. Chat from the lobby server and the node servers is
// 8-bit text with attribute codes (ESC "[" and one byte selects a colour, a
// style, a font or a size; ESC "]" ends a run). A text may also be a
// user-list block, a where-is query, a request to play a sound or a control
// marker. TDispAnsi turns such text into formatted text at the end of a chat
// view, marks the first address of a run as a link, keeps the view to
// MaxLines lines, logs what it shows, refills the user list and plays chat
// and event sounds through its session's host (ChatSession, ChatHost). Show returns a code that tells
// the caller what kind of text it was.
//
// The renderer writes through ChatOutput/UserListOutput/StatusPanelOutput,
// so it runs without a window; TRichEditURL, TUserListView and TStatusPanel
// are the widgets behind those interfaces.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

#include "ChatOutput.h"
#include "ChatSession.h"
#include "ChatTranscript.h"
#include "Colors.h"
#include "WorkQueue.h"

class TDispAnsi
{
public:
    // What a rendered text was.
    enum Result {
        OrdinaryText = 1,   // shown (or its sound played), empty, or someone else's where-is
        IdentifyPrefix = 3, // third byte BD; nothing shown
        PrefixP = 4,        // third byte "P"; nothing shown
        UserListBlock = 5,  // the user list was refilled, the text after the block shown
        WhereIsShown = 6,   // a where-is query naming this user was shown
        ServerReady = 7,    // third byte B3; nothing shown
    };

    // The session holds what every renderer of the program shares (user
    // name, colours, sound folders, the log) and outlives the renderer.
    explicit TDispAnsi(ChatSession &session);
    ~TDispAnsi();
    TDispAnsi(const TDispAnsi &) = delete;
    TDispAnsi &operator=(const TDispAnsi &) = delete;

    // Each may be absent. The renderer does not own them.
    void Attach(ChatOutput *chatView, UserListOutput *userListView,
                StatusPanelOutput *statusPanel);

    ChatOutput *ChatView = nullptr;
    UserListOutput *UserListView = nullptr;
    StatusPanelOutput *StatusPanel = nullptr;
    // Chat sounds and event sounds are played only when true.
    bool SoundsOn = false;

    // Renders into ChatView, refilling UserListView from user-list blocks.
    int Show(const QByteArray &text);
    // As Show without a user list: a user-list block refills nothing and
    // ends the text; presence sounds are not played.
    int ShowWithoutList(const QByteArray &text);
    // Makes this renderer's StatusPanel the session's current one, then as Show.
    int Dispatch(const QByteArray &text);

    // Dispatch done a part at a time on a work queue: each turn renders
    // until the deadline; when the text is done, `done` gets the result
    // code. What is shown, and in which order, is what Dispatch shows. The
    // renderer and its views outlive the job.
    WorkQueue::Job DispatchJob(const QByteArray &text, std::function<void(int code)> done = {});

    // A line of the view is at most this long: the rest of a longer line is
    // dropped up to its line break, and a notice line says so.
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    // Why the last rendering call failed (the chat log could not be
    // written); empty when it did not. The text is in the view either way.
    QString LastError() const { return m_lastError; }

    ChatSession &session() const { return m_session; }

    // ---- Pieces of the renderer, usable on their own ----
    // The sound name in a chat text.
    static QByteArray ChatSoundName(const QByteArray &text);
    // A name from chat or a server is used only as a plain file name in the
    // folder: no separator, no "..", no control byte (00-1F, 7F), not
    // starting with "-" or "." (no option, no hidden file), at most 255 bytes.
    static bool IsPlainFileName(const QByteArray &name);
    static constexpr int MaxFileNameBytes = 255;
    // "caption=image;state;data" with an optional "|second column|".
    static UserListRow ParseUserListLine(const QByteArray &line);
    // Lines split at CR LF, CR or LF; a final line break adds no empty line.
    static QList<QByteArray> SplitLines(const QByteArray &block);
    // Rebuilds the list when the row count differs, else updates in place.
    static void RefillUserList(UserListOutput &list, const QList<QByteArray> &lines);

private:
    class Render;

    int run(const QByteArray &text, UserListOutput *list);
    ChatOutput &output();
    // The text as shown when the view's last line is `column` long already.
    QByteArray cutLongLines(const QByteArray &text, qsizetype column);

    ChatSession &m_session;
    ChatTranscript m_noView;   // where text goes while no view is attached
    QString m_lastError;
    bool m_cuttingLine = false;   // dropping the rest of a line that was cut
};
