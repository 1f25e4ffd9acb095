#pragma once

// What the chat renderer writes into, as plain interfaces: the chat view's
// insertion point and lines, the user list's rows and a status-bar panel.
// The renderer decides text and attributes; the widgets turn them into Qt
// formats, rows and labels. ChatTranscript is the in-memory chat output.

#include <QByteArray>
#include <QDebug>
#include <QString>

#include "Colors.h"

// The insertion attributes of a chat view: what the next inserted text looks like.
struct ChatStyle
{
    TColor color = TColors::Black;
    QByteArray fontName = "Arial";
    int fontSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool link = false;   // the text is a clickable link

    // Bold, italic and underline off; colour, font and link stay.
    void setPlain() { bold = italic = underline = false; }

    friend bool operator==(const ChatStyle &, const ChatStyle &) = default;
};

QDebug operator<<(QDebug debug, const ChatStyle &style);
char *toString(const ChatStyle &style);   // QCOMPARE's printer

// CR LF, a lone CR and a lone LF all become one LF.
QByteArray UnifyLineBreaks(const QByteArray &text);

class ChatOutput
{
public:
    virtual ~ChatOutput() = default;

    virtual ChatStyle insertionStyle() const = 0;
    virtual void setInsertionStyle(const ChatStyle &style) = 0;

    // The colour text goes back to when the link format is switched off.
    virtual TColor fontColor() const = 0;

    // On: what is inserted next is a link, underlined, blue 00 00 FF.
    // Off: link and underline off, colour back to fontColor().
    void SetLinkFormat(bool on);

    // The caret is the view's insertion point; a user may click it away
    // from the end of the text.
    virtual bool caretAtEnd() const = 0;
    virtual void moveCaretToEnd() = 0;
    // Its column in its line, counted from 0.
    virtual int caretColumn() const = 0;

    // Adds bytes at the end of the text with the insertion attributes. CR LF,
    // a lone CR and a lone LF each end a line.
    virtual void insertText(const QByteArray &text) = 0;

    // Lines of text; an empty last line (after a final line break) is not counted.
    virtual int lineCount() const = 0;
    // Deletes the first line with its line break.
    virtual void deleteFirstLine() = 0;

    // A rendering call brackets its changes with these, so a widget can
    // defer scrolling and repainting to the end.
    virtual void beginChanges() {}
    virtual void endChanges() {}
};

// One row of a user list, as a user-list block line describes it.
struct UserListRow
{
    QByteArray caption;
    int image = 0;
    int state = 0;
    int data = 0;
    bool hasSecondColumn = false;
    QByteArray secondColumn;

    friend bool operator==(const UserListRow &, const UserListRow &) = default;
};

class UserListOutput
{
public:
    virtual ~UserListOutput() = default;

    virtual int rowCount() const = 0;
    // Rebuilding and updating are bracketed with these (repainting is
    // suspended meanwhile).
    virtual void beginUpdate() = 0;
    virtual void endUpdate() = 0;
    virtual void clearRows() = 0;
    virtual void addRow(const UserListRow &row) = 0;
    // Caption, icon, state icon and data; the second column only when the
    // row has one (then it replaces the first sub-item).
    virtual void updateRow(int index, const UserListRow &row) = 0;
};

// A status-bar panel that shows one text.
class StatusPanelOutput
{
public:
    virtual ~StatusPanelOutput() = default;
    virtual void setPanelText(const QByteArray &text) = 0;
};
