#pragma once

// Paints the race table in the screen dialect of the card-table client, in
// character cells like the Hearts table (race cards are about 8 cells wide
// and 9 high at the usual cell size, a little less on small screens):
//
//  - rows 2 to 13: the other teams' piles, one block of 39 columns each;
//  - rows 14 to 25: the viewer's team at the left; the deck, the discard
//    pile and the buttons at the right;
//  - row 26: a line for the viewer;
//  - rows 27 to 37: the viewer's hand, card tops at row 28 (row 27 for the
//    card picked to play). Race cards never go into the client's last-trick
//    record, wherever they are drawn.
//
// Each block shows a team's names, its miles and game total, the top of its
// battle pile and of its speed pile, and its safeties (a coup marked).

#include <QByteArray>
#include <QList>
#include <QSet>

namespace RacePainter {

struct TeamView {
    QByteArray names;          // "Ann & Cleo (cpu)"
    int miles = 0;
    int total = 0;             // game points before this hand
    int battleTop = -1;        // race card, -1 for an empty pile
    int speedTop = -1;
    QList<int> safeties;
    int coups = 0;
    bool turn = false;
};

struct RaceView {
    QByteArray title;          // "Race Deck"
    QByteArray handLine;       // "Hand 2 - 2 players - game to 5000"
    QList<TeamView> teams;     // the viewer's team first
    QList<int> hand;           // race cards (0 to 19)
    int selected = -1;         // index into hand
    int deckLeft = 0;
    int discardTop = -1;
    QByteArray status;
};

// What a press on the table names.
struct Target {
    enum class Kind { None, HandCard, Team, Deck, Discard } kind = Kind::None;
    int index = -1;            // the hand card, or the team (in the view's order)
};

constexpr int HandRow = 28;
constexpr int SelectedRow = 27;
constexpr int StatusRow = 26;

QByteArray FullTable(const RaceView &view);
// Everything but the clear: repaints the table in place.
QByteArray Update(const RaceView &view);
QByteArray Status(const QByteArray &text);
QByteArray Hand(const QList<int> &hand, int selected);

int HandColumn(int index);
Target TargetAt(const RaceView &view, int column, int row);

// The buttons a viewer needs; `shown` holds those the client shows and is
// kept up to date.
enum Button { Draw = 1, Discard = 2, Coup = 4, LetGo = 8, NewGame = 16 };
QByteArray Buttons(int wanted, QSet<QByteArray> *shown);
inline const QByteArray DrawButton = "draw";
inline const QByteArray DiscardButton = "discard";
inline const QByteArray CoupButton = "coup";
inline const QByteArray LetGoButton = "letgo";
inline const QByteArray NewGameButton = "newgame";

} // namespace RacePainter
