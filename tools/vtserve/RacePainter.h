#pragma once

// Paints the race table in the screen dialect of the card-table client.
// Everything is placed in character cells, and the client's cells differ:
// measured from its font (often 7 by 14 or 9 by 11 pixels) or 8 by 10 on
// small screens, while a race card is 70 by 102 pixels (55 by 74 small). So
// cards are ten columns apart, a card's place is counted as only 7 columns
// by 7 rows for presses, and every change repaints the whole table (a
// filled box of a given number of rows would be a different height in
// each geometry):
//
//  - rows 1 to 12: the other teams' piles, one block of 40 columns each;
//  - rows 13 to 24: the viewer's team at the left; the hand's heading, the
//    deck, the discard pile and the buttons at the right;
//  - row 25: a line for the viewer;
//  - rows 26 to 35: the viewer's hand, card tops at row 27 (row 26 for the
//    card picked to play). Race cards never go into the client's
//    last-trick record, wherever they are drawn.
//
// Each block shows a team's names, its miles and game total, the top of its
// battle pile and of its speed pile, and its safeties (the coups counted).

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

constexpr int HandRow = 27;
constexpr int SelectedRow = 26;
constexpr int StatusRow = 25;

QByteArray FullTable(const RaceView &view);

int HandColumn(int index);
Target TargetAt(const RaceView &view, int column, int row);

// The buttons a viewer needs; `shown` holds those the client shows and is
// kept up to date. "New Game" offers the sizes of a new game in the places
// of the others: two or three players, or two teams of two.
enum Button { Draw = 1, Discard = 2, Coup = 4, LetGo = 8, NewGame = 16, TwoPlayers = 32, ThreePlayers = 64, TwoTeams = 128 };
QByteArray Buttons(int wanted, QSet<QByteArray> *shown);
inline const QByteArray DrawButton = "draw";
inline const QByteArray DiscardButton = "discard";
inline const QByteArray CoupButton = "coup";
inline const QByteArray LetGoButton = "letgo";
inline const QByteArray NewGameButton = "newgame";
inline const QByteArray TwoPlayersButton = "players2";
inline const QByteArray ThreePlayersButton = "players3";
inline const QByteArray TwoTeamsButton = "teams";
// The players of a new game a size button names; 0 for another button.
int PlayersOfButton(const QByteArray &name);

} // namespace RacePainter
