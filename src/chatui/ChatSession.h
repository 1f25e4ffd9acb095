#pragma once

// What every chat renderer of a program shares: who the user is, how chat
// text is coloured and sized, where sounds lie and whether a played sound
// hides its line, where the chat log goes, the last user list, and the
// host that plays and writes. The program's main window owns one and hands
// it to each renderer it makes; a test makes its own.

#include <QByteArray>
#include <QList>
#include <QString>

#include "ChatOutput.h"
#include "Colors.h"

class ChatHost;

class ChatSession
{
public:
    // Without a host nothing is played, fetched or logged.
    explicit ChatSession(ChatHost *host = nullptr);
    ChatSession(const ChatSession &) = delete;
    ChatSession &operator=(const ChatSession &) = delete;

    ChatHost *host() const { return m_host; }
    // Returns the host it had.
    ChatHost *setHost(ChatHost *host);

    // ---- The user ----
    QByteArray UserName;
    QByteArray Password;   // kept for the windows; the renderer does not use it

    // ---- Colours and fonts ----
    // The chat view's background counts as dark.
    bool DarkView = true;
    // Restored before every attribute code.
    QByteArray DefaultFontName = "Arial";
    int DefaultFontSize = 10;
    TColor DefColor = RGBToTColor(0x00, 0xB9, 0xB9);
    int MaxLines = 150;

    // ---- Sounds ----
    // Folders end in "/". Taunts are "Taunt" NNN ".wav" in TauntFolder;
    // sounds and media named in chat are in MediaFolder.
    QString TauntFolder;
    QString MediaFolder;
    // A line whose sound was played is not shown.
    bool SuppressOnSound = true;

    // ---- Log ----
    // When set, the plain text shown is appended to this file.
    QString LogFileName;

    // The lines of the last user-list block.
    QList<QByteArray> UserListLines;

    // The colour as it is drawn on the view's background.
    TColor Contrast(TColor color) const;
    // Applies one attribute code byte (not F or S) to the attributes.
    void ApplyCode(char code, ChatStyle &style) const;
    // A sound is looked for only in texts shorter than this; IsChatSound
    // looks at no more than SoundTestLimit bytes.
    static constexpr qsizetype SoundTextLimit = 100;
    static constexpr qsizetype SoundTestLimit = 44;
    // Plays the sound a chat text names; true when a sound counts as played.
    bool ChatSound(const QByteArray &text);
    // Whether the text names a sound, playing nothing.
    bool IsChatSound(const QByteArray &text) const;

    void PlayEventSound(const QByteArray &label);
    // Appends to LogFileName when it is set; empty when that went well, else why not.
    QString AppendToLog(const QByteArray &text);

    // The status panel of the renderer whose Dispatch ran last: where the
    // status text of a line replaced by its sound goes.
    StatusPanelOutput *CurrentStatusPanel() const { return m_statusPanel; }
    void SetCurrentStatusPanel(StatusPanelOutput *panel) { m_statusPanel = panel; }
    // A panel that goes away stops being the current one.
    void ForgetStatusPanel(const StatusPanelOutput *panel);

private:
    bool playFile(const QString &path);
    bool playOrHandOver(const QString &path);
    QString tauntPath(const QByteArray &name) const;

    ChatHost *m_host = nullptr;
    StatusPanelOutput *m_statusPanel = nullptr;
};
