#include "CardPainter.h"

#include "ServerBytes.h"

namespace CardPainter {

namespace {

constexpr int FeltColour = 42;         // dark green
constexpr int FeltColumns = 57;
constexpr int FeltRows = 20;
constexpr int BoardColumn = 59;        // the board's 19 columns end at 77, in sight
constexpr int BoardWidth = 19;
constexpr int StatusWidth = 78;        // column 80 would wrap the line
// A card is 71 by 96 pixels whatever the client's cells are: 8 to 11
// columns and 7 to 10 rows. The hand's band is wiped in cells, wide and
// tall enough for the largest of those.
constexpr int HandColumns = 60;
constexpr int HandLastRow = 33;
constexpr int WidestCard = 11;         // columns a card covers at 7-pixel cells

struct Cell {
    int column;
    int row;
};

// Where each place's trick card goes, clear of each other at every cell
// size, and its name tag: the row just above the card, so the tag sits
// against its card whatever the cell height (a card's bottom edge moves
// with it, its top edge does not).
constexpr std::array<Cell, 4> TrickCells = {{{25, 12}, {11, 7}, {25, 2}, {39, 7}}};
constexpr std::array<Cell, 4> NameCells = {{{25, 11}, {11, 6}, {25, 1}, {39, 6}}};

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 6);
}

QByteArray right(const QByteArray &text, int width)
{
    if (text.size() >= width)
        return text.right(width);
    return QByteArray(width - text.size(), ' ') + text;
}

} // namespace

QByteArray At(int row, int column)
{
    return ServerBytes::CursorTo(row, column);
}

QByteArray Colours(int fore, int back)
{
    return ServerBytes::BrightColours(fore, back);
}

QByteArray CardCommand(int code, int column, int row)
{
    // Bottom, right, top, left: the client only uses the left and top edges.
    return "\x1b[" + QByteArray::number(row + 9) + ';' + QByteArray::number(column + 8) + ';'
        + QByteArray::number(row) + ';' + QByteArray::number(column) + 'G' + QByteArray::number(code) + '>';
}

QByteArray Box(double column, double row, double width, double heightInCellWidths, int colour)
{
    return "\x1b[" + number(column) + ';' + number(row) + ';' + number(width) + ';' + number(heightInCellWidths)
        + ";0;" + QByteArray::number(colour) + ';' + QByteArray::number(colour) + ";1R";
}

QByteArray Names(const TableView &view)
{
    QByteArray out;
    for (int place = 0; place < 4; ++place) {
        const SeatView &seat = view.seats.at(place);
        const Cell cell = NameCells.at(place);
        // 10 is the pointer glyph, FB the tick.
        const QByteArray label = (seat.turn ? QByteArray("\x10") : QByteArray(" ")) + ServerBytes::Fit(seat.name, 12)
            + (seat.passed ? QByteArray("\xfb") : QByteArray(" "));
        out += At(cell.row, cell.column) + Colours(seat.turn ? 33 : 37, FeltColour) + label;
    }
    return out;
}

QByteArray Fill(int firstRow, int lastRow, int columns, int colour)
{
    // Spaces rather than a box: a box's height counts in cell widths, which
    // covers a different number of rows at each cell size.
    QByteArray out;
    const QByteArray blanks(columns, ' ');
    for (int row = firstRow; row <= lastRow; ++row)
        out += At(row, 1) + Colours(37, colour) + blanks;
    return out;
}

QByteArray FeltAndNames(const TableView &view)
{
    return Fill(1, FeltRows, FeltColumns, FeltColour) + Names(view);
}

QByteArray TrickCard(Place place, int code)
{
    const Cell cell = TrickCells.at(place);
    return CardCommand(code, cell.column, cell.row);
}

QByteArray TrickTaken()
{
    return "\x1b[0;0;0;0G-1>";
}

QByteArray Scoreboard(const TableView &view)
{
    QByteArray out;
    const auto line = [&](int row, int fore, const QByteArray &text) {
        out += At(row, BoardColumn) + Colours(fore, 40) + ServerBytes::Fit(text, BoardWidth);
    };
    line(1, 33, "      HEARTS");
    line(2, 36, view.title);
    line(3, 37, view.handLine);
    line(5, 32, "Player    Hand Game");
    for (int place = 0; place < 4; ++place) {
        const SeatView &seat = view.seats.at(place);
        line(6 + place, seat.viewer ? 36 : 37,
             ServerBytes::Fit(seat.name, 10) + right(QByteArray::number(seat.handPoints), 4)
                 + right(QByteArray::number(seat.total), 5));
    }
    if (view.heartsBroken)
        line(11, 31, "Hearts broken \x03");
    else
        line(11, 30, "Hearts not broken");
    line(12, 30, "Game ends at 100");
    return out;
}

QByteArray Status(const QByteArray &text)
{
    return At(StatusRow, 1) + Colours(33, 40) + ServerBytes::Fit(text, StatusWidth);
}

int HandColumn(int index, int count)
{
    const int span = 4 * (count - 1) + 8;
    return 1 + (58 - span) / 2 + 4 * index;
}

int CardAt(int count, int column, int row)
{
    if (row < RaisedRow || row > 33)
        return -1;
    for (int i = count - 1; i >= 0; --i) {
        const int left = HandColumn(i, count);
        const int width = i == count - 1 ? WidestCard : 4;
        if (column >= left && column < left + width)
            return i;
    }
    return -1;
}

QByteArray Hand(const QList<int> &hand, const QSet<int> &raised)
{
    QByteArray out = Fill(RaisedRow, HandLastRow, HandColumns, 40);
    for (int i = 0; i < hand.size(); ++i) {
        const int code = hand.at(i);
        out += CardCommand(code, HandColumn(i, int(hand.size())), raised.contains(code) ? RaisedRow : HandRow);
    }
    return out;
}

QByteArray Refresh()
{
    return "\x1b[r";
}

QByteArray Buttons(bool pass, bool newGame, QSet<QByteArray> *shown)
{
    QByteArray out;
    const auto button = [&](bool want, const QByteArray &name, const QByteArray &place, const QByteArray &spec) {
        if (want && !shown->contains(name)) {
            out += "\x1b[" + place + 'W' + name + '|' + spec + '>';
            shown->insert(name);
        } else if (!want && shown->contains(name)) {
            out += "\x1b[0;0;0;0;100;0W" + name + "|>";
            shown->remove(name);
        }
    };
    button(pass, PassButton, "62;24;71;26;100;44", "Pass;Pass the three chosen cards");
    button(newGame, NewGameButton, "62;28;75;30;100;41", "New Game;Start a new game");
    return out;
}

QByteArray FullTable(const TableView &view)
{
    QByteArray out = "\x1b[0;40m\x1b[J" + FeltAndNames(view);
    for (const auto &[place, code] : view.trick)
        out += TrickCard(place, code);
    out += Scoreboard(view) + Status(view.status) + Hand(view.hand, view.raised) + Refresh();
    return out;
}

} // namespace CardPainter
