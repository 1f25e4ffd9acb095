#pragma once

// Paints the card table in the screen dialect of the card-table client.
// Everything is placed in character cells, and the cards (pictures of a
// fixed pixel size) are laid out so that the table holds together at every
// cell size the client measures (7 by 14 pixels from the usual screen
// font, 9 by 11, or 8 by 10 on small screens):
//
//  - rows 1 to 20, columns 1 to 57: the green felt with the trick, one card
//    place per seat, the viewer's own seat at the bottom, each name tag on
//    the row above its card; every card drawn there has its top edge above
//    pixel 230, where the client records it for its last-trick window. Only
//    trick cards are drawn there, each once, and a negative card code tells
//    the client the trick was taken away.
//  - columns 59 to 77: the score board; the buttons at column 62;
//  - row 21: a line for the viewer;
//  - rows 23 to 33, columns 1 to 60: the viewer's hand, card tops at row 24
//    (row 23 for a card picked to pass), below the recording line at every
//    cell size.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSet>

#include <array>

namespace CardPainter {

// Places relative to the viewer.
enum Place { South = 0, West = 1, North = 2, East = 3 };

struct SeatView {
    QByteArray name;
    int handPoints = 0;
    int total = 0;
    bool turn = false;
    bool passed = false;
    bool viewer = false;
};

struct TableView {
    QByteArray title;                  // "Card Table 1"
    QByteArray handLine;               // "Hand 2 - pass right"
    bool heartsBroken = false;
    std::array<SeatView, 4> seats;     // by place
    QList<QPair<Place, int>> trick;    // the cards on the table in playing order
    QList<int> hand;
    QSet<int> raised;
    QByteArray status;
};

constexpr int HandRow = 24;
constexpr int RaisedRow = 23;
constexpr int StatusRow = 21;

QByteArray At(int row, int column);
// Bright palette, then the colours.
QByteArray Colours(int fore, int back);
// The card picture command: code at a cell, left and top edge.
QByteArray CardCommand(int code, int column, int row);
// A filled box over whole cells, without an outline.
QByteArray Box(double column, double row, double width, double heightInCellWidths, int colour);
// Rows first to last, columns 1 to `columns`, filled with blanks on `colour`.
QByteArray Fill(int firstRow, int lastRow, int columns, int colour);

QByteArray FullTable(const TableView &view);
QByteArray FeltAndNames(const TableView &view);
QByteArray Names(const TableView &view);
QByteArray TrickCard(Place place, int code);
// The trick has been taken: the client keeps it as its last trick.
QByteArray TrickTaken();
QByteArray Scoreboard(const TableView &view);
QByteArray Status(const QByteArray &text);
QByteArray Hand(const QList<int> &hand, const QSet<int> &raised);
// The client shows cards drawn low on the table only when told to repaint.
QByteArray Refresh();

// Places or removes the "Pass" and "New Game" buttons; `shown` holds the
// buttons the client shows and is kept up to date.
QByteArray Buttons(bool pass, bool newGame, QSet<QByteArray> *shown);
inline const QByteArray PassButton = "pass";
inline const QByteArray NewGameButton = "newgame";

// Column of the left edge of hand card `index` of `count`.
int HandColumn(int index, int count);
// The index of the hand card under a pressed cell, or -1.
int CardAt(int count, int column, int row);

} // namespace CardPainter
