#pragma once

// The chat line renderer. Chat from the lobby server and the node servers is
// 8-bit text with attribute codes (ESC "[" and one byte selects a colour, a
// style, a font or a size; ESC "]" ends a run). A text may also be a
// user-list block, a where-is query, a request to play a sound or a control
// marker. TDispAnsi turns such text into formatted text at the end of a chat
// view, marks the first address of a run as a link, keeps the view to
// MaxLines lines, logs what it shows, refills the user list and plays chat
// and event sounds through the host's hooks. Show returns a code that tells
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

    TDispAnsi();
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
    // Makes this renderer's StatusPanel the current one, then as Show.
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

    // ---- Settings shared by every renderer of the program ----
    // Folders end in "/". Taunts are "Taunt" NNN ".wav" in TauntFolder;
    // sounds and media named in chat are in MediaFolder.
    static inline QString TauntFolder;
    static inline QString MediaFolder;
    static inline QByteArray UserName;
    static inline QByteArray Password;   // kept for the hosts; not used here
    // A line whose sound was played is not shown.
    static inline bool SuppressOnSound = true;
    // The chat view's background counts as dark.
    static inline bool DarkView = true;
    // Restored before every attribute code.
    static inline QByteArray DefaultFontName = "Arial";
    static inline int DefaultFontSize = 10;
    static inline int MaxLines = 150;
    static inline TColor DefColor = RGBToTColor(0x00, 0xB9, 0xB9);
    // When set, the plain text shown is appended to this file.
    static inline QString LogFileName;
    // A grave-accent sound that is not on disk (the host fetches it).
    static inline std::function<void(const QByteArray &fileName)> MissingSoundHook;
    // A sound or media file on disk, instead of playing it here.
    static inline std::function<void(const QString &path)> MediaHook;
    // Plays an event sound: "Look", "Here", "Away", "NewArrival", "PersonExits".
    static inline std::function<void(const QByteArray &label)> EventSoundHook;
    // Starts a wave file asynchronously, without waiting for a busy device;
    // true when it started. Programs route it to the platform's sound player.
    static inline std::function<bool(const QString &path)> SoundFileHook;
    // The lines of the last user-list block.
    static inline QList<QByteArray> UserListLines;
    // The StatusPanel of the renderer whose Dispatch ran last.
    static inline StatusPanelOutput *CurrentStatusPanel = nullptr;

    // Back to the values a program starts with (tests).
    static void ResetSharedSettings();
    // A panel that goes away stops being the current one.
    static void ForgetStatusPanel(StatusPanelOutput *panel);

    // ---- Pieces of the renderer, usable on their own ----
    // The colour as it is drawn on the view's background.
    static TColor Contrast(TColor color);
    // Plays the sound a chat text names; true when a sound counts as played.
    static bool ChatSound(const QByteArray &text);
    // Whether the text names a sound, playing nothing.
    static bool IsChatSound(const QByteArray &text);
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
    // Applies one attribute code byte (not F or S) to the attributes.
    static void ApplyCode(char code, ChatStyle &style);

private:
    class Render;

    int run(const QByteArray &text, UserListOutput *list);
    ChatOutput &output();
    // The text as shown when the view's last line is `column` long already.
    QByteArray cutLongLines(const QByteArray &text, qsizetype column);

    ChatTranscript m_noView;   // where text goes while no view is attached
    QString m_lastError;
    bool m_cuttingLine = false;   // dropping the rest of a line that was cut
};
