#pragma once

// What the sketch game sends and how it reads what its node server sends,
// as plain functions over bytes. The window (TfrmDoodlixTable) only wires
// these to the connection and the controls.
//
// Outgoing:
//   stroke       ESC "[" x1;y1;x2;y2;width;colour;"0L" ESC "]"
//   erase all    ESC "[47J" ESC "]"
//   guess        "Guess?:" text CR LF CR LF
//   ready        "Guess?:" name " Ready " CR LF
//   hint mark    "Guess?:" ESC "[0;0;" row ";1G" icon B7
// Incoming chat (after the node frame's chat marker):
//   "Guess?:" ...               a guess or a hint mark for the guess list
//   "Score:" ... "EndScore"     a score table
//   "Round#:" ... "EndRound#"   the round's title

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

#include "MarkerSearch.h"

namespace Doodlix {

inline const QByteArray GuessPrefix = "Guess?:";
inline const QByteArray ScorePrefix = "Score:";
inline const QByteArray ScoreEnd = "EndScore";
inline const QByteArray RoundPrefix = "Round#:";
inline const QByteArray RoundEnd = "EndRound#";
inline const QByteArray WordValueStart = "Word Value is ";
inline const QByteArray WordValueEnd = " Points]";
inline constexpr char HintByte = '\xb7';

// The caption above the drawing while no word value is known.
inline const QByteArray DrawingCaption = "Guess What it is..";

// One stroke without its closing ESC "]" (the queue adds it).
QByteArray Stroke(int x1, int y1, int x2, int y2, int width, int colourCode);
QByteArray EraseAllCommand();
QByteArray GuessMessage(const QByteArray &guess);
QByteArray ReadyMessage(const QByteArray &userName);
QByteArray HintMessage(int row, int iconCode);

// The guess-list row under a press at `y`: rows are fontSize + 1 pixels
// high below a margin of 10 (11 when the size is 0 or less); at least 1.
int GuessRowAt(int y, int fontSize);

// The caption above the drawing for screen data that names the word's
// value; nothing when the text does not.
std::optional<QByteArray> WordValueCaption(QByteArrayView screenText);
// The same for the rest of a chunk that `search` walks.
std::optional<QByteArray> WordValueCaption(QByteArrayView screenText, MarkerSearch &search);

// What a chat text means to the sketch game, in the order it is to be done.
struct ChatAction
{
    enum Kind {
        Dispatch,      // hand the bytes to the node dispatcher again
        GuessList,     // write the bytes to the guess list's engine
        ScoreTable,    // show the table in the score window
        RoundTitle,    // the score window's caption
        ResetCaption,  // the caption above the drawing back to DrawingCaption
    };
    Kind kind;
    QByteArray bytes;

    friend bool operator==(const ChatAction &, const ChatAction &) = default;
};
using ChatActions = QList<ChatAction>;

// Decides on a chat text T (what follows the chat marker). Nothing when T
// is an ordinary chat line for the node frame. Text standing before or
// after a score table or a round title is chat too: it is handed back
// behind a chat marker, so that it is shown in the chat view.
std::optional<ChatActions> ChatCommand(QByteArrayView text);
// The same for the rest of a chunk that `search` walks.
std::optional<ChatActions> ChatCommand(QByteArrayView text, MarkerSearch &search);

// What a status text from the drawing does.
struct StatusDecision
{
    enum Kind {
        Nothing,        // empty text
        ReadyCaption,   // the "Ready" button's caption
        GuessLabel,     // Label1's caption (texts with a "*")
    };
    Kind kind = Nothing;
    // ReadyCaption "Ready": the artist's controls are shown (the hints are
    // not enabled).
    bool artistControls = false;
};
StatusDecision StatusText(const QByteArray &text);

} // namespace Doodlix
